// What a host or an operator sees when something goes wrong: `calvane call` refuses texts that
// are not UTF-8 and reports a dialog's database failure as a failure; printed URLs hide their
// password; checking a UI script creates nothing and refuses scripts others could have
// written.
#include "calvane/calvane.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out, err;
};

// Runs the tool through the shell, so that arguments can hold any bytes (printf escapes).
ToolRun runShell(const QString& command, const QStringList& positional)
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), QStringList{QStringLiteral("-c"), command, QStringLiteral(CALVANE_TOOL)} + positional);
    ToolRun r;
    if (!p.waitForFinished(120000)) return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

qint64 receipts(db::Connection& c) { return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM 收费收据表"))); }

} // namespace

class TestToolSafety : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private Q_SLOTS:
    void initTestCase() { testdb::isolateSettings(); }

    // Bytes that are not UTF-8 (a GBK name, a cut sequence) are refused as the library refuses
    // them, instead of being stored as U+FFFD.
    void callRefusesTextsThatAreNotUtf8_data()
    {
        QTest::addColumn<QString>("bytes"); // printf escapes
        QTest::newRow("GBK") << "\\325\\305\\310\\375";
        QTest::newRow("cut sequence") << "ab\\345\\217";
        QTest::newRow("overlong slash") << "\\300\\257";
    }
    void callRefusesTextsThatAreNotUtf8()
    {
        QFETCH(QString, bytes);
        const QString url = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("utf8-%1.sqlite").arg(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('-')));
        {
            auto c = db::Connection::open(url);
            db::schema::migrate(*c);
        }
        const ToolRun r = runShell(QStringLiteral("exec \"$0\" call ReceiptSet --db \"$1\" --arg case_number=7 "
                                                  "--arg \"patient=$(printf '%1')\"")
                                       .arg(bytes),
                                   {url});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("is not valid UTF-8"), r.err.constData());
        auto c = db::Connection::open(url);
        QCOMPARE(receipts(*c), 0);
    }

    // A save that the database refuses inside the dialog (here: another workstation holds the
    // write lock past the wait) is told apart from a cancel: reported on stderr, exit 1.
    void callReportsADialogsDatabaseFailure()
    {
        const QString url = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("locked.sqlite"));
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        db::execute(*c, QStringLiteral("INSERT INTO 主治医生表 (医生姓名) VALUES ('王医生')"));
        const QString script = dir_.filePath(QStringLiteral("submit.json"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"steps":[{"dialog":"收费收据"},{"set":"挂号费","to":"10"},{"click":"提   交"},{"click":"取消"}]})");
        f.close();
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);

        db::Transaction held(*c); // BEGIN IMMEDIATE: the write lock, until this test lets go
        const ToolRun r = runShell(QStringLiteral("exec \"$0\" call ReceiptSet --db \"$1\" --script \"$2\" "
                                                  "--arg case_number=7 --arg doctor=王医生"),
                                   {url, script});
        held.rollback();
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.trimmed().isEmpty(), r.out.constData()); // nothing result-shaped for a failed call
        QVERIFY2(r.err.contains("calvane call: ReceiptSet: "), r.err.constData());
        QCOMPARE(receipts(*c), 0);
    }

    // A script's transcript is written only when it is one: the database it names, one of its
    // companion files or any other file is refused before anything is touched, and the call
    // fails; an earlier call's transcript is started afresh.
    void transcriptNamingAnotherFile_data()
    {
        QTest::addColumn<QString>("target"); // database | wal | text | transcript
        QTest::addColumn<bool>("refused");
        QTest::newRow("the database") << "database" << true;
        QTest::newRow("an empty -wal") << "wal" << true;
        QTest::newRow("a text file") << "text" << true;
        QTest::newRow("an earlier transcript") << "transcript" << false;
    }
    void transcriptNamingAnotherFile()
    {
        QFETCH(QString, target);
        QFETCH(bool, refused);
        const QString db = dir_.filePath(QStringLiteral("tr-%1.sqlite").arg(target));
        {
            auto c = db::Connection::open(QStringLiteral("sqlite:") + db);
            db::schema::migrate(*c);
        }
        QString path = db;
        QByteArray held;
        if (target == QLatin1String("wal")) path = db + QStringLiteral("-wal");
        if (target == QLatin1String("text")) path = dir_.filePath(QStringLiteral("notes.txt")), held = "病人名单\n";
        if (target == QLatin1String("transcript"))
            path = dir_.filePath(QStringLiteral("old.jsonl")), held = R"({"event":"message","text":"旧"})" "\n";
        if (target != QLatin1String("database")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(held);
        }
        QFile dbFile(db);
        QVERIFY(dbFile.open(QIODevice::ReadOnly));
        const QByteArray dbBefore = dbFile.readAll();
        dbFile.close();
        const QString script = dir_.filePath(QStringLiteral("tr-%1.json").arg(target));
        QFile s(script);
        QVERIFY(s.open(QIODevice::WriteOnly | QIODevice::Truncate));
        s.write(QJsonDocument(QJsonObject{{QStringLiteral("transcript"), path}, {QStringLiteral("steps"), QJsonArray()}})
                    .toJson());
        s.close();
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);

        const ToolRun r = runShell(QStringLiteral("exec \"$0\" call GetPrePayTotalMoney --db \"$1\" --script \"$2\" "
                                                  "--arg account=1"),
                                   {QStringLiteral("sqlite:") + db, script});
        QVERIFY(dbFile.open(QIODevice::ReadOnly));
        QCOMPARE(dbFile.readAll(), dbBefore);
        dbFile.close();
        if (refused) {
            QVERIFY2(r.exitCode != 0, r.out.constData());
            QVERIFY2(r.err.contains("transcript") && r.err.contains("refused"), r.err.constData());
            // (A -wal is SQLite's to remove when the database closes: only its refusal is checked.)
            if (target == QLatin1String("text")) {
                QFile f(path);
                QVERIFY(f.open(QIODevice::ReadOnly));
                QCOMPARE(f.readAll(), held);
            }
        } else {
            QVERIFY2(r.exitCode == 0, r.err.constData());
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QVERIFY(!f.readAll().contains(held)); // a new call's transcript tells of that call only
        }
    }

    // A script that stops after the export saved its work (here: a step after the sheet was
    // stored and the print question answered) does not hide the work: the answer is printed
    // and the status is 3. A script that stops before anything was saved is a plain failure.
    void scriptStoppingAfterTheWork_data()
    {
        QTest::addColumn<QByteArray>("steps");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("sheets");
        QTest::newRow("after the save") << QByteArray(R"([{"dialog":"无病案收费单"},{"set":"患者姓名","to":"李四"},
            {"set":"挂号费","to":"5"},{"click":"结帐"},{"reply":"是"},{"click":"打印"}])") << 3 << 1;
        QTest::newRow("before the save") << QByteArray(R"([{"dialog":"无病案收费单"},{"set":"患者姓名","to":"李四"},
            {"set":"没有这个","to":"5"},{"click":"结帐"}])") << 1 << 0;
    }
    void scriptStoppingAfterTheWork()
    {
        QFETCH(QByteArray, steps);
        QFETCH(int, exitCode);
        QFETCH(int, sheets);
        const QString url = QStringLiteral("sqlite:") + dir_.filePath(QStringLiteral("after-%1.sqlite").arg(exitCode));
        {
            auto c = db::Connection::open(url);
            db::schema::migrate(*c);
            db::execute(*c, QStringLiteral("INSERT INTO 主治医生表 (医生姓名) VALUES ('王医生')"));
        }
        const QString script = dir_.filePath(QStringLiteral("after-%1.json").arg(exitCode));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("{\"steps\":" + steps + "}");
        f.close();
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner);
        const ToolRun r = runShell(QStringLiteral("exec \"$0\" call PayForNoCard --db \"$1\" --script \"$2\" "
                                                  "--arg doctor=王医生 --arg cashier=收款员"),
                                   {url, script});
        QCOMPARE(r.exitCode, exitCode);
        auto c = db::Connection::open(url);
        const qint64 stored = db::toInteger(db::scalar(*c, QStringLiteral("SELECT count(*) FROM 无病历收费单")));
        QCOMPARE(stored, qint64(sheets));
        if (sheets == 0) {
            QVERIFY2(r.out.trimmed().isEmpty(), r.out.constData());
            return;
        }
        const QJsonObject answer = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(answer.value(QStringLiteral("result")).toInt(), 1); // 是 to the print question
        const qint64 id = db::toInteger(db::scalar(*c, QStringLiteral("SELECT ID FROM 无病历收费单")));
        QCOMPARE(answer.value(QStringLiteral("out")).toObject().value(QStringLiteral("stored_id")).toInteger(), id);
        QVERIFY2(r.err.contains("step 6") && r.err.contains("work is saved"), r.err.constData());
    }

    // calvane init says where the schema is, without the password however it was given.
    void initHidesThePassword()
    {
        if (!testdb::backends().contains(QStringLiteral("postgresql"))) QSKIP("needs CALVANE_TEST_PG");
        QString url = testdb::freshUrl(QStringLiteral("postgresql"));
        url.replace(QStringLiteral("://postgres@"), QStringLiteral("://postgres:hunter2@"));
        url += QStringLiteral("?password=hunter2");
        const ToolRun r = runShell(QStringLiteral("exec \"$0\" init \"$1\""), {url});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("schema version"), r.out.constData());
        QVERIFY2(!r.out.contains("hunter2") && !r.err.contains("hunter2"), (r.out + r.err).constData());
    }

    // Checking a script reads it and creates nothing; a script others could have written is
    // refused (a root call would otherwise run whatever they put there).
    void settingAScriptChecksWithoutCreating()
    {
        QTemporaryDir here;
        const QString transcript = here.filePath(QStringLiteral("transcript.jsonl"));
        const QString script = here.filePath(QStringLiteral("script.json"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(R"({"transcript":"%1","steps":[]})").arg(transcript).toUtf8());
        f.close();
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(CalvaneSetUiScript(script.toUtf8().constData()), 0);
        QVERIFY(!QFile::exists(transcript));

        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::WriteOther | QFile::ReadOther));
        QCOMPARE(CalvaneSetUiScript(script.toUtf8().constData()), 1);
        QVERIFY2(QString::fromUtf8(CalvaneLastError()).contains(QLatin1String("other users may write it")), CalvaneLastError());
        QCOMPARE(CalvaneSetUiScript(""), 0);
    }
};

QTEST_GUILESS_MAIN(TestToolSafety)
#include "tst_tool_safety.moc"
