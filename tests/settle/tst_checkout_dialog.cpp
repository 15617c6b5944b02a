// ReceiptPay end to end through the C API, driven by automation scripts on every backend: cash,
// each payment method, vouchers and IC cards, prepayment, re-settlement and refunds, and the rows
// they leave.
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "settle/Settlement.h"
#include "settle/Voucher.h"
#include "prepay/VipGrade.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

QString j(const char* utf8) { return QString::fromUtf8(utf8); }

const QString kSettledText = u"收据结帐成功!"_s;
const QString kPrintQuestion = u"是否打印？如打印请按“是”，否则，按“否”!"_s;

// Patient P1, case 101, doctor 李医生; a receipt of 200 (挂号费) unless refund; no discounts;
// a prepaid account of 300; vouchers by number; an IC card 020021 holding `onCard`.
struct Host {
    CalvaneConnection* conn = nullptr;
    QTemporaryDir dir;
    QString cardPath = dir.filePath(u"card.txt"_s);
    qint64 receipt = 0;
    qint32 account = 0;

    Host(const QString& backend, int refund, double onCard)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::Connection& c = db();
        db::schema::migrate(c);
        db::AddRecord(c, u"主治医生表"_s, {{u"医生姓名"_s, u"李医生"_s}, {u"医生编号"_s, u"D2"_s}, {u"科室"_s, u"口腔科"_s}}, {});
        db::AddRecord(c, u"病历卡表"_s, {{u"病历号"_s, 101}, {u"病人编号"_s, u"P1"_s}}, {});
        receipt = db::AddRecord(c, u"收费收据表"_s,
                                {{u"病历号"_s, 101}, {u"病人姓名"_s, u"张三"_s}, {u"挂号费"_s, 200.0},
                                 {u"合计"_s, refund ? -200.0 : 200.0}, {u"付款"_s, u"未付"_s},
                                 {u"医生姓名"_s, u"李医生"_s}, {u"FeeIO"_s, refund}});
        account = qint32(db::AddRecord(c, u"PrePay_Table"_s, {{u"VIP_CODE"_s, u"M1"_s}, {u"VIP_grade_value"_s, 50.0}}));
        db::AddRecord(c, u"PrePayUserSheet_Table"_s, {{u"PrePayer_ID"_s, account}, {u"Patient_Code"_s, u"P1"_s}});
        db::AddRecord(c, u"VIP_PtnSheet_Table"_s, {{u"VIP_ID"_s, account}, {u"Patient_Code"_s, u"P1"_s}}, {});
        db::AddRecord(c, u"PrePayReg_Table"_s, {{u"PrePayer_ID"_s, account}, {u"PrePay_IO"_s, 0}, {u"PrePay_Money"_s, 300.0}});
        db::AddRecord(c, u"病人简历表"_s, {{u"病人编号"_s, u"P1"_s}, {u"IS_VIP"_s, 1}, {u"VIP_Code"_s, u"M1"_s}}, {});
        db::AddRecord(c, u"Management_table"_s, {{u"FeeGadeYesNo"_s, 1}}, {});
        db::AddRecord(c, u"Grade_Calculte_table"_s,
                      {{u"FeeItemType"_s, 0}, {u"FeeItem"_s, u"挂号费"_s}, {u"FeeGradeCalculter"_s, 10.0}}, {});
        const QDateTime today = QDateTime::currentDateTime();
        voucher(u"V80"_s, 80);
        voucher(u"V300"_s, 300);
        voucher(u"020021"_s, 150, 1);
        voucher(u"VEXP"_s, 300, 0, 1, today.addDays(-1));
        voucher(u"VTODAY"_s, 300, 0, 1, QDateTime(today.date(), QTime(0, 0)));
        voucher(u"VPWD"_s, 300, 0, 0, {}, u"pw"_s);
        voucher(u"VBACK"_s, 300, 0, 0, {}, {}, 3);
        QFile f(cardPath);
        if (!f.open(QIODevice::WriteOnly)) qFatal("no card file");
        f.write(settle::icCardContent(u"020021"_s, onCard).toUtf8());
        f.close();
        qputenv("CALVANE_IC_CARD", cardPath.toUtf8());
    }
    ~Host()
    {
        CalvaneDisconnect(conn);
        qunsetenv("CALVANE_IC_CARD");
    }
    db::Connection& db() { return *conn->connection; }

    void voucher(const QString& code, double left, int kind = 0, int hasExpiry = 0, const QDateTime& expiry = {},
                 const QString& password = {}, int state = 2)
    {
        db::AddRecord(db(), u"PreferManagement_table"_s,
                      {{u"Card_Cover_Code"_s, code}, {u"Card_Kind_Type"_s, kind}, {u"Card_Left_Fee"_s, left},
                       {u"Card_Is_HaveExpire"_s, hasExpiry}, {u"Card_Expire_Date"_s, expiry.isValid() ? QVariant(expiry) : QVariant()},
                       {u"Card_Is_PWD"_s, password.isEmpty() ? 0 : 1}, {u"Card_PWD"_s, password},
                       {u"Card_Is_Takenback"_s, state}});
    }
    QVariant value(const QString& sql, const QVariantList& binds = {}) { return db::scalar(db(), sql, binds); }
    double left(const QString& code)
    {
        return db::toNumber(value(u"SELECT Card_Left_Fee FROM PreferManagement_table WHERE Card_Cover_Code=?"_s, {code}));
    }
    QString card() const
    {
        QFile f(cardPath);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    int32_t pay(int resettle, int32_t& state)
    {
        int32_t id = int32_t(receipt), lock = 0;
        return ReceiptPay(resettle, conn, "P1", 101, &id, "", "D2", "张三", 0.0, "王收款", &state, 1, &lock);
    }
};

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(u"message"_s)) texts << m.value(u"text"_s).toString();
    return texts;
}

