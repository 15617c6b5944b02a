// The prescription checkout without its widgets: a case-record prescription settled through the
// shared settlement, its medicines taken out of stock in the same transaction, once.
#include "db/Query.h"
#include "rx/PrescriptionCheckoutForm.h"
#include "rx/PrescriptionForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/rx/StockFixture.h"
#include "tests/support/TestDb.h"
#include <QTest>

using namespace stockfixture;
using rx::PrescriptionCheckoutForm;

namespace {

const QString spec = QStringLiteral("0.25g*24");

// A case-record prescription of three lines (2 + 1 + 3 units at 10.0), stored unpaid.
qint64 prescribe(const db::ConnectionPtr& c)
{
    rx::PrescriptionForm::Inputs in;
    in.caseNumber = 7;
    in.patientName = QStringLiteral("张三");
    in.patientNumber = QStringLiteral("P7");
    in.doctorName = QStringLiteral("王医生");
    in.doctorNumber = QStringLiteral("D01");
    rx::PrescriptionForm f(c, in);
    f.open();
    for (const auto& [name, quantity] : {std::pair{"阿莫西林", 2.0}, {"布洛芬", 1.0}, {"板蓝根", 3.0}}) {
        f.entry = {};
        f.entry.category = QStringLiteral("西药");
        f.entry.name = QString::fromUtf8(name);
        f.entry.spec = spec;
        f.entry.unit = QStringLiteral("盒");
        f.entry.price = 10.0;
        f.entry.quantity = quantity;
        f.add();
    }
    if (f.save() != rx::PrescriptionForm::Ending::Accept) qFatal("prescription not stored");
    return f.documentId();
}

db::ConnectionPtr clinic(const QString& backend, const QString& stock)
{
    auto c = testdb::open(backend);
    keepStock(*c, true);
    for (const char* name : {"阿莫西林", "布洛芬", "板蓝根"}) addBatches(*c, QString::fromUtf8(name), spec, stock);
    return c;
}

PrescriptionCheckoutForm::Inputs inputs(qint64 receipt, int resettle = 0)
{
    PrescriptionCheckoutForm::Inputs in;
    in.resettle = resettle;
    in.patientNumber = QStringLiteral("P7");
    in.caseNumber = 7;
    in.receiptId = receipt;
    in.patientName = QStringLiteral("张三");
    in.cashier = QStringLiteral("收款员");
    return in;
}

// A payment dialog that answers with this split (method amount taken, the rest in cash).
PrescriptionCheckoutForm::PaymentDialog answering(int method, double amount, qint64 voucher = 0, double available = 0)
{
    return [=](const settle::PaymentForm::Inputs& p) {
        PrescriptionCheckoutForm::PaymentAnswer a;
        a.split.method = method;
        a.split.amount = amount;
        a.split.cash = p.toCollect - amount;
        a.split.voucherId = voucher;
        a.split.available = available;
        return std::optional(a);
    };
}

QString paymentRecords(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 病历收费单 ORDER BY 病历收费编号"));
    q.exec();
    QStringList out;
    while (q.next())
        out << QStringLiteral("%1 method %2 later %3 total %4 collected %5 other %6 cash %7 voucher %8")
                   .arg(q.integer(QStringLiteral("ReceiptID")))
                   .arg(q.integer(QStringLiteral("MoneyPayed_type")))
                   .arg(q.integer(QStringLiteral("GetLaterLeftMoneyFlag")))
                   .arg(q.number(QStringLiteral("总计应收费用")))
                   .arg(q.number(QStringLiteral("收款金额")))
                   .arg(q.number(QStringLiteral("OtherTypePayedMoney")))
                   .arg(q.number(QStringLiteral("CashMoney")))
                   .arg(q.isNull(QStringLiteral("PreferID")) ? QStringLiteral("-") : q.text(QStringLiteral("PreferID")));
    return out.join(QLatin1Char('|'));
}

QString receiptState(db::Connection& c, qint64 id)
{
    return db::toText(db::scalar(c, QStringLiteral("SELECT 付款 FROM 收费收据表 WHERE ID=?"), {id}));
}

QString outFlags(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT MedcineOutFlag FROM 处方明细表 ORDER BY ID"));
    q.exec();
    QStringList out;
    while (q.next()) out << q.text(0);
    return out.join(QLatin1Char(','));
}

} // namespace

