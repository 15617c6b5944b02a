// Generated checkouts of every kind of receipt (categories, catalogue items, prescriptions),
// first settlements and re-settlements: amounts in
// fen, the member's rate, old arrears, refunds, 优惠金额, and every way of paying them (cash, a
// prepaid account, a voucher, a bank card, all or part of it). Whatever the amounts, the record
// must say what was taken: the method and the cash add up to what is collected, the account and
// the voucher lose exactly the method's amount, and nothing stored has more than two decimals.
// The seed is printed; CALVANE_TEST_SEED replays one run.
#include "SettleFixture.h"
#include "common/Money.h"
#include "receipt/StandardItemWriter.h"
#include "rx/PrescriptionCheckoutForm.h"
#include "settle/CheckoutForm.h"
#include "settle/StandardCheckoutForm.h"
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


enum class Kind { Categories, Items, Prescription };

// One receipt of `amount` of the kind, for case 101 (patient P1).
qint64 receiptOf(Desk& k, Kind kind, double amount, bool refund)
{
    if (kind == Kind::Categories) return k.receipt(amount, 101, u"张三"_s, refund ? 1 : 0);
    if (kind == Kind::Items) {
        receipt::StandardItem i;
        i.className = u"治疗类"_s;
        i.name = u"洁治"_s;
        i.unitPrice = i.undiscountedAmount = i.discountedAmount = amount;
        i.quantity = 1;
        i.discountable = 1;
        i.date = kWhen;
        receipt::StandardItemList items;
        items.add(i);
        receipt::StandardReceiptHeader h;
        h.caseNumber = 101;
        h.patientName = u"张三"_s;
        h.doctorName = u"李医生"_s;
        h.date = kWhen;
        h.refund = refund ? 1 : 0;
        return receipt::writeStandardReceipt(*k.c, h, items).id;
    }
    const qint64 id = db::AddRecord(*k.c, u"收费收据表"_s,
                                    {{u"病历号"_s, 101}, {u"病人姓名"_s, u"张三"_s}, {u"付款"_s, u"未付"_s},
                                     {u"医生姓名"_s, u"李医生"_s}, {u"合计"_s, amount}, {u"IsPrescriptionFlag"_s, 2},
                                     {u"FeeIO"_s, refund ? 1 : 0}});
    db::AddRecord(*k.c, u"处方明细表"_s,
                  {{u"ReceiptID"_s, id}, {u"名称"_s, u"阿莫西林"_s}, {u"规格"_s, u"0.25g"_s}, {u"单价"_s, amount},
                   {u"数量"_s, 1.0}, {u"金额"_s, amount}, {u"MedcineOutFlag"_s, 0}});
    return id;
}

std::unique_ptr<CheckoutCore> formFor(Desk& k, Kind kind, qint64 id, int resettle)
{
    if (kind == Kind::Categories) return std::make_unique<CheckoutForm>(k.form(id, resettle));
    if (kind == Kind::Items) {
        StandardCheckoutForm::Inputs in;
        in.resettle = resettle;
        in.caseNumber = 101;
        in.receiptId = id;
        in.doctorName = u"李医生"_s;
        in.patientName = u"张三"_s;
        in.patientNumber = u"P1"_s;
        in.cashier = u"王收款"_s;
        return std::make_unique<StandardCheckoutForm>(k.c, in);
    }
    rx::PrescriptionCheckoutForm::Inputs in;
    in.resettle = resettle;
    in.patientNumber = u"P1"_s;
    in.caseNumber = 101;
    in.receiptId = id;
    in.patientName = u"张三"_s;
    in.cashier = u"王收款"_s;
    return std::make_unique<rx::PrescriptionCheckoutForm>(k.c, in);
}

// Calls the form's own handlers: each checkout has its own.
struct Handlers {
    std::function<void()> open;
    std::function<void(double)> letOff;   // "优惠金额", where the checkout has it
    std::function<void(double)> typeCollected;
    std::function<void(int, const CheckoutCore::PaymentDialog&)> chooseMethod;
    std::function<bool()> settle;
};

