// The dialog exports through the C API, driven by automation scripts: which ending writes
// which out-parameter and what each returns.
#include "ScriptRun.h"
#include "app/Dialog.h"
#include "app/PlaceholderDialog.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "tests/support/TestDb.h"
#include <QTest>

namespace {

// What the dialog does besides the script: the value a real dialog would have produced, and
// an ending of its own (neither OK nor cancel).
struct DialogAct {
    QString field;
    int value = 0;
    int otherEnding = 0;
};

void installAct(const DialogAct& act)
{
    app::Dialog::setShownHook([act](app::Dialog& d) {
        if (auto* p = qobject_cast<app::PlaceholderDialog*>(&d); p && !act.field.isEmpty())
            p->setField(act.field, act.value);
        if (act.otherEnding) d.endDialog(act.otherEnding);
    });
}

} // namespace

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
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    // StandartPaySet0 still runs a stand-in dialog, so the frame's part is seen on its own here;
    // ReceiptSet's own dialog is tested in tests/receipt.
    void standartPaySet0_data()
    {
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<int>("otherEnding");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("receiptId");
        QTest::addColumn<QString>("ending");
        QTest::newRow("confirmed") << steps(R"([{"dialog":"填写收据"},{"click":"确  定"}])") << 0 << 0 << 77 << "IDOK";
        QTest::newRow("cancelled") << steps(R"([{"click":"取消"}])") << 0 << 1 << 5 << "IDCANCEL";
        QTest::newRow("window closed") << steps(R"([{"close":true}])") << 0 << 1 << 5 << "IDCANCEL";
        QTest::newRow("no steps left") << QJsonArray() << 0 << 1 << 5 << "IDCANCEL";
        QTest::newRow("other ending") << QJsonArray() << 9 << 0 << 77 << "9";
    }
    void standartPaySet0()
    {
        QFETCH(QJsonArray, script);
        QFETCH(int, otherEnding);
        ScriptRun run(script);
        installAct({QStringLiteral("收据ID"), 77, otherEnding});
        int32_t receiptId = 5, dateLock = 1;
        const int32_t result =
            StandartPaySet0(conn_, 1001, &receiptId, "王医生", "口腔科", "D01", "张三", "P01", date_, "李护士", &dateLock);
        QTEST(int(result), "result");
        QTEST(int(receiptId), "receiptId");
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        const auto opened = run.events(QStringLiteral("open"));
        const auto closed = run.events(QStringLiteral("close"));
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].value(QStringLiteral("dialog")).toString(), QStringLiteral("填写收据"));
        QCOMPARE(opened[0].value(QStringLiteral("resource")).toInt(), 2012);
        QCOMPARE(closed.size(), 1);
        QTEST(closed[0].value(QStringLiteral("ending")).toString(), "ending");
    }

    // A script file set through the environment, as a clinic's own checks would.
    void scriptFromEnvironment()
    {
        qputenv("CALVANE_UI_SCRIPT", SCRIPTS_DIR "/StandartPaySet0-confirm.json");
        int32_t receiptId = 5;
        const int32_t result = StandartPaySet0(conn_, 1001, &receiptId, "", "", "", "", "", date_, "", nullptr);
        qunsetenv("CALVANE_UI_SCRIPT");
        QCOMPARE(int(result), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
    }

    // The dialog gets the call's inputs and its own reference to the host's connection.
    void dialogGetsInputs()
    {
        ScriptRun run(steps(R"([{"click":"确定"}])"));
        QString patient, date;
        long references = 0;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            auto& p = static_cast<app::PlaceholderDialog&>(d);
            patient = p.field(QStringLiteral("姓名")).toString();
            date = p.field(QStringLiteral("日期")).toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            references = d.connectionPtr().use_count();
        });
        int32_t receiptId = 0;
        StandartPaySet0(conn_, 1001, &receiptId, nullptr, nullptr, nullptr, "张三", nullptr, date_, nullptr, nullptr);
        QCOMPARE(patient, QStringLiteral("张三"));
        QCOMPARE(date, QStringLiteral("2024-03-05 09:30:00"));
        QCOMPARE(references, 2L); // the host's and the dialog's
    }
};

QTEST_MAIN(TestExports)
#include "tst_exports.moc"
