// Two desks take the same medicine at once, each a process with its own connection: desk A
// holds its stock-out open while desk B saves a walk-in prescription of the same batch. Stock
// is never lost or counted twice: B gets what A left, or sees the shortage and saves nothing.
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "rx/PrescriptionForm.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/rx/StockFixture.h"
#include "tests/support/TestDb.h"
#include <QProcess>
#include <QTest>
#include <QThread>
#include <functional>

using namespace stockfixture;

namespace {

QString deskPath() { return QStringLiteral(STOCK_DESK); }

// On PostgreSQL, how many sessions of this database wait for a lock (B behind A's row).
qint64 waiting(db::Connection& c)
{
    return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE datname=current_database() "
                                                      "AND wait_event_type='Lock'")));
}

// Polls until `sessions` wait for a lock or `running` says the processes ended.
bool waitForWaiters(db::Connection& c, qint64 sessions, const std::function<bool()>& running)
{
    for (int i = 0; i < 3000 && running(); ++i) {
        if (waiting(c) >= sessions) return true;
        QThread::msleep(20);
    }
    return false;
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
            QVERIFY2(waitForWaiters(*c, 1, [&] { return b.state() == QProcess::Running; }),
                     b.readAllStandardError().constData());
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

    // Two desks correct one prescription: this desk opened it first, the other adds a line and
    // saves, then this desk adds its own and saves. This desk is told and shown the prescription
    // again; only the other desk's line is stored (and, on a walk-in sheet, left the stock), and
    // the stored total is that of the stored lines.
    void twoDesksCorrectOnePrescription_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("walkIn");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: receipt", qPrintable(b)) << b << false;
            QTest::addRow("%s: walk-in sheet", qPrintable(b)) << b << true;
        }
    }
    void twoDesksCorrectOnePrescription()
    {
        QFETCH(QString, backend);
        QFETCH(bool, walkIn);
        const QString url = testdb::freshUrl(backend);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        keepStock(*c, true);
        addBatches(*c, QStringLiteral("阿莫西林"), QStringLiteral("0.25g*24"), QStringLiteral("10"));
        rx::PrescriptionForm::Inputs in;
        in.caseNumber = 7;
        in.doctorName = QStringLiteral("王医生");
        in.patientName = QStringLiteral("张三");
        in.patientNumber = walkIn ? QString() : QStringLiteral("P7");
        in.cashier = QStringLiteral("甲");
        const auto enter = [](rx::PrescriptionForm& f, double quantity) {
            f.entry = {};
            f.entry.name = QStringLiteral("阿莫西林");
            f.entry.spec = QStringLiteral("0.25g*24");
            f.entry.price = 10.0;
            f.entry.quantity = quantity;
            f.entry.amount = 10.0 * quantity;
            f.add();
        };
        ScriptedPrompter prompter;
        rx::PrescriptionForm first(c, in);
        first.open();
        enter(first, 2);
        QCOMPARE(first.save(), rx::PrescriptionForm::Ending::Accept);

        in.documentId = first.documentId();
        rx::PrescriptionForm mine(c, in);
        mine.open();
        QProcess other;
        other.start(deskPath(), {QStringLiteral("correct"), url, QString::number(in.documentId), walkIn ? "1" : "0"});
        QVERIFY(other.waitForFinished(60000));
        QVERIFY2(other.exitCode() == 0, other.readAllStandardError().constData());
        QCOMPARE(QString::fromUtf8(other.readAllStandardOutput().trimmed()), QStringLiteral("accept"));

        enter(mine, 3);
        QCOMPARE(mine.save(), rx::PrescriptionForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{db::kChangedElsewhere});
        QCOMPARE(mine.lines().size(), 2); // the other desk's prescription, shown again
        const QString document = walkIn ? QStringLiteral("NonDocReceiptID") : QStringLiteral("ReceiptID");
        const QString header = walkIn ? QStringLiteral("无病历收费单") : QStringLiteral("收费收据表");
        QCOMPARE(db::toNumber(db::scalar(*c, QStringLiteral("SELECT sum(数量) FROM 处方明细表 WHERE %1=?").arg(document),
                                         {in.documentId})), 3.0);
        QCOMPARE(db::toNumber(db::scalar(*c, QStringLiteral("SELECT 合计 FROM %1 WHERE ID=?").arg(header), {in.documentId})),
                 30.0);
        QCOMPARE(batches(*c), walkIn ? QStringLiteral("7") : QStringLiteral("10"));
    }

    // Two cashiers settle one prescription at once while a third desk holds the stock: on
    // PostgreSQL the first waits inside its checkout for the stock, the second for the first's
    // receipt; on SQLite both wait for the database. One settles; the other is told and writes
    // nothing, and the medicines leave the stock once.
    void twoCashiers_data() { testdb::addBackendRows(); }
    void twoCashiers()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        keepStock(*c, true);
        addBatches(*c, QStringLiteral("阿莫西林"), QStringLiteral("0.25g*24"), QStringLiteral("5"));
        const qint64 receipt = db::AddRecord(*c, QStringLiteral("收费收据表"),
                                             {{QStringLiteral("病历号"), 7}, {QStringLiteral("合计"), 30.0},
                                              {QStringLiteral("付款"), QStringLiteral("未付")},
                                              {QStringLiteral("IsPrescriptionFlag"), 2}});
        db::AddRecord(*c, QStringLiteral("处方明细表"),
                      {{QStringLiteral("ReceiptID"), receipt}, {QStringLiteral("名称"), QStringLiteral("阿莫西林")},
                       {QStringLiteral("规格"), QStringLiteral("0.25g*24")}, {QStringLiteral("数量"), 3.0},
                       {QStringLiteral("单价"), 10.0}, {QStringLiteral("金额"), 30.0}, {QStringLiteral("MedcineOutFlag"), 0}});

        QProcess holder, first, second;
        holder.start(deskPath(), {QStringLiteral("lock"), url});
        QVERIFY(holder.waitForReadyRead(60000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("taken"));
        first.start(deskPath(), {QStringLiteral("settle"), url, QString::number(receipt)});
        second.start(deskPath(), {QStringLiteral("settle"), url, QString::number(receipt)});
        QVERIFY(first.waitForStarted() && second.waitForStarted());
        if (!c->isSQLite())
            QVERIFY(waitForWaiters(*c, 2, [&] {
                return first.state() == QProcess::Running && second.state() == QProcess::Running;
            }));
        holder.write("go\n");
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(60000));
        QVERIFY(first.waitForFinished(60000) && second.waitForFinished(60000));
        QStringList endings{QString::fromUtf8(first.readAllStandardOutput().trimmed()),
                            QString::fromUtf8(second.readAllStandardOutput().trimmed())};
        endings.sort();
        QCOMPARE(endings, (QStringList{QStringLiteral("accept"), QStringLiteral("stay")}));
        QCOMPARE(db::toInteger(db::scalar(*c, QStringLiteral("SELECT count(*) FROM 病历收费单"))), 1);
        QCOMPARE(db::toText(db::scalar(*c, QStringLiteral("SELECT 付款 FROM 收费收据表"))), QStringLiteral("已付"));
        QCOMPARE(batches(*c), QStringLiteral("2"));
        QCOMPARE(withdrawals(*c), QStringLiteral("3#1"));
    }
};

QTEST_GUILESS_MAIN(TestTwoDesks)
#include "tst_two_desks.moc"
