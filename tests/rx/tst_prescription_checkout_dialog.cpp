// RescriptionReceiptPay end to end through the C API, driven by scripts on every backend: a
// prescription of three lines settled in cash, settled again without taking the medicines
// out twice, paid by voucher, a cheque settlement that may not become cash, a shortage, a cancel.
#include "app/Dialog.h"
#include "db/Query.h"
#include "rx/PrescriptionCheckoutForm.h"
#include "rx/PrescriptionForm.h"
#include "settle/Settlement.h"
#include "settle/Tendered.h"
#include "tests/app/ScriptRun.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/rx/PrescriptionClinic.h"
#include <QTest>

using namespace rxclinic;
using namespace stockfixture;

namespace {

const QString spec = QStringLiteral("0.25g*24");

// A case-record prescription of three lines (2 + 1 + 3 units at 10.0), stored unpaid.
qint64 prescribe(Host& host)
{
    rx::PrescriptionForm::Inputs in;
    in.caseNumber = 7;
    in.patientName = QStringLiteral("张三");
    in.patientNumber = QStringLiteral("P7");
    in.doctorName = QStringLiteral("王医生");
    in.doctorNumber = QStringLiteral("D01");
    rx::PrescriptionForm f(host.conn->connection, in);
    f.open();
    for (const auto& [name, quantity] : {std::pair{"阿莫西林", 2.0}, {"布洛芬", 1.0}, {"板蓝根", 3.0}}) {
        f.entry = {};
        f.entry.name = QString::fromUtf8(name);
        f.entry.spec = spec;
        f.entry.price = 10.0;
        f.entry.quantity = quantity;
        f.add();
    }
    if (f.save() != rx::PrescriptionForm::Ending::Accept) qFatal("prescription not stored");
    return f.documentId();
}

// A settlement made before the script runs: "cash" or "cheque".
void settleBefore(Host& host, qint64 receipt, const QString& how)
{
    if (how == QLatin1String("none")) return;
    rx::PrescriptionCheckoutForm::Inputs in;
    in.receiptId = receipt;
    in.caseNumber = 7;
    in.patientNumber = QStringLiteral("P7");
    in.cashier = QStringLiteral("收款员");
    rx::PrescriptionCheckoutForm f(host.conn->connection, in);
    f.open();
    ScriptedPrompter quiet;
    if (how == QLatin1String("cheque"))
        f.methodChosen(settle::Cheque, [](const settle::PaymentForm::Inputs& p) {
            rx::PrescriptionCheckoutForm::PaymentAnswer a;
            a.split.method = settle::Cheque;
            a.split.amount = p.toCollect;
            return std::optional(a);
        });
    if (f.settle() != rx::PrescriptionCheckoutForm::Ending::Accept) qFatal("not settled before");
}

QString paymentRecords(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 病历收费单 ORDER BY 病历收费编号"));
    q.exec();
    QStringList out;
    while (q.next())
        out << QStringLiteral("method %1 later %2 total %3 collected %4 other %5 cash %6 voucher %7")
                   .arg(q.integer(QStringLiteral("MoneyPayed_type")))
                   .arg(q.integer(QStringLiteral("GetLaterLeftMoneyFlag")))
                   .arg(q.number(QStringLiteral("总计应收费用")))
                   .arg(q.number(QStringLiteral("收款金额")))
                   .arg(q.number(QStringLiteral("OtherTypePayedMoney")))
                   .arg(q.number(QStringLiteral("CashMoney")))
                   .arg(q.isNull(QStringLiteral("PreferID")) ? QStringLiteral("-") : q.text(QStringLiteral("PreferID")));
    return out.join(QLatin1Char('|'));
}

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(QStringLiteral("message"))) texts << m.value(QStringLiteral("text")).toString();
    return texts;
}

QJsonArray voucherSteps()
{
    return {QJsonObject{{"choose", "付款方式"}, {"item", "消费券/卡"}}, QJsonObject{{"dialog", "付款方式"}},
            QJsonObject{{"set", "请输入消费券的编号"}, {"to", "V01"}}, QJsonObject{{"click", "验证"}},
            QJsonObject{{"click", "确定"}}};
}

} // namespace

class TestPrescriptionCheckoutDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    void flows_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("stock");  // each medicine's batches
        QTest::addColumn<QString>("before"); // a settlement made earlier: none, cash, cheque
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("paid");     // 付款 of the receipt afterwards
        QTest::addColumn<QString>("record");   // the payment records
        QTest::addColumn<QString>("taken");    // withdrawals
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("dialogs");
        const QString settled = rx::kPrescriptionSettled;
        const QString cashRecord = QStringLiteral("method 0 later 1 total 60 collected 60 other 0 cash 0 voucher -");
        const QString allTaken = QStringLiteral("3#3,1#2,2#1");
        const QStringList checkout{QStringLiteral("处方结帐")};
        const QString print = app::Dialog::printPromptText(); // unanswered: 否
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s: three lines in cash, printed", n.data())
                << b << "5" << "none" << (click("确定") + QJsonArray{QJsonObject{{"reply", "是"}}}) << 1 << 1 << "已付"
                << cashRecord << allTaken << QStringList{settled, app::Dialog::printPromptText()} << checkout;
            // 收款 below the cash due is refused and nothing is booked; enough settles as before.
            QTest::addRow("%s: cash handed over", n.data())
                << b << "5" << "none"
                << QJsonArray{QJsonObject{{"set", "收款"}, {"to", "59.99"}}} + click("确定")
                       + QJsonArray{QJsonObject{{"set", "收款"}, {"to", "100"}}} + click("确定")
                << 0 << 1 << "已付" << cashRecord << allTaken
                << QStringList{settle::kTenderedTooLow.arg(QStringLiteral("60.00")), settled, print} << checkout;
            QTest::addRow("%s: settled again, nothing taken twice", n.data())
                << b << "5" << "cash" << click("确定") << 0 << 1 << "已付" << cashRecord << allTaken
                << QStringList{settled, print} << checkout;
            QTest::addRow("%s: voucher", n.data())
                << b << "5" << "none" << voucherSteps() + click("确定") << 0 << 1 << "已付"
                << "method 5 later 1 total 60 collected 60 other 50 cash 10 voucher 1" << allTaken
                << QStringList{settled, print} << QStringList{"处方结帐", "付款方式"};
            QTest::addRow("%s: cheque cannot become cash", n.data())
                << b << "5" << "cheque" << QJsonArray{QJsonObject{{"choose", "付款方式"}, {"item", "现金"}}} + click("确定")
                << 0 << 1 << "已付" << "method 3 later 1 total 60 collected 60 other 60 cash 0 voucher -" << allTaken
                << QStringList{rx::kMethodLocked, settled, print} << checkout;
            QTest::addRow("%s: short", n.data())
                << b << "2" << "none" << click("确定") + inDialog("药品库存检查") + click("确定") + click("取消") << 0 << 4
                << "未付" << "" << "" << QStringList() << QStringList{"处方结帐", "药品库存检查"};
            QTest::addRow("%s: cancelled", n.data())
                << b << "5" << "none" << click("取消") << 0 << 4 << "未付" << "" << "" << QStringList() << checkout;
        }
    }
    void flows()
    {
        QFETCH(QString, backend);
        QFETCH(QString, stock);
        QFETCH(QString, before);
        QFETCH(QJsonArray, script);
        QFETCH(int, result);
        QFETCH(int, state);
        QFETCH(QString, paid);
        QFETCH(QString, record);
        QFETCH(QString, taken);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, dialogs);
        Host host(backend, false); // the prescription is written whatever the stock
        for (const char* name : {"阿莫西林", "布洛芬", "板蓝根"}) addBatches(host.db(), QString::fromUtf8(name), spec, stock);
        db::AddRecord(host.db(), QStringLiteral("PreferManagement_table"),
                      {{QStringLiteral("Card_Cover_Code"), QStringLiteral("V01")}, {QStringLiteral("Card_Kind_Type"), 0},
                       {QStringLiteral("Card_Left_Fee"), 50.0}, {QStringLiteral("Card_Is_HaveExpire"), 0},
                       {QStringLiteral("Card_Is_PWD"), 0}, {QStringLiteral("Card_Is_Takenback"), 1}});
        const qint64 receipt = prescribe(host);
        keepStock(host.db(), true);
        settleBefore(host, receipt, before);

        ScriptRun run(script);
        int32_t id = static_cast<int32_t>(receipt), settledFlag = 4, dateLock = 0;
        const int32_t got = RescriptionReceiptPay(before == QLatin1String("none") ? 0 : 1, host.conn, "P7", 7, &id, "",
                                                  "D01", "", "张三", 0.0, "收款员", &settledFlag, 1, &dateLock);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(int(got), result);
        QCOMPARE(int(settledFlag), state);
        QCOMPARE(messagesOf(run), messages);
        QStringList opened;
        for (const QJsonObject& o : run.events(QStringLiteral("open"))) opened << o.value(QStringLiteral("dialog")).toString();
        QCOMPARE(opened, dialogs);
        QCOMPARE(db::toText(db::scalar(host.db(), QStringLiteral("SELECT 付款 FROM 收费收据表 WHERE ID=?"), {receipt})), paid);
        QCOMPARE(paymentRecords(host.db()), record);
        QCOMPARE(withdrawals(host.db()), taken);
    }

    // A settlement flag other than 0 and 1 is refused before the dialog opens: no medicine leaves
    // stock, nothing is settled.
    void otherSettlementFlagsRefused_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("flag");
        for (const QString& b : testdb::backends())
            for (int flag : {-1, 2, 5, 2147483647}) QTest::addRow("%s %d", qPrintable(b), flag) << b << flag;
    }
    void otherSettlementFlagsRefused()
    {
        QFETCH(QString, backend);
        QFETCH(int, flag);
        Host host(backend, false);
        for (const char* name : {"阿莫西林", "布洛芬", "板蓝根"}) addBatches(host.db(), QString::fromUtf8(name), spec, QStringLiteral("10"));
        const qint64 receipt = prescribe(host);
        ScriptRun run(QJsonArray{});
        int32_t id = static_cast<int32_t>(receipt), settledFlag = 4, dateLock = 0;
        QCOMPARE(int(RescriptionReceiptPay(flag, host.conn, "P7", 7, &id, "", "D01", "", "张三", 0.0, "收款员",
                                           &settledFlag, 1, &dateLock)),
                 0);
        QCOMPARE(messagesOf(run), QStringList{settle::kBadSettlementFlag});
        QVERIFY(run.events(QStringLiteral("open")).isEmpty());
        QCOMPARE(int(settledFlag), 4);
        QCOMPARE(db::toText(db::scalar(host.db(), QStringLiteral("SELECT 付款 FROM 收费收据表 WHERE ID=?"), {receipt})),
                 QStringLiteral("未付"));
        QCOMPARE(paymentRecords(host.db()), QString());
        QCOMPARE(withdrawals(host.db()), QString());
    }
};

QTEST_MAIN(TestPrescriptionCheckoutDialog)
#include "tst_prescription_checkout_dialog.moc"
