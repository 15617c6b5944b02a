// The tool as a clinic's IT person uses it: where a clinic is made when nobody names one, what
// init says, and the backup commands' answers.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun runTool(const QString& workDir, const QMap<QString, QString>& env, const QStringList& args)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* v : {"CALVANE_DB", "XDG_DATA_HOME"}) e.remove(QString::fromLatin1(v));
    for (auto it = env.begin(); it != env.end(); ++it) e.insert(it.key(), it.value());
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(workDir);
    p.start(QStringLiteral(CALVANE_TOOL), args);
    ToolRun r;
    if (!p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

class TestToolSetup : public QObject {
    Q_OBJECT
private slots:
    // Without a database named, init and the desk use the user's data folder, whatever the
    // working folder; a relative XDG_DATA_HOME is not one (the XDG rule) and falls back to home.
    void defaultPlace_data()
    {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("expected");
        QTest::newRow("XDG_DATA_HOME") << u"data"_s << u"data/calvane/clinic.sqlite"_s;
        QTest::newRow("relative XDG_DATA_HOME") << u"relative"_s << u"home/.local/share/calvane/clinic.sqlite"_s;
    }
    void defaultPlace()
    {
        QFETCH(QString, xdg);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"work"_s) && QDir(dir.path()).mkpath(u"home"_s));
        const QMap<QString, QString> env{{u"HOME"_s, dir.filePath(u"home"_s)},
                                         {u"XDG_DATA_HOME"_s, xdg == u"data"_s ? dir.filePath(xdg) : xdg},
                                         {u"CALVANE_SETTINGS"_s, dir.filePath(u"Kelvask.ini"_s)}};
        const QString work = dir.filePath(u"work"_s);

        const ToolRun first = runTool(work, env, {u"init"_s});
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        QVERIFY(QFile::exists(dir.filePath(expected)));
        QVERIFY(QDir(work).isEmpty());
        QVERIFY(first.out.contains(u"created the clinic database sqlite:"_s + dir.filePath(expected)));
        QVERIFY(first.out.contains(u"first sign-in at the desk names its first manager"_s));
        QVERIFY(first.out.contains(u"calvane desk"_s));

        const ToolRun again = runTool(work, env, {u"init"_s, u"--demo"_s});
        QVERIFY2(again.exitCode == 0, qPrintable(again.err));
        QVERIFY(again.out.contains(u"is already at schema version"_s));
        QVERIFY(!again.out.contains(u"no cashiers yet"_s));

        const ToolRun desk = runTool(work, env, {u"desk"_s, u"--once"_s});
        QVERIFY2(desk.exitCode == 0, qPrintable(desk.err));
        QVERIFY(desk.out.contains(dir.filePath(expected)));
    }

    // The commands say what they did on success, and on refusal say why, print nothing on
    // standard output and exit non-zero.
    void backupCommands()
    {
        QTemporaryDir dir;
        const QMap<QString, QString> env{{u"CALVANE_SETTINGS"_s, dir.filePath(u"Kelvask.ini"_s)}};
        const QString clinic = dir.filePath(u"clinic.sqlite"_s), copy = dir.filePath(u"copy.sqlite"_s);
        QCOMPARE(runTool(dir.path(), env, {u"init"_s, clinic, u"--demo"_s}).exitCode, 0);

        ToolRun r = runTool(dir.path(), env, {u"backup"_s, clinic, copy});
        QVERIFY2(r.exitCode == 0 && r.out.contains(u"backed up"_s), qPrintable(r.err));
        r = runTool(dir.path(), env, {u"backup"_s, clinic, copy});
        QVERIFY(r.exitCode != 0 && r.out.isEmpty() && r.err.contains(u"already exists"_s));
        r = runTool(dir.path(), env, {u"restore"_s, copy, clinic});
        QVERIFY(r.exitCode != 0 && r.out.isEmpty() && r.err.contains(u"--force"_s));
        r = runTool(dir.path(), env, {u"restore"_s, copy, clinic, u"--force"_s});
        QVERIFY2(r.exitCode == 0 && r.out.contains(u"restored"_s), qPrintable(r.err));
        r = runTool(dir.path(), env, {u"backup"_s, dir.filePath(u"missing.sqlite"_s), dir.filePath(u"x"_s)});
        QVERIFY(r.exitCode != 0 && r.err.contains(u"no database at"_s));
        QVERIFY(!QFile::exists(dir.filePath(u"x"_s)) && !QFile::exists(dir.filePath(u"x.partial"_s)));
    }
};

QTEST_MAIN(TestToolSetup)
#include "tst_tool_setup.moc"
