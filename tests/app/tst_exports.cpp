// The dialog exports through the C API, driven by automation scripts: how scripts reach the
// dialogs, what a call that cannot run answers, and the settings a dialog reads when it opens.
#include "ScriptRun.h"
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "common/Settings.h"
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
        QCOMPARE(CalvaneConnect(qPrintable(QStringLiteral("sqlite:") + c->sqliteFile()), &conn_), 0);
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

    // The title and discount choice a dialog reads when it opens, under each state of the settings.
    void settingsReadOnOpen_data()
    {
        QTest::addColumn<bool>("keyExists");
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("discout");
        QTest::addColumn<QVariantMap>("storedAfter");
        // The standard checkout reads both; its switch starts on and stays on unless "0" is stored.
        // Without the key nothing is read or written, and the sheet carries the built-in title.
        const QString builtIn = settings::defaultReceiptTitle;
        QTest::newRow("key missing: nothing read or written") << false << QVariantMap() << builtIn << 1 << QVariantMap();
        QTest::newRow("values missing: defaults written back")
            << true << QVariantMap() << "口 腔 门 诊 部" << 1
            << QVariantMap{{"ReceiptTitle", "口 腔 门 诊 部"}, {"FeeDiscout", "1"}};
        QTest::newRow("stored values") << true << QVariantMap{{"ReceiptTitle", "阳光口腔"}, {"FeeDiscout", "0"}}
                                       << "阳光口腔" << 0
                                       << QVariantMap{{"ReceiptTitle", "阳光口腔"}, {"FeeDiscout", "0"}};
        QTest::newRow("other discount text keeps the dialog's choice")
            << true << QVariantMap{{"ReceiptTitle", "A"}, {"FeeDiscout", "2"}} << "A" << 1
            << QVariantMap{{"ReceiptTitle", "A"}, {"FeeDiscout", "2"}};
        const QString longTitle(300, QChar(0x53E3));
        QTest::newRow("title cut to 255 characters") << true << QVariantMap{{"ReceiptTitle", longTitle}}
                                                     << longTitle.left(255) << 1
                                                     << QVariantMap{{"ReceiptTitle", longTitle}, {"FeeDiscout", "1"}};
    }
    void settingsReadOnOpen()
    {
        QFETCH(bool, keyExists);
        QFETCH(QVariantMap, stored);
        const QString path = testdb::isolateSettings();
        if (keyExists) {
            settings::createKey();
            for (auto it = stored.begin(); it != stored.end(); ++it) settings::writeValue(it.key(), it.value().toString());
        }
        QString title = QStringLiteral("(not read)");
        int discout = -2;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            if (auto* checkout = qobject_cast<StandardCheckoutDialog*>(&d); checkout && checkout->form()) {
                title = checkout->form()->receiptTitle;
                discout = checkout->form()->switchVisible ? int(checkout->form()->switchOn) : -1;
            }
        });
        // Discounts offered, so that the checkout reads its switch.
        db::Connection& c = *conn_->connection;
        db::execute(c, QStringLiteral("DELETE FROM DiscountSet_table"));
        db::execute(c, QStringLiteral("INSERT INTO DiscountSet_table (DiscoutYesNo, FeeItemYesNo) VALUES (1, 0)"));
        // An unpaid receipt of one catalogue item for case 1, which the checkout finds by itself.
        db::execute(c, QStringLiteral("INSERT INTO 收费收据表 (病历号, 付款, 合计) VALUES (1, '未付', 10)"));
        const qint64 receipt = db::toInteger(db::scalar(c, QStringLiteral("SELECT MAX(ID) FROM 收费收据表")));
        db::execute(c, QStringLiteral("INSERT INTO 收费明细表 (收据编号, 收费项目, 金额) VALUES (?, '洁治', 10)"), {receipt});
        ScriptRun run(steps(R"([{"click":"关闭"}])"));
        int32_t state = 0;
        StandartPay(0, conn_, 1, nullptr, "", "", "", "", "", "", date_, &state, 0, nullptr);
        db::execute(c, QStringLiteral("DELETE FROM 收费明细表 WHERE 收据编号=?"), {receipt});
        db::execute(c, QStringLiteral("DELETE FROM 收费收据表 WHERE ID=?"), {receipt});
        db::execute(c, QStringLiteral("DELETE FROM DiscountSet_table"));
        QTEST(title, "title");
        QTEST(discout, "discout");
        QCOMPARE(QFile::exists(path), keyExists);
        QVariantMap after;
        if (keyExists) {
            QSettings s(path, QSettings::IniFormat);
            for (const QString& k : s.allKeys()) after[k] = s.value(k).toString();
        }
        QTEST(after, "storedAfter");
    }
};

QTEST_MAIN(TestExports)
#include "tst_exports.moc"
