// `calvane` as scripts use it: what a failed call leaves on standard output, the exit codes,
// the help, the database it opens (never one it makes up) and the transcript of each call.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out, err;
};

ToolRun runTool(const QStringList& args, const QMap<QString, QString>& env = {})
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove(QStringLiteral("CALVANE_DB"));
    e.remove(QStringLiteral("CALVANE_UI_SCRIPT"));
    for (auto it = env.begin(); it != env.end(); ++it) e.insert(it.key(), it.value());
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(CALVANE_TOOL), args);
    ToolRun r;
    if (!p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace

class TestTool : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString clinic_;

    QString file(const QString& name) const { return dir_.filePath(name); }
    QString writeScript(const QString& name, const QByteArray& steps)
    {
        QFile f(file(name));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(f.fileName()));
        f.write(R"({"transcript":")" + file(name + QStringLiteral(".log")).toUtf8() + R"(","steps":)" + steps + "}");
        return f.fileName();
    }

private slots:
    void initTestCase()
    {
        clinic_ = file(QStringLiteral("clinic.sqlite"));
        const ToolRun init = runTool({"init", "sqlite:" + clinic_, "--demo"});
        QVERIFY2(init.exitCode == 0, init.err.constData());
    }

    // A call that fails prints nothing a script could read as an answer, says why on standard
    // error and exits non-zero; one that works prints its answer and exits 0.
    void outcomes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("env"); // CALVANE_DB
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("err");

        const QString db = QStringLiteral("sqlite:") + file(QStringLiteral("clinic.sqlite"));
        QTest::newRow("no database") << QStringList{"call", "GetPrePayTotalMoney", "--arg", "account=1"} << QString() << 1
                                     << QByteArray() << "no database connection";
        QTest::newRow("mistyped database path")
            << QStringList{"call", "GetPrePayTotalMoney", "--db", "sqlite:" + file("clinc.sqlite"), "--arg", "account=1"}
            << QString() << 1 << QByteArray() << "no database at";
        QTest::newRow("a bare path is a SQLite file")
            << QStringList{"call", "GetPrePayTotalMoney", "--db", file("clinic.sqlite"), "--arg", "account=999999"}
            << QString() << 0 << QByteArray(R"({"result":0,"out":{"balance":0}})") << QString();
        QTest::newRow("CALVANE_DB as a bare path")
            << QStringList{"call", "GetPrePayTotalMoney", "--arg", "account=999999"} << file("clinic.sqlite") << 0
            << QByteArray(R"({"result":0,"out":{"balance":0}})") << QString();
        QTest::newRow("CALVANE_DB as a URL") << QStringList{"call", "CheckRelationBetweenMedicineAndKB"} << db << 0
                                             << QByteArray() << QString();
        QTest::newRow("unknown export") << QStringList{"call", "ReceiptSett"} << QString() << 2 << QByteArray()
                                        << "no export ReceiptSett";
        QTest::newRow("bad argument") << QStringList{"call", "ReceiptSet", "--arg", "case_number=abc"} << QString() << 2
                                      << QByteArray() << "not a long";
    }
    void outcomes()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, env);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QString, err);
        QMap<QString, QString> vars;
        if (!env.isEmpty()) vars[QStringLiteral("CALVANE_DB")] = env;
        const ToolRun r = runTool(args, vars);
        QVERIFY2(r.exitCode == exitCode, r.err.constData());
        if (!out.isEmpty() || exitCode != 0) QCOMPARE(r.out.trimmed(), out);
        else QVERIFY(r.out.startsWith("{\"result\":"));
        QVERIFY2(QString::fromUtf8(r.err).contains(err), r.err.constData());
        QVERIFY2(!QFile::exists(file("clinc.sqlite")), "a mistyped path made a database");
    }

    void help_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("says");
        QTest::newRow("calvane --help") << QStringList{"--help"} << QStringList{"init [URL]", "call EXPORT", "CALVANE_DB", "backup URL FILE"};
        QTest::newRow("call --help") << QStringList{"call", "--help"} << QStringList{"ReceiptSet", "VipGradeSet"};
        // The result and out values, and the controls of the dialog it opens by their labels.
        QTest::newRow("ReceiptSet --help")
            << QStringList{"call", "ReceiptSet", "--help"}
            << QStringList{"result: 1 when cancelled", "receipt_id", "untouched when cancelled", "dialog \"收费收据\"",
                           "set          挂号费", "click        提   交", "choose       医生", "(read-only)"};
        QTest::newRow("GetPrePayTotalMoney --help")
            << QStringList{"call", "GetPrePayTotalMoney", "--help"} << QStringList{"balance", "prepaid balance in yuan"};
    }
    void help()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, says);
        const ToolRun r = runTool(args);
        QVERIFY2(r.exitCode == 0, r.err.constData());
        for (const QString& s : says) QVERIFY2(QString::fromUtf8(r.out).contains(s), r.out.constData());
    }

    // Each call starts its transcript afresh; a script that ends while its dialog is open is
    // told about on standard error (the dialog was cancelled, so the call itself went through).
    void transcriptAndRunningOut()
    {
        const QString script = writeScript(QStringLiteral("empty.json"), "[]");
        const QStringList args{"call", "ReceiptSet", "--db", "sqlite:" + clinic_, "--script", script, "--arg", "receipt_id=0"};
        for (int call = 0; call < 2; ++call) {
            const ToolRun r = runTool(args);
            QVERIFY2(r.exitCode == 0, r.err.constData());
            QCOMPARE(r.out.trimmed(), QByteArray(R"({"result":1,"out":{"receipt_id":0}})"));
            QVERIFY2(r.err.contains(R"(ran out of steps while the dialog "收费收据" was open)"), r.err.constData());
        }
        QFile log(script + QStringLiteral(".log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\"event\":\"open\""), 1);
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "tst_tool.moc"
