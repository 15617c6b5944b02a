// Two desks take the same medicine at once, each a process with its own connection: desk A
// holds its stock-out open while desk B saves a walk-in prescription of the same batch. Stock
// is never lost or counted twice: B gets what A left, or sees the shortage and saves nothing.
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/rx/StockFixture.h"
#include "tests/support/TestDb.h"
#include <QProcess>
#include <QTest>
#include <QThread>

using namespace stockfixture;

namespace {

QString deskPath() { return QStringLiteral(STOCK_DESK); }

// On PostgreSQL, whether some session of this database waits for a lock (B behind A's row).
bool someoneWaits(db::Connection& c)
{
    return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname=current_database() "
                                                      "AND wait_event_type='Lock'"))) > 0;
}

} // namespace

class TestTwoDesks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void race_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<double>("held");     // what desk A takes
        QTest::addColumn<QString>("aEnds");   // commit or rollback
        QTest::addColumn<double>("wanted");   // what desk B's prescription needs
        QTest::addColumn<QString>("bEnds");   // how B's save ends
        QTest::addColumn<QString>("after");   // the batch afterwards
        QTest::addColumn<QString>("taken");   // withdrawals of both
        QTest::addColumn<int>("sheets");      // walk-in sheets stored
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s: A takes the last units", n.data()) << b << 5.0 << "commit" << 5.0 << "shortage" << "0" << "5#1" << 0;
            QTest::addRow("%s: A leaves too few", n.data()) << b << 3.0 << "commit" << 3.0 << "shortage" << "2" << "3#1" << 0;
            QTest::addRow("%s: A leaves enough", n.data()) << b << 2.0 << "commit" << 3.0 << "accept" << "0" << "2#1,3#1" << 1;
            QTest::addRow("%s: A gives up", n.data()) << b << 3.0 << "rollback" << 3.0 << "accept" << "2" << "3#1" << 1;
        }
    }
    void race()
    {
        QFETCH(QString, backend);
        QFETCH(double, held);
        QFETCH(QString, aEnds);
        QFETCH(double, wanted);
        QFETCH(QString, bEnds);
        QFETCH(QString, after);
        QFETCH(QString, taken);
        QFETCH(int, sheets);
        const QString url = testdb::freshUrl(backend);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        keepStock(*c, true);
        addBatches(*c, QStringLiteral("阿莫西林"), QStringLiteral("0.25g*24"), QStringLiteral("5"));

        QProcess a, b;
        a.start(deskPath(), {QStringLiteral("hold"), url, QString::number(held)});
        QVERIFY(a.waitForReadyRead(60000));
        QCOMPARE(a.readLine().trimmed(), QByteArray("taken"));
        b.start(deskPath(), {QStringLiteral("save"), url, QString::number(wanted)});
        QVERIFY(b.waitForStarted());
        if (!c->isSQLite()) {
            // B must really stand behind A's row before A ends, or the race is not run.
            bool waits = false;
            for (int i = 0; i < 3000 && !waits && b.state() == QProcess::Running; ++i) {
                waits = someoneWaits(*c);
                if (!waits) QThread::msleep(20);
            }
            QVERIFY2(waits, b.readAllStandardError().constData());
        }
        a.write(aEnds.toLatin1() + '\n');
        a.closeWriteChannel();
        QVERIFY(a.waitForFinished(60000));
        QCOMPARE(a.exitCode(), 0);
        QVERIFY(b.waitForFinished(60000));
        QVERIFY2(b.exitCode() == 0, b.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(b.readAllStandardOutput().trimmed()), bEnds);
        QCOMPARE(batches(*c), after);
        QCOMPARE(withdrawals(*c), taken);
        QCOMPARE(db::toInteger(db::scalar(*c, QStringLiteral("SELECT count(*) FROM 无病历收费单"))), sheets);
    }
};

QTEST_GUILESS_MAIN(TestTwoDesks)
#include "tst_two_desks.moc"
