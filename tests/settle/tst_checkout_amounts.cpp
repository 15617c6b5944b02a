// Generated checkouts of category receipts, first settlements and re-settlements: amounts in
// fen, the member's rate, old arrears, refunds, 优惠金额, and every way of paying them (cash, a
// prepaid account, a voucher, a bank card, all or part of it). Whatever the amounts, the record
// must say what was taken: the method and the cash add up to what is collected, the account and
// the voucher lose exactly the method's amount, and nothing stored has more than two decimals.
// The seed is printed; CALVANE_TEST_SEED replays one run.
#include "SettleFixture.h"
#include "common/Money.h"
#include "settle/CheckoutForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include <QRandomGenerator>
#include <QTest>

using namespace settle;
using namespace settletest;
using namespace Qt::StringLiterals;

namespace
{

quint32 seed()
{
    bool ok = false;
    const quint32 given = qEnvironmentVariable("CALVANE_TEST_SEED").toUInt(&ok);
    return ok ? given : QRandomGenerator::global()->generate();
}

double fen(QRandomGenerator& random, int from, int to) { return money::fromFen(random.bounded(from, to)); }

// The amounts a stored row must hold to the fen.
const QStringList kRecordAmounts{u"总计应收费用"_s, u"实收费用"_s, u"余额"_s,      u"收款金额"_s,
                                 u"原欠金额"_s,     u"OtherFreeFee"_s, u"OtherTypePayedMoney"_s, u"CashMoney"_s};

} // namespace

class TestCheckoutAmounts : public QObject
{
    Q_OBJECT

  private slots:
    void init() { testdb::isolateSettings(); }

    void everySettlementTakesWhatItRecords_data() { testdb::addBackendRows(); }
    void everySettlementTakesWhatItRecords()
    {
        QFETCH(QString, backend);
        const quint32 s = seed();
        qInfo("seed %u", s);
        QRandomGenerator random(s);
        const QList<double> rates{1.0, 0.95, 0.9, 0.85, 0.7, 0.33, 0.333, 0.8888};
        const QList<int> methods{Cash, PrePayment, Voucher, BankCard};
        int attempts = 0, settledCount = 0;
        for (int round = 0; round < 25; ++round) {
            const double arrears = random.bounded(3) == 0 ? fen(random, -5000, 30000) : 0.0;
            Desk k(backend, arrears);
            const double rate = rates[random.bounded(rates.size())];
            db::execute(*k.c, u"UPDATE Discount_table SET DiscountValue=?"_s, {rate});
            const qint32 account = k.account(u"P1"_s, fen(random, 0, 60000));
            const double voucherValue = fen(random, 1, 60000);
            const qint64 voucher = k.voucher(u"V1"_s, voucherValue);
            const bool refund = random.bounded(6) == 0;
            const qint64 id = k.receipt(fen(random, 1, 100000), 101, u"张三"_s, refund ? 1 : 0);
            double voucherDebits = 0.0;

            ScriptedPrompter prompter;
            for (const int resettle : {0, 1}) {
                const QString what = u"seed %1 round %2 %3"_s.arg(s).arg(round).arg(resettle ? u"again"_s : u"first"_s);
                CheckoutForm f = k.form(id, resettle);
                f.open();
                if (random.bounded(2) == 0) {
                    f.otherFree = fen(random, 0, 2000);
                    f.otherFreeChanged();
                }
                // Refunds are paid back in cash or to a card; the rest by any method.
                const int method = refund ? (random.bounded(2) ? Cash : BankCard) : methods[random.bounded(methods.size())];
                const double available = method == PrePayment ? db::toNumber(k.value(
                                             u"SELECT SUM(PrePay_Money) FROM PrePayReg_Table WHERE PrePayer_ID=?"_s, {account}))
                                         - k.prepayUsed(account)
                                         : method == Voucher ? k.voucherLeft(voucher)
                                         : random.bounded(2) ? 1e9
                                                             : fen(random, 0, 50000);
                f.methodChosen(method, [&](const PaymentForm::Inputs& in) -> std::optional<CheckoutForm::PaymentAnswer> {
                    if (available <= 0.0 && method != BankCard) return std::nullopt;
                    CheckoutForm::PaymentAnswer a;
                    a.split.method = method;
                    SplitOver(a.split, in.toCollect, std::max(available, 0.0));
                    a.split.voucherId = voucher;
                    a.split.voucherNumber = u"V1"_s;
                    a.account = account;
                    return a;
                });
                if (random.bounded(3) == 0) { // the cashier types another amount after the split
                    f.collected = money::fromFen(money::toFen(f.collected) - random.bounded(0, 3000));
                    f.collectedChanged(true);
                }
                const double voucherBefore = k.voucherLeft(voucher);
                const double usedBefore = k.prepayUsed(account);
                const bool settled = f.settle() == CheckoutForm::Ending::Accept;
                ++attempts;
                settledCount += settled ? 1 : 0;
                if (!settled) {
                    // Refused: then nothing moved.
                    QVERIFY2(k.voucherLeft(voucher) == voucherBefore && k.prepayUsed(account) == usedBefore, qPrintable(what));
                    continue;
                }
                db::Query q(*k.c, u"SELECT * FROM 病历收费单 WHERE ReceiptID=?"_s, {id});
                q.exec();
                QVERIFY2(q.next(), qPrintable(what));
                for (const QString& column : kRecordAmounts) {
                    const double v = q.number(column);
                    QVERIFY2(v == money::round2(v), qPrintable(what + u' ' + column + u' ' + QString::number(v, 'g', 17)));
                }
                const int stored = int(q.integer(u"MoneyPayed_type"_s));
                const qint64 collected = money::toFen(q.number(u"收款金额"_s));
                const qint64 byMethod = money::toFen(q.number(u"OtherTypePayedMoney"_s));
                const qint64 cash = money::toFen(q.number(u"CashMoney"_s));
                if (stored == Cash) QVERIFY2(byMethod == 0, qPrintable(what));
                else QVERIFY2(byMethod + cash == collected, qPrintable(what + u" %1 + %2 != %3"_s.arg(byMethod).arg(cash).arg(collected)));
                QCOMPARE(stored, f.method);
                // The account is charged what the record says it paid, and only that.
                QCOMPARE(money::toFen(k.prepayUsed(account)), stored == PrePayment ? byMethod : 0);
                // The voucher is debited once, by the settlement that chose it.
                if (stored == Voucher && resettle == 0) voucherDebits = money::fromFen(byMethod);
                QCOMPARE(money::toFen(k.voucherLeft(voucher)), money::toFen(voucherValue) - money::toFen(voucherDebits));
            }
        }
        // The generated cases must mostly settle, or the checks above would say little.
        qInfo("%d of %d settled", settledCount, attempts);
        QVERIFY(settledCount * 4 > attempts * 3);
    }
};

QTEST_GUILESS_MAIN(TestCheckoutAmounts)
#include "tst_checkout_amounts.moc"