template <typename Form> Handlers handlersOf(Form& f)
{
    Handlers h;
    h.open = [&f] { f.open(); };
    if constexpr (requires { f.otherFreeChanged(); })
        h.letOff = [&f](double v) {
            f.otherFree = v;
            f.otherFreeChanged();
        };
    h.typeCollected = [&f](double v) {
        f.collected = v;
        if constexpr (requires { f.collectedChanged(true); }) f.collectedChanged(true);
        else f.collectedChanged();
    };
    h.chooseMethod = [&f](int m, const CheckoutCore::PaymentDialog& d) { f.methodChosen(m, d); };
    h.settle = [&f] { return f.settle() == Form::Ending::Accept; };
    return h;
}

Handlers handlersOf(CheckoutCore& core, Kind kind)
{
    if (kind == Kind::Categories) return handlersOf(static_cast<CheckoutForm&>(core));
    if (kind == Kind::Items) return handlersOf(static_cast<StandardCheckoutForm&>(core));
    return handlersOf(static_cast<rx::PrescriptionCheckoutForm&>(core));
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestCheckoutAmounts : public QObject
{
    Q_OBJECT

  private slots:
    void init() { testdb::isolateSettings(); }

    void everySettlementTakesWhatItRecords_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<Kind>("kind");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s categories", qPrintable(b)) << b << Kind::Categories;
            QTest::addRow("%s items", qPrintable(b)) << b << Kind::Items;
            QTest::addRow("%s prescription", qPrintable(b)) << b << Kind::Prescription;
        }
    }
    void everySettlementTakesWhatItRecords()
    {
        QFETCH(QString, backend);
        QFETCH(Kind, kind);
        const quint32 s = seed();
        qInfo("seed %u", s);
        QRandomGenerator random(s);
        const QList<double> rates{1.0, 0.95, 0.9, 0.85, 0.7, 0.33, 0.333, 0.8888};
        const QList<int> methods{Cash, PrePayment, Voucher, BankCard};
        int attempts = 0, settledCount = 0;
        for (int round = 0; round < 20; ++round) {
            const double arrears = random.bounded(3) == 0 ? fen(random, -5000, 30000) : 0.0;
            Desk k(backend, arrears);
            const double rate = rates[random.bounded(rates.size())];
            db::execute(*k.c, u"UPDATE Discount_table SET DiscountValue=?"_s, {rate});
            const qint32 account = k.account(u"P1"_s, fen(random, 0, 60000));
            const double voucherValue = fen(random, 1, 60000);
            const qint64 voucher = k.voucher(u"V1"_s, voucherValue);
            const bool refund = random.bounded(6) == 0;
            const qint64 id = receiptOf(k, kind, fen(random, 1, 100000), refund);
            double voucherDebits = 0.0;

            ScriptedPrompter prompter;
            for (const int resettle : {0, 1}) {
                const QString what = u"seed %1 round %2 %3"_s.arg(s).arg(round).arg(resettle ? u"again"_s : u"first"_s);
                const std::unique_ptr<CheckoutCore> form = formFor(k, kind, id, resettle);
                const Handlers f = handlersOf(*form, kind);
                f.open();
                if (f.letOff && random.bounded(2) == 0) f.letOff(fen(random, 0, 2000));
                // Refunds are paid back in cash or to a card; the rest by any method.
                const int method = refund ? (random.bounded(2) ? Cash : BankCard) : methods[random.bounded(methods.size())];
                const double available = method == PrePayment ? db::toNumber(k.value(
                                             u"SELECT SUM(PrePay_Money) FROM PrePayReg_Table WHERE PrePayer_ID=?"_s, {account}))
                                         - k.prepayUsed(account)
                                         : method == Voucher ? k.voucherLeft(voucher)
                                         : random.bounded(2) ? 1e9
                                                             : fen(random, 0, 50000);
                f.chooseMethod(method, [&](const PaymentForm::Inputs& in) -> std::optional<CheckoutCore::PaymentAnswer> {
                    if (available <= 0.0 && method != BankCard) return std::nullopt;
                    CheckoutCore::PaymentAnswer a;
                    a.split.method = method;
                    SplitOver(a.split, in.toCollect, std::max(available, 0.0));
                    a.split.voucherId = voucher;
                    a.split.voucherNumber = u"V1"_s;
                    a.account = account;
                    return a;
                });
                // The cashier types another amount after the split.
                if (random.bounded(3) == 0) f.typeCollected(money::fromFen(money::toFen(form->collected) - random.bounded(0, 3000)));
                const double voucherBefore = k.voucherLeft(voucher);
                const double usedBefore = k.prepayUsed(account);
                const bool settled = f.settle();
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
                QCOMPARE(stored, form->method);
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
