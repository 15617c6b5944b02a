// The dialog exports through the C API, driven by automation scripts: which ending writes
// which out-parameter, what each returns, when the print prompt is asked, and the settings
// the dialogs read when they open.
#include "ScriptRun.h"
#include "app/Dialog.h"
#include "app/PlaceholderDialog.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "common/Settings.h"
#include "tests/support/TestDb.h"
#include "tools/calvane/ExportTable.h"
#include <functional>
#include <tuple>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

namespace {

const QString printPrompt = QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!");

// What a dialog does besides the script: the values a real dialog would have produced (say, the
// identifier of the receipt it stored), and an ending of its own (neither OK nor cancel).
struct DialogAct {
    QVariantMap fields;
    int otherEnding = 0;
};

void installAct(const DialogAct& act)
{
    app::Dialog::setShownHook([act](app::Dialog& d) {
        if (auto* p = qobject_cast<app::PlaceholderDialog*>(&d))
            for (auto it = act.fields.begin(); it != act.fields.end(); ++it) p->setField(it.key(), it.value());
        if (act.otherEnding) d.endDialog(act.otherEnding);
    });
}

DialogAct sets(const QString& field, int value) { return {{{field, value}}, 0}; }

QStringList titles(const QList<QJsonObject>& events)
{
    QStringList t;
    for (const QJsonObject& e : events) t << e.value(QStringLiteral("dialog")).toString();
    return t;
}

} // namespace