class TestPrescriptionCheckout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Three lines in cash: paid, one payment record, every line out of stock; a second
    // settlement changes the record and takes nothing out again.
    void cashThenResettle_data() { testdb::addBackendRows(); }
    void cashThenResettle()
    {
        QFETCH(QString, backend);
        auto c = clinic(backend, QStringLiteral("5"));
        const qint64 id = prescribe(c);
        {
            ScriptedPrompter prompter;
            PrescriptionCheckoutForm f(c, inputs(id));
            f.open();
            QCOMPARE(f.total, 60.0);
            QCOMPARE(f.rows.size(), 3);
            QCOMPARE(f.method, 0);
            QVERIFY(!f.paymentVisible);
            QCOMPARE(f.settle(), PrescriptionCheckoutForm::Ending::Accept);
            QCOMPARE(prompter.shown, QStringList{rx::kPrescriptionSettled});
            QCOMPARE(f.state, 1);
        }
        QCOMPARE(receiptState(*c, id), QStringLiteral("已付"));
        QCOMPARE(paymentRecords(*c), QStringLiteral("%1 method 0 later 1 total 60 collected 60 other 0 cash 0 voucher -").arg(id));
        QCOMPARE(batches(*c), QStringLiteral("3,4,2"));
        QCOMPARE(withdrawals(*c), QStringLiteral("3#3,1#2,2#1"));
        QCOMPARE(outFlags(*c), QStringLiteral("1,1,1"));

        ScriptedPrompter prompter;
        PrescriptionCheckoutForm again(c, inputs(id, 1));
        again.open();
        again.collected = 50.0;
        QCOMPARE(again.settle(), PrescriptionCheckoutForm::Ending::Accept);
        QCOMPARE(paymentRecords(*c), QStringLiteral("%1 method 0 later 1 total 60 collected 50 other 0 cash 0 voucher -").arg(id));
        QCOMPARE(batches(*c), QStringLiteral("3,4,2"));
        QCOMPARE(withdrawals(*c), QStringLiteral("3#3,1#2,2#1"));
    }

    // What is due is the receipt's 合计, paid back (negative) for a refund receipt: the payment
    // dialog is handed it and the record stores it.
    void amountDue_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("feeIO");
        QTest::addColumn<double>("receiptTotal");
        QTest::addColumn<double>("due");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s fee", qPrintable(b)) << b << 0 << 60.0 << 60.0;
            QTest::addRow("%s refund", qPrintable(b)) << b << 1 << 60.0 << -60.0;
            QTest::addRow("%s receipt total differs from lines", qPrintable(b)) << b << 0 << 55.5 << 55.5;
        }
    }
    void amountDue()
    {
        QFETCH(QString, backend);
        QFETCH(int, feeIO);
        QFETCH(double, receiptTotal);
        QFETCH(double, due);
        auto c = clinic(backend, QStringLiteral("5"));
        const qint64 id = prescribe(c);
        db::execute(*c, QStringLiteral("UPDATE 收费收据表 SET FeeIO=?, 合计=? WHERE ID=?"), {feeIO, receiptTotal, id});
        ScriptedPrompter prompter;
        PrescriptionCheckoutForm f(c, inputs(id));
        f.open();
        double handed = 0.0;
        f.methodChosen(settle::BankCard, [&](const settle::PaymentForm::Inputs& p) {
            handed = p.toCollect;
            return answering(settle::BankCard, p.toCollect)(p);
        });
        QCOMPARE(handed, due);
        QCOMPARE(f.settle(), PrescriptionCheckoutForm::Ending::Accept);
        QCOMPARE(paymentRecords(*c), QStringLiteral("%1 method 2 later 1 total %2 collected %2 other %2 cash 0 voucher -").arg(id).arg(due));
    }

    // 实收金额 typed after the payment dialog split 60 (all by bank card): the split is dropped
    // back to cash; typed back to what was split, it stays.
    void staleSplit_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<double>("typed");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s changed", qPrintable(b)) << b << 50.0;
            QTest::addRow("%s unchanged", qPrintable(b)) << b << 60.0;
        }
    }
    void staleSplit()
    {
        QFETCH(QString, backend);
        QFETCH(double, typed);
        auto c = clinic(backend, QStringLiteral("5"));
        const qint64 id = prescribe(c);
        ScriptedPrompter prompter;
        PrescriptionCheckoutForm f(c, inputs(id));
        f.open();
        f.methodChosen(settle::BankCard, [](const settle::PaymentForm::Inputs& p) { return answering(settle::BankCard, p.toCollect)(p); });
        f.collected = typed;
        f.collectedChanged();
        const bool kept = typed == 60.0;
        QCOMPARE(f.method, kept ? int(settle::BankCard) : int(settle::Cash));
        QCOMPARE(f.settle(), PrescriptionCheckoutForm::Ending::Accept);
        QCOMPARE(paymentRecords(*c), QStringLiteral("%1 method %2 later 1 total 60 collected %3 other %4 cash 0 voucher -")
                                         .arg(id).arg(kept ? 2 : 0).arg(typed).arg(kept ? 60 : 0));
    }

    // A voucher pays part: the record names it, the voucher holds less.
    void voucher_data() { testdb::addBackendRows(); }
    void voucher()
    {
        QFETCH(QString, backend);
        auto c = clinic(backend, QStringLiteral("5"));
        const qint64 id = prescribe(c);
        const qint64 v = db::AddRecord(*c, QStringLiteral("PreferManagement_table"),
                                       {{QStringLiteral("Card_Cover_Code"), QStringLiteral("V01")},
                                        {QStringLiteral("Card_Kind_Type"), 0},
                                        {QStringLiteral("Card_Left_Fee"), 50.0},
                                        {QStringLiteral("Card_Is_Takenback"), 1}});
        ScriptedPrompter prompter;
        PrescriptionCheckoutForm f(c, inputs(id));
        f.open();
        f.methodChosen(settle::Voucher, answering(settle::Voucher, 40.0, v, 50.0));
        QCOMPARE(f.paymentLabel, QStringLiteral("消费券/卡金额"));
        QCOMPARE(f.settle(), PrescriptionCheckoutForm::Ending::Accept);
        QCOMPARE(paymentRecords(*c), QStringLiteral("%1 method 5 later 1 total 60 collected 60 other 40 cash 20 voucher %2").arg(id).arg(v));
        QCOMPARE(db::toNumber(db::scalar(*c, QStringLiteral("SELECT Card_Left_Fee FROM PreferManagement_table"))), 10.0);
    }

    // A settlement by cheque cannot become cash (nor anything else) and keeps its amounts;
    // a cancelled payment dialog leaves the method as it was.
    void methodChanges_data() { testdb::addBackendRows(); }
    void methodChanges()
    {
        QFETCH(QString, backend);
        auto c = clinic(backend, QStringLiteral("5"));
        const qint64 id = prescribe(c);
        {
            ScriptedPrompter prompter;
            PrescriptionCheckoutForm f(c, inputs(id));
            f.open();
            f.methodChosen(settle::Cheque, [](const settle::PaymentForm::Inputs&) { return std::nullopt; });
            QCOMPARE(f.method, 0);
            f.methodChosen(settle::Cheque, answering(settle::Cheque, 60.0));
            QCOMPARE(f.settle(), PrescriptionCheckoutForm::Ending::Accept);
        }
        ScriptedPrompter prompter;
        PrescriptionCheckoutForm f(c, inputs(id, 1));
        f.open();
        QCOMPARE(f.method, int(settle::Cheque));
        QVERIFY(f.paymentVisible);
        QCOMPARE(f.paymentLabel, QStringLiteral("支票金额"));
        f.methodChosen(settle::Cash, answering(settle::Cash, 0.0));
        QCOMPARE(prompter.shown, QStringList{rx::kMethodLocked});
        QCOMPARE(f.method, int(settle::Cheque));
        QCOMPARE(f.methodAmount, 60.0);
        QCOMPARE(f.settle(), PrescriptionCheckoutForm::Ending::Accept);
        QCOMPARE(paymentRecords(*c), QStringLiteral("%1 method 3 later 1 total 60 collected 60 other 60 cash 0 voucher -").arg(id));
    }

    // Short lines are found inside the checkout: the stock check lists them and nothing is
    // settled; so is a receipt that another cashier settled first.
    void refusals_data() { testdb::addBackendRows(); }
    void refusals()
    {
        QFETCH(QString, backend);
        auto c = clinic(backend, QStringLiteral("2"));
        keepStock(*c, false); // written before the stock ran low
        const qint64 id = prescribe(c);
        keepStock(*c, true);
        {
            ScriptedPrompter prompter;
            PrescriptionCheckoutForm f(c, inputs(id));
            f.open();
            QCOMPARE(f.settle(), PrescriptionCheckoutForm::Ending::Shortage);
            QCOMPARE(prompter.shown, QStringList());
            QCOMPARE(f.shortLines.size(), 1);
            QCOMPARE(f.shortLines[0].name, QStringLiteral("板蓝根"));
            QCOMPARE(*f.shortLines[0].onHand, 2.0);
            QCOMPARE(f.state, 0);
        }
        QCOMPARE(receiptState(*c, id), QStringLiteral("未付"));
        QCOMPARE(paymentRecords(*c), QString());
        QCOMPARE(batches(*c), QStringLiteral("2,2,2"));
        QCOMPARE(outFlags(*c), QStringLiteral("0,0,0"));

        keepStock(*c, false);
        PrescriptionCheckoutForm first(c, inputs(id)), second(c, inputs(id));
        first.open();
        second.open();
        ScriptedPrompter prompter;
        QCOMPARE(first.settle(), PrescriptionCheckoutForm::Ending::Accept);
        QCOMPARE(second.settle(), PrescriptionCheckoutForm::Ending::Stay);
        QCOMPARE(prompter.shown, (QStringList{rx::kPrescriptionSettled, QStringLiteral("收据结帐失败!")}));
        QCOMPARE(paymentRecords(*c).count(QLatin1Char('|')), 0);
        // Without stock keeping nothing leaves the stock, and the lines stay to be taken.
        QCOMPARE(batches(*c), QStringLiteral("2,2,2"));
        QCOMPARE(outFlags(*c), QStringLiteral("0,0,0"));
    }
};

QTEST_GUILESS_MAIN(TestPrescriptionCheckout)
#include "tst_prescription_checkout.moc"
