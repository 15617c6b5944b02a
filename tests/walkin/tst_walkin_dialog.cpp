// PayForNoCard end to end through the C API, driven by automation scripts on every backend:
// new sheets, corrections, the messages, failed saves, and a correction made meanwhile at
// another desk (another process).
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "common/Settings.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "tests/app/ScriptRun.h"
#include "tests/support/TestDb.h"
#include "tests/walkin/WalkinFlows.h"
#include <QDateTimeEdit>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void addClinic(db::Connection& c)
{
    const QList<QVariantList> doctors{{"王医生", "D01", "口腔科"}, {"李医生", "D02", QVariant()}};
    for (const QVariantList& d : doctors)
        db::AddRecord(c, QStringLiteral("主治医生表"),
                      {{QStringLiteral("医生姓名"), d[0]}, {QStringLiteral("医生编号"), d[1]}, {QStringLiteral("科室"), d[2]}}, {});
    for (const char* n : {"刘护士", "陈护士"})
        db::AddRecord(c, QStringLiteral("护士表"), {{QStringLiteral("护士"), QString::fromUtf8(n)}}, {});
}

// A sheet stored earlier, with what was paid not matching its total (a correction rewrites it).
qint64 addStoredSheet(db::Connection& c)
{
    return db::AddRecord(c, QStringLiteral("无病历收费单"),
                         {{QStringLiteral("病历号"), 0},
                          {QStringLiteral("病人姓名"), QStringLiteral("王五")},
                          {QStringLiteral("医生姓名"), QStringLiteral("王医生")},
                          {QStringLiteral("医生编号"), QStringLiteral("D01")},
                          {QStringLiteral("科室"), QStringLiteral("口腔科")},
                          {QStringLiteral("收款人"), QStringLiteral("早班")},
                          {QStringLiteral("检查费"), 30.0},
                          {QStringLiteral("整畸费"), 20.0},
                          {QStringLiteral("其它费用"), 5.0},
                          {QStringLiteral("合计"), 55.0},
                          {QStringLiteral("应收金额"), 50.0},
                          {QStringLiteral("收款金额"), 50.0},
                          {QStringLiteral("余额"), 5.0},
                          {QStringLiteral("付款"), QStringLiteral("未付")},
                          {QStringLiteral("备注"), QStringLiteral("复诊")}});
}

QVariantMap rowOf(db::Connection& c, qint64 id)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 无病历收费单 WHERE ID=?"), {id});
    q.exec();
    return q.next() ? testdb::currentRow(q) : QVariantMap();
}

qint64 count(db::Connection& c) { return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM 无病历收费单"))); }

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(QStringLiteral("message"))) texts << m.value(QStringLiteral("text")).toString();
    return texts;
}

void compareRow(const QVariantMap& stored, const QVariantMap& expected)
{
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant value = stored.value(it.key().toLower());
        if (it.value().typeId() == QMetaType::Double) QCOMPARE(value.toDouble(), it.value().toDouble());
        else QCOMPARE(value.toString(), it.value().toString());
    }
}

struct Host {
    CalvaneConnection* conn = nullptr;
    QString url;
    explicit Host(const QString& backend) : url(testdb::freshUrl(backend))
    {
        if (CalvaneConnect(url.toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::schema::migrate(db());
        addClinic(db());
    }
    ~Host() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }
};

} // namespace

class TestWalkinDialog : public QObject {
    Q_OBJECT
    const double hostDate_ = oledate::fromDateTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)));

