// StandartPay and StandartPayResult through the C API, driven by scripts on every backend: the
// settlement state and receipt handed back, the print question, and view mode.
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "receipt/StandardItemWriter.h"
#include "settle/Settlement.h"
#include "settle/Tendered.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include <QJsonDocument>
#include <QPushButton>
#include <QTest>

namespace {

const QString printPrompt = QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!");

struct Host {
    CalvaneConnection* conn = nullptr;
    explicit Host(const QString& backend)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::schema::migrate(db());
    }
    ~Host() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }
};

// An unpaid standard-item receipt of case 7: 洁治 100 at the doctor's approved rate 0.8.
qint64 addReceipt(db::Connection& c)
{
    receipt::StandardItemList items;
    receipt::StandardItem i;
    i.name = QStringLiteral("洁治");
    i.unitPrice = i.undiscountedAmount = i.discountedAmount = 100.0;
    i.quantity = 1;
    i.discountable = 1;
    items.add(i);
    receipt::StandardReceiptHeader h;
    h.caseNumber = 7;
    h.patientName = QStringLiteral("张三");
    h.doctorName = QStringLiteral("王医生");
    h.discountType = 0;
    h.discountValue = 0.8;
    return receipt::writeStandardReceipt(c, h, items).id;
}

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(QStringLiteral("message"))) texts << m.value(QStringLiteral("text")).toString();
    return texts;
}

} // namespace

class TestStandardCheckoutDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    void standartPay_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("paid");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral(": settled, printed")))
                << b << QByteArray(R"([{"dialog":"收费结帐"},{"set":"结帐备注","to":"现金"},{"click":"结帐"},{"reply":"是"}])")
                << 1 << 1 << QStringList{QStringLiteral("收据结帐成功!"), printPrompt} << "已付";
            // 收款 below the cash due is refused with nothing booked; enough settles.
            QTest::newRow(qPrintable(b + QStringLiteral(": cash handed over")))
                << b
                << QByteArray(R"([{"dialog":"收费结帐"},{"set":"收款","to":"79.99"},{"click":"结帐"},)"
                              R"({"set":"收款","to":"100"},{"click":"结帐"},{"reply":"是"}])")
                << 1 << 1
                << QStringList{settle::kTenderedTooLow.arg(QStringLiteral("80.00")), QStringLiteral("收据结帐成功!"), printPrompt}
                << "已付";
            QTest::newRow(qPrintable(b + QStringLiteral(": closed"))) << b << QByteArray(R"([{"click":"关闭"}])") << 0
                                                                      << 0 << QStringList() << "未付";
        }
    }
    void standartPay()
    {
        QFETCH(QString, backend);
        QFETCH(QByteArray, script);
        Host host(backend);
        const qint64 id = addReceipt(host.db());
        ScriptRun run(QJsonDocument::fromJson(script).array());
        int32_t receiptId = 0, state = 9, dateLock = 0;
        const int32_t got = StandartPay(0, host.conn, 7, &receiptId, "王医生", "口腔科", "D01", "张三", "P1", "收款员", 0.0,
                                        &state, 1, &dateLock);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QTEST(int(got), "result");
        QTEST(int(state), "state");
        QTEST(messagesOf(run), "messages");
        QTEST(db::toText(db::scalar(host.db(), QStringLiteral("SELECT 付款 FROM 收费收据表 WHERE ID=?"), {id})), "paid");
        QCOMPARE(qint64(receiptId), got ? id : 0); // the unpaid receipt of the case was found and handed back
    }

    // A settlement flag other than 0 and 1 is refused before the dialog opens, nothing written.
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
        Host host(backend);
        const qint64 id = addReceipt(host.db());
        bool shown = false;
        app::Dialog::setShownHook([&](app::Dialog&) { shown = true; });
        ScriptRun run(steps(R"([])"));
        int32_t receiptId = int32_t(id), state = 9, dateLock = 0;
        QCOMPARE(int(StandartPay(flag, host.conn, 7, &receiptId, "王医生", "口腔科", "D01", "张三", "P1", "收款员", 0.0,
                                 &state, 1, &dateLock)),
                 0);
        QVERIFY(!shown);
        QCOMPARE(messagesOf(run), QStringList{settle::kBadSettlementFlag});
        QCOMPARE(int(state), 9);
        QCOMPARE(db::toText(db::scalar(host.db(), QStringLiteral("SELECT 付款 FROM 收费收据表 WHERE ID=?"), {id})), u"未付");
        QCOMPARE(db::toInteger(db::scalar(host.db(), QStringLiteral("SELECT count(*) FROM 病历收费单"))), 0);
    }

    // View mode: the receipt is shown, "结   帐" is not there, nothing is written.
    void standartPayResult_data() { testdb::addBackendRows(); }
    void standartPayResult()
    {
        QFETCH(QString, backend);
        Host host(backend);
        const qint64 id = addReceipt(host.db());
        bool settleShown = true;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            settleShown = d.findChild<QPushButton*>(QStringLiteral("settleButton"))->isVisible();
        });
        ScriptRun run(steps(R"([{"click":"关闭"}])"));
        int32_t receiptId = int32_t(id);
        QCOMPARE(int(StandartPayResult(0, host.conn, 7, &receiptId, "王医生", "口腔科", "D01", "张三", "P1", "收款员")), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QVERIFY(!settleShown);
        QCOMPARE(db::toInteger(db::scalar(host.db(), QStringLiteral("SELECT count(*) FROM 病历收费单"))), 0);
    }
};

QTEST_MAIN(TestStandardCheckoutDialog)
#include "tst_standard_checkout_dialog.moc"