Q_DECLARE_METATYPE(DialogAct)

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

    void endings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<DialogAct>("act");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<int>("prompts");

        const QStringList walkin{"sheet_id=0", "stored_id=-1", "second=-1"};
        // Both walk-in dialogs run for real (tests/walkin, tests/receipt); their cancel and close are here.
        for (const auto& [name, title, closeButton] :
             {std::tuple{"PayForNoCard", "无病案收费单", "关闭"}, {"StandartPayForNoCard", "无病案标准收费", "关闭"}}) {
            const QString n = QString::fromLatin1(name);
            QTest::addRow("%s cancelled", name)
                << n << walkin << QJsonArray{QJsonObject{{"click", QString::fromUtf8(closeButton)}}} << DialogAct() << 0
                << R"({"stored_id":-1,"second":-1})" << QStringList{title} << 0;
            QTest::addRow("%s closed", name) << n << walkin << steps(R"([{"close":true}])") << DialogAct() << 0
                                            << R"({"stored_id":-1,"second":-1})" << QStringList{title} << 0;
        }

        // ReceiptSet, StandartPaySet0 and MedicineRescriptionSet run their own dialogs (tests/receipt, tests/rx).
        const DialogAct settles = sets(QStringLiteral("结帐状态"), 3);
        // ReceiptPay runs its own dialog (tests/settle); the prescription checkout a stand-in.
        for (const auto& [name, title] : {std::pair{"RescriptionReceiptPay", "处方结帐"}}) {
            const QString n = QString::fromLatin1(name);
            QTest::addRow("%s confirmed, print", name)
                << n << QStringList{"state=9", "print_switch=1"} << steps(R"([{"click":"确定"},{"reply":"是"}])")
                << settles << 1 << R"({"state":3})" << QStringList{title} << 1;
            QTest::addRow("%s confirmed, no print", name)
                << n << QStringList{"state=9", "print_switch=1"} << steps(R"([{"click":"确定"},{"reply":"否"}])")
                << settles << 0 << R"({"state":3})" << QStringList{title} << 1;
            QTest::addRow("%s print switch 0", name)
                << n << QStringList{"state=9", "print_switch=0"} << steps(R"([{"click":"确定"}])") << settles << 0
                << R"({"state":3})" << QStringList{title} << 0;
            QTest::addRow("%s cancelled still writes the state", name)
                << n << QStringList{"state=9", "print_switch=1"} << steps(R"([{"click":"取消"}])") << settles << 0
                << R"({"state":3})" << QStringList{title} << 0;
        }

        const DialogAct settlesStandard{{{QStringLiteral("结帐状态"), 3}, {QStringLiteral("收据ID"), 77}}, 0};
        const QStringList standard{"receipt_id=5", "state=9", "print_switch=1"};
        QTest::newRow("StandartPay confirmed, print")
            << "StandartPay" << standard << steps(R"([{"click":"确定"},{"reply":"是"}])") << settlesStandard << 1
            << R"({"receipt_id":77,"state":3})" << QStringList{"收费结帐"} << 1;
        QTest::newRow("StandartPay print switch 2")
            << "StandartPay" << QStringList{"receipt_id=5", "state=9", "print_switch=2"}
            << steps(R"([{"click":"确定"}])") << settlesStandard << 0 << R"({"receipt_id":77,"state":3})"
            << QStringList{"收费结帐"} << 0;
        QTest::newRow("StandartPay cancelled writes only the state")
            << "StandartPay" << standard << steps(R"([{"click":"取消"}])") << settlesStandard << 0
            << R"({"receipt_id":5,"state":3})" << QStringList{"收费结帐"} << 0;
        QTest::newRow("StandartPayResult") << "StandartPayResult" << QStringList{"receipt_id=5"}
                                           << steps(R"([{"click":"确定"}])") << settlesStandard << 0 << "{}"
                                           << QStringList{"收费结帐"} << 0;
        QTest::newRow("ReceiptEditResult") << "ReceiptEditResult" << QStringList{"receipt_id=5"}
                                           << steps(R"([{"click":"关闭"}])") << DialogAct() << 0 << "{}"
                                           << QStringList{"收费收据"} << 0;

        // The forms hand back the host's receipt on OK, 0 otherwise (their flows: tests/print).
        for (const auto& [name, title, ok] : {std::tuple{"BeijingReceiptPrint", "北京门诊收费专用收据", "确定"},
                                             {"BeijingReceiptPrint1", "北京市门诊收费专用收据", "结帐"}}) {
            const QString n = QString::fromLatin1(name);
            QTest::addRow("%s confirmed", name)
                << n << QStringList{"receipt_id=5", "amount=120.50"}
                << QJsonArray{QJsonObject{{QStringLiteral("click"), QString::fromUtf8(ok)}}} << DialogAct() << 5
                << R"({"receipt_id":5})" << QStringList{title} << 0;
            QTest::addRow("%s cancelled writes 0", name) << n << QStringList{"receipt_id=5"}
                                                        << steps(R"([{"click":"取消"}])") << DialogAct() << 0
                                                        << R"({"receipt_id":0})" << QStringList{title} << 0;
        }
        QTest::newRow("ReceiptPrint") << "ReceiptPrint" << QStringList{"value1=3", "text1=x"} << QJsonArray()
                                      << DialogAct() << 0 << "{}" << QStringList() << 0;

        QTest::newRow("SDTableStatic") << "SDTableStatic" << QStringList() << steps(R"([{"click":"关闭"}])")
                                       << DialogAct() << 0 << "{}"
                                       << QStringList{"统计报表(注：专用功能，请谨慎使用!)"} << 0;
        QTest::newRow("SDTableDisable") << "SDTableDisable" << QStringList() << steps(R"([{"close":true}])")
                                        << DialogAct() << 0 << "{}" << QStringList{"退票设置"} << 0;
        QTest::newRow("HEBEITableStatic") << "HEBEITableStatic" << QStringList() << steps(R"([{"click":"关闭"}])")
                                          << DialogAct() << 0 << "{}" << QStringList{"缴款统计"} << 0;
        QTest::newRow("SetSysthesisChoice with detail")
            << "SetSysthesisChoice" << QStringList{"report_type=1"}
            << steps(R"([{"set":"统计标准收费项目中的相关内容","to":"1"},{"click":"确定"},
                         {"dialog":"明细统计内容设置"},{"click":"关闭"}])")
            << DialogAct() << 0 << "{}" << QStringList{"统计项目设置", "明细统计内容设置"} << 0;
        QTest::newRow("SetSysthesisChoice without detail")
            << "SetSysthesisChoice" << QStringList() << steps(R"([{"click":"确定"}])") << DialogAct() << 0 << "{}"
            << QStringList{"统计项目设置"} << 0;
        QTest::newRow("SetSysthesisChoice cancelled with detail ticked")
            << "SetSysthesisChoice" << QStringList()
            << steps(R"([{"set":"统计标准收费项目中的相关内容","to":"1"},{"click":"取消"}])") << DialogAct() << 0
            << "{}" << QStringList{"统计项目设置"} << 0;
        QTest::newRow("SetSysthesisStandartItemChoice")
            << "SetSysthesisStandartItemChoice" << QStringList() << steps(R"([{"click":"关闭"}])") << DialogAct()
            << 0 << "{}" << QStringList{"明细统计内容设置"} << 0;
    }
    void endings()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, args);
        QFETCH(QJsonArray, script);
        QFETCH(DialogAct, act);
        QFETCH(QStringList, opened);

        const calltable::Export* e = calltable::find(name);
        QVERIFY(e);
        calltable::Args values(*e);
        values.setConnection(conn_);
        for (const QString& a : args) {
            QString error;
            QVERIFY2(values.set(a.section('=', 0, 0), a.section('=', 1), &error), qPrintable(error));
        }
        ScriptRun run(script);
        installAct(act);
        const int32_t result = values.call();

        QTEST(int(result), "result");
        const QByteArray json = values.resultJson(result);
        QTEST(QString::fromUtf8(json.mid(json.indexOf("\"out\":") + 6).chopped(1)), "out");
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(titles(run.events(QStringLiteral("open"))), opened);
        int prompts = 0;
        for (const QJsonObject& m : run.events(QStringLiteral("message")))
            prompts += m.value(QStringLiteral("text")).toString() == printPrompt;
        QTEST(prompts, "prompts");
    }

    // A script file set through the environment, as a clinic's own checks would.
    void scriptFromEnvironment()
    {
        qputenv("CALVANE_UI_SCRIPT", SCRIPTS_DIR "/StandartPaySet0-submit.json");
        int32_t receiptId = 0;
        const int32_t result =
            StandartPaySet0(conn_, 1001, &receiptId, "王医生", "口腔科", "D01", "张三", "P1", date_, "", nullptr);
        qunsetenv("CALVANE_UI_SCRIPT");
        QCOMPARE(int(result), 0);
        QVERIFY(receiptId > 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
    }

    // A refused step cancels the dialog; the export maps that like any cancel.
    void refusedStepCancels()
    {
        ScriptRun run(steps(R"([{"set":"编号","to":"D09"},{"click":"提交"}])"));
        int32_t receiptId = 5;
        const int32_t result = StandartPaySet0(conn_, 1001, &receiptId, "", "", "", "", "", date_, "", nullptr);
        QCOMPARE(int(result), 1);
        QCOMPARE(receiptId, 5);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()),
                 QStringLiteral(R"(step 1 {"set":"编号","to":"D09"}: control "编号" is read-only)"));
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
        ScriptRun run(steps(R"([{"click":"取消"}])"));
        QString patient;
        long references = 0;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            if (auto* e = d.findChild<QLineEdit*>(QStringLiteral("patientEdit"))) patient = e->text();
            references = d.connectionPtr().use_count();
        });
        int32_t receiptId = 0;
        ReceiptSet(conn_, 1001, &receiptId, nullptr, nullptr, nullptr, "张三", date_, nullptr, nullptr);
        QCOMPARE(patient, QStringLiteral("张三"));
        QVERIFY(references >= 2); // the host's and the dialog's own (its form may hold one too)
    }

    // The title and discount choice a dialog reads when it opens, under each state of the settings.
    void settingsReadOnOpen_data()
    {
        QTest::addColumn<bool>("keyExists");
        QTest::addColumn<QVariantMap>("stored");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("discout");
        QTest::addColumn<QVariantMap>("storedAfter");
        const QString builtIn; // the stand-in dialog's own title is empty
        QTest::newRow("key missing: nothing read or written") << false << QVariantMap() << builtIn << -1 << QVariantMap();
        QTest::newRow("values missing: defaults written back")
            << true << QVariantMap() << "口 腔 门 诊 部" << 1
            << QVariantMap{{"ReceiptTitle", "口 腔 门 诊 部"}, {"FeeDiscout", "1"}};
        QTest::newRow("stored values") << true << QVariantMap{{"ReceiptTitle", "阳光口腔"}, {"FeeDiscout", "0"}}
                                       << "阳光口腔" << 0
                                       << QVariantMap{{"ReceiptTitle", "阳光口腔"}, {"FeeDiscout", "0"}};
        QTest::newRow("other discount text keeps the dialog's choice")
            << true << QVariantMap{{"ReceiptTitle", "A"}, {"FeeDiscout", "2"}} << "A" << -1
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
            auto& p = static_cast<app::PlaceholderDialog&>(d);
            title = p.receiptTitle();
            discout = p.feeDiscout();
        });
        ScriptRun run(steps(R"([{"click":"取消"}])"));
        int32_t state = 0;
        StandartPay(0, conn_, 1, nullptr, "", "", "", "", "", "", date_, &state, 0, nullptr);
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