private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    void flows_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("doctor");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("handedBack");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QVariantMap>("row");
        for (const QString& b : testdb::backends())
            for (const WalkinFlow& f : walkinFlows())
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(f.name)))
                    << b << f.sheet << f.doctor << f.fault << QJsonDocument::fromJson(f.script).array() << f.result
                    << f.handedBack << f.messages << f.rows << f.row;
    }
    void flows()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sheet);
        QFETCH(QString, doctor);
        QFETCH(int, fault);
        QFETCH(QJsonArray, script);
        QFETCH(QString, handedBack);
        QFETCH(QVariantMap, row);
        QVERIFY(!script.isEmpty());

        Host host(backend);
        const qint64 stored = addStoredSheet(host.db());
        const int32_t sheetId = sheet == QLatin1String("stored") ? int32_t(stored) : sheet == QLatin1String("negative") ? -5 : 0;
        app::Dialog::setShownHook([&](app::Dialog&) {
            if (fault) host.db().failStatementAfter(fault);
        });
        ScriptRun run(script);
        int32_t storedId = -1, second = -1, dateLock = 0;
        const int32_t got = PayForNoCard(host.conn, sheetId, doctor.toUtf8().constData(), "收款员", hostDate_, &storedId,
                                         &second, "刘护士", &dateLock);
        host.db().clearFault();

        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QTEST(int(got), "result");
        QTEST(messagesOf(run), "messages");
        QTEST(int(count(host.db())), "rows");
        const qint64 newest = db::toInteger(db::scalar(host.db(), QStringLiteral("SELECT max(ID) FROM 无病历收费单")));
        if (handedBack == QLatin1String("nothing")) {
            QCOMPARE(storedId, -1);
            QCOMPARE(second, -1);
            QVERIFY(QString::fromUtf8(CalvaneLastError()).startsWith(QStringLiteral("PayForNoCard: ")));
            compareRow(rowOf(host.db(), stored), row);
            return;
        }
        QCOMPARE(second, 0);
        QCOMPARE(qint64(storedId), handedBack == QLatin1String("new") ? newest : stored);
        if (handedBack == QLatin1String("new")) QVERIFY(newest > stored);
        const QVariantMap written = rowOf(host.db(), storedId);
        // The server's time of opening, never the host's date.
        const QDateTime date = db::toDateTime(written.value(QStringLiteral("日期")));
        QVERIFY2(qAbs(date.secsTo(host.db().serverTime())) < 60, qPrintable(date.toString(Qt::ISODate)));
        compareRow(written, row);
    }

    // A stored sheet opens with its own fields; the date is the server's and locked on request; a
    // receipt title missing from the settings is written there.
    void openingAStoredSheet_data() { testdb::addBackendRows(); }
    void openingAStoredSheet()
    {
        QFETCH(QString, backend);
        testdb::isolateSettings();
        settings::createKey(); // without the title in it
        Host host(backend);
        db::AddRecord(host.db(), QStringLiteral("ReceiptItemName_Table"),
                      {{QStringLiteral("ItemIndex"), 4}, {QStringLiteral("ItemName"), QStringLiteral("矫正费")}}, {});
        const qint64 id = addStoredSheet(host.db());
        QMap<QString, QString> shown;
        bool dateEnabled = true;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            for (QLineEdit* e : d.findChildren<QLineEdit*>())
                if (!e->accessibleName().isEmpty()) shown[e->accessibleName().remove(QLatin1Char(' '))] = e->text();
            dateEnabled = d.findChild<QDateTimeEdit*>()->isEnabled();
        });
        ScriptRun run(steps(R"([{"click":"关闭"}])"));
        int32_t storedId = -1, second = -1, dateLock = 1;
        QCOMPARE(int(PayForNoCard(host.conn, int32_t(id), "李医生", "收款员", hostDate_, &storedId, &second, "", &dateLock)), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(storedId, -1);
        QCOMPARE(shown.value("患者姓名"), QStringLiteral("王五"));
        QCOMPARE(shown.value("矫正费"), QStringLiteral("20.00"));
        QCOMPARE(shown.value("合计"), QStringLiteral("55.00"));
        QCOMPARE(shown.value("医生编号"), QStringLiteral("D01"));
        QCOMPARE(shown.value("分科"), QStringLiteral("口腔科"));
        QCOMPARE(shown.value("收款人"), QStringLiteral("早班"));
        QCOMPARE(shown.value("备注"), QStringLiteral("复诊"));
        QVERIFY(!dateEnabled);
        QCOMPARE(settings::readValue(QStringLiteral("ReceiptTitle")), std::optional(settings::defaultReceiptTitle));
    }

    // A correction opens only a sheet of its own dialog's kind: a missing ID, a sheet of catalogue
    // items, a sheet by categories or a walk-in prescription in the wrong dialog is refused with
    // a message before any dialog opens, and nothing is written.
    void sheetOfAnotherKindRefused_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("sheet"); // missing | items | categories | prescription
        QTest::addColumn<bool>("standardDialog");
        QTest::addColumn<QString>("message");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: missing, by categories", qPrintable(b)) << b << u"missing"_s << false << u"该收费单不存在!"_s;
            QTest::addRow("%s: missing, by items", qPrintable(b)) << b << u"missing"_s << true << u"该收费单不存在!"_s;
            QTest::addRow("%s: items in the category dialog", qPrintable(b))
                << b << u"items"_s << false << u"该收费单是按收费标准登记的，不能在此修改!"_s;
            QTest::addRow("%s: categories in the items dialog", qPrintable(b))
                << b << u"categories"_s << true << u"该收费单是按收费类别登记的，不能在此修改!"_s;
            QTest::addRow("%s: a prescription", qPrintable(b))
                << b << u"prescription"_s << true << u"该收费单是处方收费单，不能在此修改!"_s;
        }
    }
    void sheetOfAnotherKindRefused()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sheet);
        QFETCH(bool, standardDialog);
        QFETCH(QString, message);
        Host host(backend);
        qint64 id = addStoredSheet(host.db()) + 100; // missing
        if (sheet != u"missing"_s) id = addStoredSheet(host.db());
        if (sheet == u"items"_s)
            db::AddRecord(host.db(), QStringLiteral("收费明细表"),
                          {{QStringLiteral("无病案编号"), id}, {QStringLiteral("金额"), 55.0}});
        if (sheet == u"prescription"_s)
            db::Query(host.db(), u"UPDATE 无病历收费单 SET IsPrescriptionFlag=2 WHERE ID=?"_s, {id}).exec();
        const QVariantMap before = rowOf(host.db(), id);
        const qint64 sheets = count(host.db());
        bool shown = false;
        app::Dialog::setShownHook([&](app::Dialog&) { shown = true; });
        ScriptRun run(steps(R"([])"));
        int32_t storedId = -1, second = -1, dateLock = 0;
        const int32_t got = standardDialog
            ? StandartPayForNoCard(host.conn, int32_t(id), "王医生", "收款员", hostDate_, &storedId, &second, "", &dateLock)
            : PayForNoCard(host.conn, int32_t(id), "王医生", "收款员", hostDate_, &storedId, &second, "", &dateLock);
        QCOMPARE(int(got), 0);
        QVERIFY(!shown);
        QCOMPARE(messagesOf(run), QStringList{message});
        QVERIFY(QString::fromUtf8(CalvaneLastError()).contains(message));
        QCOMPARE(storedId, -1);
        QCOMPARE(count(host.db()), sheets);
        QCOMPARE(rowOf(host.db(), id), before);
    }

    // Two desks correct the same sheet: the one that saves second is told, and its save writes
    // nothing over the first one's correction. The other desk is another process.
    void correctionMeanwhileAtAnotherDesk_data() { testdb::addBackendRows(); }
    void correctionMeanwhileAtAnotherDesk()
    {
        QFETCH(QString, backend);
        Host host(backend);
        const qint64 id = addStoredSheet(host.db());
        int otherDesk = -1;
        app::Dialog::setShownHook([&](app::Dialog&) {
            QTemporaryDir dir;
            const QString script = dir.filePath(QStringLiteral("other.json"));
            QFile f(script);
            if (!f.open(QIODevice::WriteOnly)) return;
            f.write(R"({"steps":[{"set":"挂号费","to":"99"},{"click":"结帐"},{"reply":"否"}]})");
            f.close();
            QProcess p;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral(CALVANE_TOOL),
                    {"call", "PayForNoCard", "--db", host.url, "--script", script, "--arg",
                     QStringLiteral("sheet_id=%1").arg(id), "--arg", "doctor=王医生"});
            if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit) otherDesk = p.exitCode();
            if (otherDesk != 0) qWarning("%s", p.readAllStandardError().constData());
        });
        ScriptRun run(steps(R"([{"set":"挂号费","to":"10"},{"click":"结帐"},{"click":"关闭"}])"));
        int32_t storedId = -1, second = -1, dateLock = 0;
        QCOMPARE(int(PayForNoCard(host.conn, int32_t(id), "王医生", "收款员", hostDate_, &storedId, &second, "", &dateLock)), 0);
        QCOMPARE(otherDesk, 0);
        QCOMPARE(messagesOf(run), QStringList{QStringLiteral("收费记录修改失败!")});
        QCOMPARE(storedId, -1);
        const QVariantMap row = rowOf(host.db(), id);
        QCOMPARE(row.value(QStringLiteral("挂号费")).toDouble(), 99.0);
        QCOMPARE(row.value(QStringLiteral("合计")).toDouble(), 154.0);
    }
};

QTEST_MAIN(TestWalkinDialog)
#include "tst_walkin_dialog.moc"