// Choosing a method, then the payment dialog's steps, back in the checkout, settle, no print.
QString viaMethod(const QString& method, const QString& paymentSteps)
{
    return j(R"([{"choose":"付款方式","item":"%1"},{"dialog":"付款方式"},%2,{"dialog":"收费结帐"},
                {"click":"结   帐"},{"reply":"否"}])").arg(method, paymentSteps);
}

QString voucherSteps(const QString& number)
{
    return j(R"({"set":"请输入消费券的编号","to":"%1"},{"click":"验证"},{"click":"确定"})").arg(number);
}

// A voucher refused in the payment dialog: cancel it and close the checkout.
QString refusedVoucher(const QString& extra)
{
    return j(R"([{"choose":"付款方式","item":"消费券/卡"},{"dialog":"付款方式"},%1,{"click":"取消"},
                {"dialog":"收费结帐"},{"click":"关   闭"}])").arg(extra);
}

} // namespace

class TestCheckoutDialog : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase() { testdb::isolateSettings(); }

    void settles_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("script");
        QTest::addColumn<double>("onCard");
        QTest::addColumn<QStringList>("said");
        QTest::addColumn<int>("method"); // -1: nothing settled
        QTest::addColumn<double>("methodAmount");
        QTest::addColumn<double>("cash");
        QTest::addColumn<QString>("voucher"); // the voucher to check afterwards
        QTest::addColumn<double>("left");
        const QStringList done{kSettledText, kPrintQuestion};
        const QStringList methods{u"银行卡刷卡"_s, u"支票"_s, u"转帐"_s, u"医保支付"_s, u"新农合支付"_s};
        const QList<int> indexes{2, 3, 4, 6, 7};
        for (const QString& b : testdb::backends()) {
            const auto row = [&](const QString& name) { return &QTest::addRow("%s %s", qPrintable(b), qPrintable(name)); };
            *row(u"cash"_s) << b << u"[{\"set\":\"结帐备注\",\"to\":\"O'Brien\"},{\"click\":\"结帐\"},{\"reply\":\"否\"}]"_s << 150.0
                            << done << 0 << 0.0 << 0.0 << QString() << 0.0;
            for (int i = 0; i < methods.size(); ++i)
                *row(methods[i]) << b << viaMethod(methods[i], j(R"({"click":"确定"})")) << 150.0 << done << indexes[i]
                                 << 200.0 << 0.0 << QString() << 0.0;
            *row(u"prepayment"_s) << b << viaMethod(u"预付费交款"_s, j(R"({"click":"确定"})")) << 150.0 << done << 1
                                  << 200.0 << 0.0 << QString() << 0.0;
            *row(u"voucher covers part"_s) << b << viaMethod(u"消费券/卡"_s, voucherSteps(u"V80"_s)) << 150.0 << done
                                           << 5 << 80.0 << 120.0 << u"V80"_s << 0.0;
            *row(u"voucher covers all"_s) << b << viaMethod(u"消费券/卡"_s, voucherSteps(u"v300 "_s)) << 150.0 << done
                                          << 5 << 200.0 << 0.0 << u"V300"_s << 100.0;
            *row(u"voucher expiring today"_s) << b << viaMethod(u"消费券/卡"_s, voucherSteps(u"VTODAY"_s)) << 150.0
                                              << done << 5 << 200.0 << 0.0 << u"VTODAY"_s << 100.0;
            *row(u"IC card"_s) << b
                               << viaMethod(u"消费券/卡"_s, j(R"({"click":"刷IC卡"},{"click":"验证"},{"click":"确定"})"))
                               << 150.0 << done << 5 << 150.0 << 50.0 << u"020021"_s << 0.0;
            *row(u"password"_s) << b
                                << viaMethod(u"消费券/卡"_s,
                                             j(R"({"set":"请输入消费券的编号","to":"VPWD"},{"click":"验证"},
                                                 {"dialog":"密码验证"},{"set":"请输入消费券/卡的使用密码","to":"pw"},
                                                 {"click":"确定"},{"dialog":"付款方式"},{"click":"确定"})"))
                                << 150.0 << done << 5 << 200.0 << 0.0 << u"VPWD"_s << 100.0;
            *row(u"wrong password"_s) << b
                                      << refusedVoucher(j(R"({"set":"请输入消费券的编号","to":"VPWD"},{"click":"验证"},
                                                            {"dialog":"密码验证"},{"set":"请输入消费券/卡的使用密码","to":"PW"},
                                                            {"click":"确定"},{"dialog":"付款方式"})"))
                                      << 150.0 << QStringList{settle::kWrongPassword} << -1 << 0.0 << 0.0 << u"VPWD"_s << 300.0;
            *row(u"password not given"_s) << b
                                          << refusedVoucher(j(R"({"set":"请输入消费券的编号","to":"VPWD"},{"click":"验证"},
                                                                {"dialog":"密码验证"},{"click":"取消"},{"dialog":"付款方式"})"))
                                          << 150.0 << QStringList{settle::kNoPassword} << -1 << 0.0 << 0.0 << u"VPWD"_s << 300.0;
            *row(u"expired voucher"_s) << b << refusedVoucher(j(R"({"set":"请输入消费券的编号","to":"VEXP"},{"click":"验证"})"))
                                       << 150.0 << QStringList{settle::kVoucherExpired} << -1 << 0.0 << 0.0 << u"VEXP"_s << 300.0;
            *row(u"voucher taken back"_s) << b << refusedVoucher(j(R"({"set":"请输入消费券的编号","to":"VBACK"},{"click":"验证"})"))
                                          << 150.0 << QStringList{settle::kVoucherNotIssued} << -1 << 0.0 << 0.0 << u"VBACK"_s << 300.0;
            *row(u"IC card disagrees"_s) << b << refusedVoucher(j(R"({"click":"刷IC卡"},{"click":"验证"})")) << 140.0
                                         << QStringList{settle::kCardDisagrees} << -1 << 0.0 << 0.0 << u"020021"_s << 150.0;
            *row(u"closed"_s) << b << j(R"([{"click":"关   闭"}])") << 150.0 << QStringList() << -1 << 0.0 << 0.0
                              << QString() << 0.0;
        }
    }
    void settles()
    {
        QFETCH(QString, backend);
        QFETCH(QString, script);
        QFETCH(double, onCard);
        QFETCH(QStringList, said);
        QFETCH(int, method);
        QFETCH(double, methodAmount);
        QFETCH(double, cash);
        QFETCH(QString, voucher);
        QFETCH(double, left);
        Host h(backend, 0, onCard);
        ScriptRun run(QJsonDocument::fromJson(script.toUtf8()).array());
        int32_t state = 9;
        QCOMPARE(h.pay(0, state), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(messagesOf(run), said);
        QCOMPARE(state, 0);
        const qint64 records = db::toInteger(h.value(u"SELECT COUNT(*) FROM 病历收费单"_s));
        QCOMPARE(records, method < 0 ? 0 : 1);
        QCOMPARE(db::toText(h.value(u"SELECT 付款 FROM 收费收据表 WHERE ID=?"_s, {h.receipt})),
                 method < 0 ? u"未付"_s : u"已付"_s);
        if (!voucher.isEmpty()) QCOMPARE(h.left(voucher), left);
        if (method < 0) {
            QCOMPARE(h.card(), settle::icCardContent(u"020021"_s, onCard));
            return;
        }
        db::Query q(h.db(), u"SELECT * FROM 病历收费单"_s);
        q.exec();
        QVERIFY(q.next());
        QCOMPARE(q.integer(u"MoneyPayed_type"_s), method);
        QCOMPARE(q.number(u"OtherTypePayedMoney"_s), methodAmount);
        QCOMPARE(q.number(u"CashMoney"_s), cash);
        QCOMPARE(q.number(u"收款金额"_s), 200.0);
        QCOMPARE(q.integer(u"ReceiptID"_s), h.receipt);
        QCOMPARE(q.text(u"收款人"_s), u"王收款"_s);
        if (method == 0) QCOMPARE(q.text(u"备注"_s), u"O'Brien"_s);
        QCOMPARE(db::toNumber(h.value(u"SELECT SUM(Payed_Money) FROM PrePayUseReg_Table"_s)), method == 1 ? 200.0 : 0.0);
        if (voucher == u"020021"_s) QCOMPARE(h.card(), u"A1CA020021A2CAA2MA0.000000A3MA"_s);
        if (method == 5)
            QCOMPARE(q.integer(u"PreferID"_s),
                     db::toInteger(h.value(u"SELECT ID FROM PreferManagement_table WHERE Card_Cover_Code=?"_s, {voucher})));
        // Points: 10 × 1.0 × 200 × 0.01 on the member's 50.
        QCOMPARE(db::toNumber(h.value(u"SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"_s, {h.account})), 70.0);
    }

    void printQuestion_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("result");
        QTest::newRow("print") << u"是"_s << 1;
        QTest::newRow("no print") << u"否"_s << 0;
    }
    void printQuestion()
    {
        QFETCH(QString, reply);
        QFETCH(int, result);
        Host h(u"sqlite"_s, 0, 150);
        ScriptRun run(QJsonDocument::fromJson(j(R"([{"click":"结   帐"},{"reply":"%1"}])").arg(reply).toUtf8()).array());
        int32_t state = 9;
        QCOMPARE(h.pay(0, state), result);
        QCOMPARE(messagesOf(run), (QStringList{kSettledText, kPrintQuestion}));
    }

    // A refund receipt takes points off; a re-settlement rewrites the record and books none.
    void refundThenAgain_data() { testdb::addBackendRows(); }
    void refundThenAgain()
    {
        QFETCH(QString, backend);
        Host h(backend, 1, 150);
        int32_t state = 9;
        {
            ScriptRun run(steps(R"([{"click":"结   帐"},{"reply":"否"}])"));
            QCOMPARE(h.pay(0, state), 0);
            QCOMPARE(messagesOf(run).value(0), kSettledText);
        }
        // Money paid back is stored negative.
        for (const QString& column : {u"总计应收费用"_s, u"实收费用"_s, u"收款金额"_s})
            QCOMPARE(db::toNumber(h.value(u"SELECT "_s + column + u" FROM 病历收费单"_s)), -200.0);
        QCOMPARE(db::toNumber(h.value(u"SELECT Grade_value FROM Grade_Record_table"_s)), -20.0);
        QCOMPARE(db::toNumber(h.value(u"SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"_s, {h.account})), 30.0);
        {
            ScriptRun run(steps(R"([{"set":"实收金额","to":"150"},{"set":"结帐备注","to":"改"},
                                   {"choose":"付款方式","item":"银行卡刷卡"},{"dialog":"付款方式"},{"click":"确定"},
                                   {"dialog":"收费结帐"},{"click":"结   帐"},{"reply":"否"}])"));
            state = 9;
            QCOMPARE(h.pay(1, state), 0);
            QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
            QCOMPARE(messagesOf(run).value(0), kSettledText);
            QCOMPARE(state, 9); // a re-settlement leaves it as the host gave it
        }
        QCOMPARE(db::toInteger(h.value(u"SELECT COUNT(*) FROM 病历收费单"_s)), 1);
        QCOMPARE(db::toNumber(h.value(u"SELECT 收款金额 FROM 病历收费单"_s)), 150.0);
        QCOMPARE(db::toNumber(h.value(u"SELECT OtherTypePayedMoney FROM 病历收费单"_s)), 150.0);
        QCOMPARE(db::toInteger(h.value(u"SELECT MoneyPayed_type FROM 病历收费单"_s)), 2);
        QCOMPARE(db::toText(h.value(u"SELECT 备注 FROM 病历收费单"_s)), u"改"_s);
        QCOMPARE(db::toInteger(h.value(u"SELECT COUNT(*) FROM Grade_Record_table"_s)), 1);
    }

    // Points belong to the settlement: when they cannot be booked (here their table is gone)
    // the settlement goes back whole and the checkout stays open, never settled without them.
    void pointsFailingTakeTheSettlementBack_data() { testdb::addBackendRows(); }
    void pointsFailingTakeTheSettlementBack()
    {
        QFETCH(QString, backend);
        Host h(backend, 0, 150);
        h.db().execute(u"DROP TABLE Grade_Record_table"_s);
        ScriptRun run(steps(R"([{"click":"结   帐"},{"click":"关   闭"}])"));
        int32_t state = 9;
        QCOMPARE(h.pay(0, state), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(messagesOf(run), QStringList{prepay::kPointsNotBooked});
        QCOMPARE(db::toText(h.value(u"SELECT 付款 FROM 收费收据表 WHERE ID=?"_s, {h.receipt})), u"未付"_s);
        QCOMPARE(db::toInteger(h.value(u"SELECT COUNT(*) FROM 病历收费单"_s)), 0);
        QCOMPARE(db::toNumber(h.value(u"SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"_s, {h.account})), 50.0);
    }

    // A settlement flag other than 0 and 1 is refused before the dialog opens: it would settle as
    // a first settlement without what a first settlement books.
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
        Host h(backend, 0, 150);
        bool shown = false;
        app::Dialog::setShownHook([&](app::Dialog&) { shown = true; });
        ScriptRun run(steps(R"([])"));
        int32_t state = 9;
        QCOMPARE(h.pay(flag, state), 0);
        app::Dialog::setShownHook(nullptr);
        QVERIFY(!shown);
        QCOMPARE(messagesOf(run), QStringList{settle::kBadSettlementFlag});
        QVERIFY(QString::fromUtf8(CalvaneLastError()).contains(settle::kBadSettlementFlag));
        QCOMPARE(db::toText(h.value(u"SELECT 付款 FROM 收费收据表 WHERE ID=?"_s, {h.receipt})), u"未付"_s);
        QCOMPARE(db::toInteger(h.value(u"SELECT COUNT(*) FROM 病历收费单"_s)), 0);
    }

    // Settled at another desk while this one was open: no second record, the host is told.
    void settledMeanwhile_data() { testdb::addBackendRows(); }
    void settledMeanwhile()
    {
        QFETCH(QString, backend);
        Host h(backend, 0, 150);
        app::Dialog::setShownHook([&](app::Dialog&) {
            db::execute(h.db(), u"UPDATE 收费收据表 SET 付款='已付' WHERE ID=?"_s, {h.receipt});
        });
        ScriptRun run(steps(R"([{"click":"结   帐"},{"click":"关   闭"}])"));
        int32_t state = 9;
        QCOMPARE(h.pay(0, state), 0);
        app::Dialog::setShownHook(nullptr);
        QCOMPARE(messagesOf(run), QStringList{settle::kReceiptNotSettled});
        QVERIFY(!QString::fromUtf8(CalvaneLastError()).isEmpty());
        QCOMPARE(db::toInteger(h.value(u"SELECT COUNT(*) FROM 病历收费单"_s)), 0);
    }
};

QTEST_MAIN(TestCheckoutDialog)
#include "tst_checkout_dialog.moc"
