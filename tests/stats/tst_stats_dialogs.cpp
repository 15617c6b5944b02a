// The statistics exports end to end through the C API, driven by automation scripts on every
// backend: HEBEITableStatic and SDTableStatic in their modes (their lists read back from the
// CSV they save, their PDFs with pdftotext), and the settings round trips of
// SetSysthesisChoice and SetSysthesisStandartItemChoice.
#include "app/Dialog.h"
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/app/ScriptRun.h"
#include "tests/stats/StatsFixture.h"
#include "tests/stats/StatsFlows.h"
#include "tests/support/TestDb.h"
#include <QCheckBox>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Host {
    CalvaneConnection* conn = nullptr;
    explicit Host(const QString& backend)
    {
        if (CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn) != 0) qFatal("%s", CalvaneLastError());
        db::schema::migrate(db());
        statsfixture::write(db(), flowClinic());
    }
    ~Host() { CalvaneDisconnect(conn); }
    db::Connection& db() { return *conn->connection; }
};

QStringList messagesOf(const ScriptRun& run)
{
    QStringList texts;
    for (const QJsonObject& m : run.events(u"message"_s)) texts << m.value(u"text"_s).toString();
    return texts;
}

QStringList openedOf(const ScriptRun& run)
{
    QStringList titles;
    for (const QJsonObject& m : run.events(u"open"_s)) titles << m.value(u"dialog"_s).toString();
    return titles;
}

// The CSV's rows with their cells joined by "#" again; the byte-order mark must lead.
QStringList csvLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {u"<no csv>"_s};
    const QByteArray bytes = f.readAll();
    if (!bytes.startsWith("\xEF\xBB\xBF")) return {u"<no BOM>"_s};
    QStringList lines;
    for (const QString& row : QString::fromUtf8(bytes.mid(3)).split(u"\r\n"_s, Qt::SkipEmptyParts))
        lines << QString(row).replace(u',', u'#');
    return lines;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-raw"_s, path, u"-"_s});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).remove(QRegularExpression(u"\\s+"_s));
}

QVariantList contentRows(db::Connection& c)
{
    db::Query q(c, u"SELECT StaticsStandartType, StandartItem, ItemType, StaticPersonNum, StaticMoney "
                   u"FROM StaticStandartItemforDayMonth_Table ORDER BY ID"_s);
    q.exec();
    QVariantList rows;
    while (q.next())
        rows << u"%1|%2|%3|%4|%5"_s.arg(q.integer(0)).arg(q.text(1)).arg(q.integer(2)).arg(q.integer(3)).arg(q.integer(4));
    return rows;
}

} // namespace

class TestStatsDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }
    void cleanup() { app::Dialog::setShownHook(nullptr); }

    void reports_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("exportName");
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("pdfTexts");
        for (const QString& b : testdb::backends())
            for (const StatsFlow& f : statsFlows())
                QTest::newRow(qPrintable(b + u": "_s + QString::fromUtf8(f.name)))
                    << b << f.exportName << QJsonDocument::fromJson(f.script).array() << f.lines << f.pdfTexts;
    }
    void reports()
    {
        QFETCH(QString, backend);
        QFETCH(QString, exportName);
        QFETCH(QJsonArray, script);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, pdfTexts);
        QVERIFY(!script.isEmpty());
        Host host(backend);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(u"out.pdf"_s);
        ScriptRun run(script, pdf);
        const int32_t got = exportName == QLatin1String("SDTableStatic")
            ? SDTableStatic(host.conn, "康华", "刘会计")
            : HEBEITableStatic(host.conn, "第一门诊部", "张收款");
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(int(got), 0);
        QCOMPARE(messagesOf(run), QStringList());
        QCOMPARE(csvLines(dir.filePath(u"out.csv"_s)), lines);
        QCOMPARE(QFile::exists(pdf), !pdfTexts.isEmpty());
        const QString text = pdfText(pdf);
        for (const QString& t : pdfTexts)
            QVERIFY2(text.contains(QString(t).remove(u' ')), qPrintable(t + u" in "_s + text));
    }

    // The report types' switches are stored and shown again; with the standard items included
    // the detail settings open next.
    void reportChoiceRoundTrip_data() { testdb::addBackendRows(); }
    void reportChoiceRoundTrip()
    {
        QFETCH(QString, backend);
        Host host(backend);
        {
            ScriptRun run(steps(R"([{"set":"统计非标准收费项目中的相关内容","to":"1"},{"set":"统计代金券的使用情况","to":"1"},
                                    {"click":"确定"}])"));
            QCOMPARE(int(SetSysthesisChoice(host.conn, 1)), 0);
            QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
            QCOMPARE(openedOf(run), QStringList{u"统计项目设置"_s});
        }
        db::Query q(host.db(), u"SELECT SysthesisType, StandartItem, NonStandartItem, MoneyCard, VipCard, PreferCard "
                               u"FROM SysthesisStatics_Table"_s);
        q.exec();
        QVERIFY(q.next());
        QCOMPARE(QList<qint64>({q.integer(0), q.integer(1), q.integer(2), q.integer(3), q.integer(4), q.integer(5)}),
                 QList<qint64>({1, 0, 1, 1, 0, 0}));
        QVERIFY(!q.next());

        QStringList shown;
        app::Dialog::setShownHook([&](app::Dialog& d) {
            if (d.windowTitle() != u"统计项目设置"_s) return;
            for (QCheckBox* b : d.findChildren<QCheckBox*>())
                if (b->isChecked()) shown << b->text();
        });
        ScriptRun run(steps(R"([{"set":"统计标准收费项目中的相关内容","to":"1"},
                                {"click":"确定"},{"dialog":"明细统计内容设置"},{"click":"关闭"}])"));
        QCOMPARE(int(SetSysthesisChoice(host.conn, 1)), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(shown, QStringList({u"统计非标准收费项目中的相关内容"_s, u"统计代金券的使用情况"_s}));
        QCOMPARE(openedOf(run), QStringList({u"统计项目设置"_s, u"明细统计内容设置"_s}));
        QCOMPARE(db::toInteger(db::scalar(host.db(), u"SELECT StandartItem FROM SysthesisStatics_Table WHERE SysthesisType=1"_s)), 1);
        QCOMPARE(db::toInteger(db::scalar(host.db(), u"SELECT NonStandartItem FROM SysthesisStatics_Table WHERE SysthesisType=1"_s)), 1);
    }

    void detailContents_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("before"); // rows stored first: kind|item|type|persons|money
        QTest::addColumn<QJsonArray>("script");
        QTest::addColumn<QVariantList>("after");
        QTest::addColumn<QStringList>("messages");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: an address is added without asking", qPrintable(b))
                << b << 8 << QStringList() << steps(R"([{"row":"收费项目","index":1},{"click":"添加"},{"click":"关闭"}])")
                << QVariantList{u"8|西城区|0|1|1"_s} << QStringList();
            QTest::addRow("%s: a standard class counted by category, patients not counted", qPrintable(b))
                << b << 0 << QStringList()
                << steps(R"([{"row":"收费项目","index":0},{"click":"添加"},{"dialog":"统计内容设置"},
                             {"set":"按'检查'进行统计","to":"1"},{"set":"统计'检查'的消费人次","to":"0"},
                             {"click":"确定"},{"click":"关闭"}])")
                << QVariantList{u"0|检查|0|0|1"_s} << QStringList();
            QTest::addRow("%s: a standard item by default", qPrintable(b))
                << b << 1 << QStringList()
                << steps(R"([{"row":"收费项目","index":1},{"click":"添加"},{"dialog":"统计内容设置"},{"click":"确定"},
                             {"click":"关闭"}])")
                << QVariantList{u"1|洗牙|1|1|1"_s} << QStringList();
            QTest::addRow("%s: a voucher kind counted by patients once a radio is chosen", qPrintable(b))
                << b << 9 << QStringList()
                << steps(R"([{"row":"收费项目","index":0},{"click":"添加"},{"dialog":"统计内容设置"},
                             {"click":"按'1'进行统计"},{"set":"统计'1'的消费人次","to":"0"},
                             {"click":"确定"},{"click":"关闭"}])")
                << QVariantList{u"9|1|0|0|1"_s} << QStringList();
            QTest::addRow("%s: cancelling the options adds nothing", qPrintable(b))
                << b << 4 << QStringList()
                << steps(R"([{"row":"收费项目","index":0},{"click":"添加"},{"dialog":"统计内容设置"},{"click":"取消"},
                             {"click":"关闭"}])")
                << QVariantList() << QStringList();
            QTest::addRow("%s: the same content twice is refused", qPrintable(b))
                << b << 8 << QStringList{u"8|东城区"_s}
                << steps(R"([{"row":"收费项目","index":0},{"click":"添加"},{"click":"关闭"}])")
                << QVariantList{u"8|东城区|0|1|1"_s} << QStringList{u"该项统计内容已经存在!"_s};
            QTest::addRow("%s: 否 keeps the content", qPrintable(b))
                << b << 8 << QStringList{u"8|东城区"_s}
                << steps(R"([{"choose":"统计内容","item":"东城区"},{"click":"取消"},{"reply":"否"},{"click":"关闭"}])")
                << QVariantList{u"8|东城区|0|1|1"_s} << QStringList{u"确定删除该项统计内容吗?"_s};
            QTest::addRow("%s: 是 deletes it, only of its kind", qPrintable(b))
                << b << 8 << QStringList{u"8|东城区"_s, u"9|东城区"_s}
                << steps(R"([{"choose":"统计内容","item":"东城区"},{"click":"取消"},{"reply":"是"},{"click":"关闭"}])")
                << QVariantList{u"9|东城区|0|1|1"_s} << QStringList{u"确定删除该项统计内容吗?"_s};
        }
    }
    void detailContents()
    {
        QFETCH(QString, backend);
        QFETCH(int, kind);
        QFETCH(QStringList, before);
        QFETCH(QJsonArray, script);
        QFETCH(QVariantList, after);
        QFETCH(QStringList, messages);
        QVERIFY(!script.isEmpty());
        Host host(backend);
        if (kind == 9) statsfixture::write(host.db(), {u"PreferManagement_table|||Card_Cover_Code=V1,Card_Kind_Type=1"_s});
        for (const QString& row : before)
            statsfixture::write(host.db(), {u"StaticStandartItemforDayMonth_Table|||StaticsStandartType=%1,StandartItem=%2,"
                                            u"ItemType=0,StaticPersonNum=1,StaticMoney=1"_s.arg(row.section(u'|', 0, 0),
                                                                                                 row.section(u'|', 1, 1))});
        ScriptRun run(script);
        QCOMPARE(int(SetSysthesisStandartItemChoice(host.conn, kind)), 0);
        QCOMPARE(QString::fromUtf8(CalvaneUiScriptError()), QString());
        QCOMPARE(messagesOf(run), messages);
        QCOMPARE(contentRows(host.db()), after);
    }
};

QTEST_MAIN(TestStatsDialogs)
#include "tst_stats_dialogs.moc"
