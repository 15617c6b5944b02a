// A host's connection whose server went away: the next call connects again once; when that
// fails too, the call changes nothing, opens no dialog and says why.
#include "ScriptRun.h"
#include "calvane/calvane.h"
#include "common/OleDate.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QTest>
#include <QThread>
#include <QUrl>

namespace {

const double date = oledate::fromDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 30)));

QString databaseName(const QString& url) { return QUrl(url).path().mid(1); }

// What a server restart does to the sessions of one database, from the maintenance database;
// with refuseNew the server also turns every new session away, as a server that is down does.
void dropSessions(const QString& url, bool refuseNew)
{
    auto admin = db::Connection::open(qEnvironmentVariable("CALVANE_TEST_PG"));
    const QString name = databaseName(url);
    admin->execute(QStringLiteral("ALTER DATABASE %1 ALLOW_CONNECTIONS %2").arg(name, refuseNew ? "false" : "true"));
    if (!refuseNew) return;
    db::scalar(*admin, QStringLiteral("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity WHERE datname=?"),
               {name});
    for (int i = 0; i < 100; ++i) {
        const auto left = db::toInteger(
            db::scalar(*admin, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname=?"), {name}));
        if (left == 0) return;
        QThread::msleep(50);
    }
    qFatal("the sessions of %s did not end", qPrintable(name));
}

QString lastError() { return QString::fromUtf8(CalvaneLastError()); }

// A dialog export refused before its dialog: no dialog, the receipt untouched, a message saying why.
void checkDialogRefused(CalvaneConnection* conn)
{
    ScriptRun run(QJsonArray{});
    int32_t receiptId = 5;
    QCOMPARE(int(ReceiptSet(conn, 1001, &receiptId, "张明华", "", "", "张三", date, "", nullptr)), 1);
    QCOMPARE(receiptId, 5);
    QVERIFY2(lastError().startsWith(QStringLiteral("ReceiptSet: ")), CalvaneLastError());
    QVERIFY(run.events(QStringLiteral("open")).isEmpty());
    const QList<QJsonObject> messages = run.events(QStringLiteral("message"));
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.first().value(QStringLiteral("text")).toString().startsWith(QStringLiteral("数据库连接已断开")));
}

} // namespace

class TestReconnect : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { testdb::isolateSettings(); }

    void serverGoneAndBack()
    {
        if (qEnvironmentVariableIsEmpty("CALVANE_TEST_PG")) QSKIP("needs CALVANE_TEST_PG");
        const QString url = testdb::freshUrl(QStringLiteral("postgresql"));
        {
            auto c = db::Connection::open(url);
            db::schema::migrate(*c);
            db::execute(*c, QStringLiteral("INSERT INTO PrePayReg_Table (PrePayer_ID, PrePay_Money, PrePay_IO) VALUES (7, 100, 0)"));
        }
        CalvaneConnection* conn = nullptr;
        QCOMPARE(CalvaneConnect(url.toUtf8().constData(), &conn), 0);

        // The session is gone, the server is there: the call goes through on a new session.
        dropSessions(url, true);
        dropSessions(url, false);
        double balance = -1;
        QCOMPARE(int(GetPrePayTotalMoney(conn, 7, &balance)), 0);
        QCOMPARE(balance, 100.0);
        QCOMPARE(lastError(), QString());

        // The server is gone: nothing is done, nothing opens, the host learns why.
        dropSessions(url, true);
        balance = -1;
        QCOMPARE(int(GetPrePayTotalMoney(conn, 7, &balance)), 0);
        QCOMPARE(balance, 0.0); // always a number, never the host's stale value
        QVERIFY2(lastError().startsWith(QStringLiteral("GetPrePayTotalMoney: 无法重新连接数据库")), CalvaneLastError());
        checkDialogRefused(conn);

        // Back again: the next call works, and nothing was written meanwhile.
        dropSessions(url, false);
        QCOMPARE(int(GetPrePayTotalMoney(conn, 7, &balance)), 0);
        QCOMPARE(balance, 100.0);
        auto check = db::Connection::open(url);
        QCOMPARE(db::toInteger(db::scalar(*check, QStringLiteral("SELECT count(*) FROM 收费收据表"))), 0);
        CalvaneDisconnect(conn);
    }

    // A SQLite file that went away is not made again, empty, in its place.
    void sqliteFileGone()
    {
        const QString url = testdb::freshUrl(QStringLiteral("sqlite"));
        const QString path = url.mid(7);
        db::schema::migrate(*db::Connection::open(url));
        CalvaneConnection* conn = nullptr;
        QCOMPARE(CalvaneConnect(url.toUtf8().constData(), &conn), 0);
        for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(path + suffix);

        double balance = -1;
        QCOMPARE(int(GetPrePayTotalMoney(conn, 7, &balance)), 0);
        QCOMPARE(balance, 0.0);
        QVERIFY2(lastError().contains(QStringLiteral("数据库文件已不存在")), CalvaneLastError());
        checkDialogRefused(conn);
        CalvaneDisconnect(conn);
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TestReconnect)
#include "tst_reconnect.moc"
