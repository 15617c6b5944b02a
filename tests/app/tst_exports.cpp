// The dialog exports through the C API, driven by automation scripts: how scripts reach the
// dialogs, and what a call that cannot run answers.
#include "ScriptRun.h"
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "common/Settings.h"
#include "app/HostConnection.h"
#include "db/Query.h"
#include "settle/StandardCheckoutDialog.h"
#include "tests/support/TestDb.h"
#include "tools/calvane/ExportTable.h"
#include <functional>
#include <tuple>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

class TestExports : public QObject {
    Q_OBJECT
    CalvaneConnection* conn_ = nullptr;
    double date_ = oledate::fromDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));

private slots:
    void initTestCase()
    {
        testdb::isolateSettings();
        auto c = testdb::open(QStringLiteral("sqlite"));
        QCOMPARE(CalvaneConnect(qPrintable(QStringLiteral("sqlite:") + c->database().databaseName()), &conn_), 0);
    }
    void cleanupTestCase() { CalvaneDisconnect(conn_); }
    void cleanup()
    {
        app::Dialog::setShownHook(nullptr);
        app::Dialog::setOpenedHook(nullptr);
    }

    // A script file set through the environment, as a clinic's own checks would.
    void scriptFromEnvironment()
    {
        qputenv("CALVANE_UI_SCRIPT", SCRIPTS_DIR "/ReceiptSet-cancel.json");
        int32_t receiptId = 5;
        const int32_t result = ReceiptSet(conn_, 1001, &receiptId, "", "", "", "", date_, "", nullptr);
        qunsetenv("CALVANE_UI_SCRIPT");
        QCOMPARE(int(result), 1);
        QCOMPARE(receiptId, 5);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
    }

    // A refused step cancels the dialog; the export maps that like any cancel.
    void refusedStepCancels()
    {
        ScriptRun run(steps(R"([{"set":"姓名","to":"王五"},{"click":"提交"}])"));
        int32_t receiptId = 5;
        const int32_t result = ReceiptSet(conn_, 1001, &receiptId, "", "", "", "", date_, "", nullptr);
        QCOMPARE(int(result), 1);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()),
                 QStringLiteral(R"(step 1 {"set":"姓名","to":"王五"}: control "姓名" is read-only)"));
    }

    // A call that cannot run shows nothing, changes nothing and answers as for a cancel: for these
    // exports 0 would read as "confirmed".
    void refusedCallsChangeNothing_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QByteArray>("patient");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no connection") << false << QByteArray("张三") << "no database connection";
        QTest::newRow("text in GBK") << true << QByteArray("\xd5\xc5\xc8\xfd")
                                     << "a text parameter is not valid UTF-8 (begins d5 c5 c8 fd)";
    }
    void refusedCallsChangeNothing()
    {
        QFETCH(bool, connected);
        QFETCH(QByteArray, patient);
        QFETCH(QString, reason);
        ScriptRun run(steps(R"([{"click":"确定"}])"));
        CalvaneConnection* c = connected ? conn_ : nullptr;
        const char* p = patient.constData();
        const std::pair<const char*, std::function<int32_t(int32_t*)>> calls[] = {
            {"ReceiptSet", [&](int32_t* id) { return ReceiptSet(c, 1, id, "", "", "", p, date_, "", nullptr); }},
            {"StandartPaySet0",
             [&](int32_t* id) { return StandartPaySet0(c, 1, id, "", "", "", p, "", date_, "", nullptr); }},
            {"MedicineRescriptionSet",
             [&](int32_t* id) { return MedicineRescriptionSet(c, 1, id, "", "", "", "", p, "", date_, "", nullptr); }},
        };
        for (const auto& [name, call] : calls) {
            int32_t receiptId = 5;
            QCOMPARE(int(call(&receiptId)), 1);
            QCOMPARE(receiptId, 5);
            QCOMPARE(QString::fromUtf8(CalvaneLastError()), QStringLiteral("%1: %2").arg(QLatin1String(name), reason));
        }
        QVERIFY(run.events(QStringLiteral("open")).isEmpty());
    }

    // The dialog gets the call's inputs and its own reference to the host's connection.
    void dialogGetsInputs()
    {
        ScriptRun run(QJsonArray{});
        QString patient;
        long references = 0;
        const db::Connection* used = nullptr;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (auto* e : d.findChildren<QLineEdit*>())
                if (e->accessibleName() == QStringLiteral("姓名")) patient = e->text();
            references = d.connectionPtr().use_count();
            used = d.connectionPtr().get();
            d.endDialog(app::IDCANCEL);
        });
        int32_t receiptId = 0;
        ReceiptSet(conn_, 1001, &receiptId, nullptr, nullptr, nullptr, "张三", date_, nullptr, nullptr);
        QCOMPARE(patient, QStringLiteral("张三"));
        QCOMPARE(used, conn_->connection.get());
        QVERIFY(references >= 2); // the host's and the dialog's own
    }
};

QTEST_MAIN(TestExports)
#include "tst_exports.moc"
