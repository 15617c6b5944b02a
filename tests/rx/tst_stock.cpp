// The medicine stock as prescriptions see it: the clinic's stock switch through the C API, the
// stock check before a save and the stock-out over the batches.
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "rx/Stock.h"
#include "tests/rx/StockFixture.h"
#include "tests/support/TestDb.h"
#include <QTest>

using namespace stockfixture;

namespace {

const QString amox = QStringLiteral("阿莫西林");
const QString caps = QStringLiteral("0.25g*24");

// A prescription from "quantity,quantity,…" of amox; the first `stored` of them (from the
// tail) count as lines loaded from the database.
rx::MedicineLineList prescription(const QString& quantities)
{
    rx::MedicineLineList lines;
    for (const QString& q : quantities.split(QLatin1Char(','), Qt::SkipEmptyParts)) lines.insert(lines.size(), line(amox, caps, q.toDouble()));
    return lines;
}

} // namespace

class TestStock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only a stored 0 turns the stock on; everything else, a failure included, leaves it off.
    void stockSwitch_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("rows"); // Management_table rows, by their flag
        QTest::addColumn<bool>("broken");  // the query fails
        QTest::addColumn<int>("result");
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s: no row", n.data()) << b << "" << false << 1;
            QTest::addRow("%s: NULL", n.data()) << b << "NULL" << false << 1;
            QTest::addRow("%s: stock kept", n.data()) << b << "0" << false << 0;
            QTest::addRow("%s: other value", n.data()) << b << "2" << false << 2;
            QTest::addRow("%s: negative", n.data()) << b << "-1" << false << -1;
            QTest::addRow("%s: first row counts", n.data()) << b << "0,1" << false << 0;
            QTest::addRow("%s: database failure", n.data()) << b << "0" << true << 1;
        }
        // What only SQLite's loose column types can hold: no number, or none of 16 bits, means
        // the setting says nothing, and nothing must not switch the stock on.
        for (const char* v : {"abc", "", "70000", "-40000"})
            QTest::addRow("sqlite: stored '%s'", v) << QStringLiteral("sqlite") << QStringLiteral("text:") + QString::fromUtf8(v) << false << 1;
        QTest::addRow("sqlite: stored '0' as text") << QStringLiteral("sqlite") << QStringLiteral("text:0") << false << 0;
        QTest::addRow("sqlite: stored 2.5") << QStringLiteral("sqlite") << QStringLiteral("text:2.5") << false << 2;
    }
    void stockSwitch()
    {
        QFETCH(QString, backend);
        QFETCH(QString, rows);
        QFETCH(bool, broken);
        QFETCH(int, result);
        CalvaneConnection* conn = nullptr;
        QCOMPARE(CalvaneConnect(testdb::freshUrl(backend).toUtf8().constData(), &conn), 0);
        db::Connection& c = *conn->connection;
        db::schema::migrate(c);
        if (rows.startsWith(QLatin1String("text:"))) {
            const QString stored = rows.mid(5);
            const QVariant v = stored.contains(QLatin1Char('.')) ? QVariant(stored.toDouble()) : QVariant(stored);
            db::execute(c, QStringLiteral("INSERT INTO Management_table (MedicineFromKBFlag) VALUES (?)"), {v});
            rows.clear();
        }
        for (const QString& flag : rows.split(QLatin1Char(','), Qt::SkipEmptyParts))
            db::execute(c, QStringLiteral("INSERT INTO Management_table (MedicineFromKBFlag) VALUES (?)"),
                        {flag == QLatin1String("NULL") ? QVariant() : QVariant(flag.toInt())});
        if (broken) c.failStatementAfter(1);
        QCOMPARE(int(CheckRelationBetweenMedicineAndKB(conn)), result);
        c.clearFault();
        const QString error = QString::fromUtf8(CalvaneLastError());
        QCOMPARE(error.startsWith(QStringLiteral("CheckRelationBetweenMedicineAndKB: ")), broken);
        CalvaneDisconnect(conn);
    }

    // The check truncates what the good batches hold together; the dialog's list compares it
    // exactly. Only the new lines (those before the stored ones) count.
    void check_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("covers");
        QTest::addColumn<QString>("shortLines"); // "quantity/on hand" per short line, "-" for none at all
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s: covered", n.data()) << b << "5,3" << "8" << 0 << true << "";
            QTest::addRow("%s: 2.7 does not cover 2.5 but is not listed", n.data()) << b << "2.7" << "2.5" << 0 << false << "";
            QTest::addRow("%s: short", n.data()) << b << "2,1" << "4" << 0 << false << "4/3";
            QTest::addRow("%s: no batch at all", n.data()) << b << "" << "1" << 0 << false << "1/-";
            QTest::addRow("%s: expiring today does not count", n.data()) << b << "5@0,1@1" << "2" << 0 << false << "2/1";
            QTest::addRow("%s: expired does not count", n.data()) << b << "5@-3" << "1" << 0 << false << "1/-";
            QTest::addRow("%s: expiring tomorrow counts", n.data()) << b << "5@1" << "5" << 0 << true << "";
            QTest::addRow("%s: stored lines are not checked", n.data()) << b << "1" << "1,9" << 1 << true << "";
            QTest::addRow("%s: each new line on its own", n.data()) << b << "1" << "1,3,9" << 1 << false << "3/1";
        }
    }
    void check()
    {
        QFETCH(QString, backend);
        QFETCH(QString, stock);
        QFETCH(QString, lines);
        QFETCH(int, stored);
        QFETCH(bool, covers);
        QFETCH(QString, shortLines);
        auto c = testdb::open(backend);
        addBatches(*c, amox, caps, stock);
        const rx::MedicineLineList l = prescription(lines);
        const QDateTime now = c->serverTime();
        QCOMPARE(rx::StockCovers(*c, l, stored, now), covers);
        QStringList got;
        for (const rx::ShortLine& s : rx::ShortLines(*c, l, stored, now)) {
            QCOMPARE(s.name, amox);
            got << QStringLiteral("%1/%2").arg(s.quantity).arg(s.onHand ? QString::number(*s.onHand) : QStringLiteral("-"));
        }
        QCOMPARE(got.join(QLatin1Char(',')), shortLines);
    }

    // The stock-out takes the lowest batch number first, skips batches that expire today or are
    // empty, writes one withdrawal per batch used and never leaves a shortfall half taken.
    void stockOut_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("lines");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("kept");      // the stock switch is on
        QTest::addColumn<QString>("after");  // batches afterwards
        QTest::addColumn<QString>("taken");  // withdrawals
        QTest::addColumn<bool>("shortfall"); // StockShortfall thrown
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s: 6 over 5 and 3", n.data()) << b << "5,3" << "6" << 0 << true << "0,2" << "5#1,1#2" << false;
            QTest::addRow("%s: exactly the first batch", n.data()) << b << "5,3" << "5" << 0 << true << "0,3" << "5#1" << false;
            QTest::addRow("%s: lowest number first", n.data()) << b << "#20:4,#10:4" << "5" << 0 << true << "0,3" << "4#10,1#20" << false;
            QTest::addRow("%s: expiring today is left", n.data()) << b << "5@0,3@1" << "2" << 0 << true << "5,1" << "2#2" << false;
            QTest::addRow("%s: an empty batch gets no row", n.data()) << b << "0,3" << "2" << 0 << true << "0,1" << "2#2" << false;
            QTest::addRow("%s: two lines", n.data()) << b << "5,3" << "2,4" << 0 << true << "0,2" << "2#1,3#1,1#2" << false;
            QTest::addRow("%s: stored lines stay", n.data()) << b << "5" << "1,3" << 1 << true << "4" << "1#1" << false;
            QTest::addRow("%s: short", n.data()) << b << "2,1" << "4" << 0 << true << "2,1" << "" << true;
            QTest::addRow("%s: second line short", n.data()) << b << "3" << "2,2" << 0 << true << "3" << "" << true;
            QTest::addRow("%s: no batch", n.data()) << b << "" << "1" << 0 << true << "" << "" << true;
            QTest::addRow("%s: stock not kept", n.data()) << b << "5" << "9" << 0 << false << "5" << "" << false;
        }
    }
    void stockOut()
    {
        QFETCH(QString, backend);
        QFETCH(QString, stock);
        QFETCH(QString, lines);
        QFETCH(int, stored);
        QFETCH(bool, kept);
        QFETCH(QString, after);
        QFETCH(QString, taken);
        QFETCH(bool, shortfall);
        auto c = testdb::open(backend);
        keepStock(*c, kept);
        addBatches(*c, amox, caps, stock);
        bool thrown = false;
        try {
            rx::TakeOutOfStock(*c, prescription(lines), stored, {QStringLiteral("收款员"), QStringLiteral("张三")}, c->serverTime());
        } catch (const rx::StockShortfall& e) {
            thrown = true;
            QCOMPARE(e.name, amox);
        }
        QCOMPARE(thrown, shortfall);
        QCOMPARE(batches(*c), after);
        QCOMPARE(withdrawals(*c), taken);
    }

    // A withdrawal row carries the line, the batch and the people, and the line's whole amount.
    void withdrawalRow()
    {
        for (const QString& b : testdb::backends()) {
            auto c = testdb::open(b);
            keepStock(*c, true);
            addBatches(*c, QStringLiteral("Amoxicillin"), caps, QStringLiteral("5@10,3@20"));
            const QDateTime now = c->serverTime();
            rx::MedicineLineList l;
            l.prepend(line(QStringLiteral("AMOXICILLIN  "), caps, 6, 2.5)); // compared as the clinic's server did
            rx::TakeOutOfStock(*c, l, 0, {QStringLiteral("收款员"), QStringLiteral("张三")}, now);
            db::Query q(*c, QStringLiteral("SELECT * FROM 材料出库表 ORDER BY 出库编号"));
            q.exec();
            const QDate today = now.date();
            for (const auto& [quantity, batch, days] : {std::tuple{5.0, 1, 10}, std::tuple{1.0, 2, 20}}) {
                QVERIFY(q.next());
                QCOMPARE(q.number(QStringLiteral("数量")), quantity);
                QCOMPARE(q.integer(QStringLiteral("KBID")), batch);
                QCOMPARE(q.number(QStringLiteral("总价")), 15.0);
                QCOMPARE(q.number(QStringLiteral("出库价格")), 2.5);
                QCOMPARE(q.text(QStringLiteral("单位")), QStringLiteral("盒"));
                QCOMPARE(q.text(QStringLiteral("库存分类")), QStringLiteral("西药"));
                QCOMPARE(q.text(QStringLiteral("领料人")), QStringLiteral("收款员"));
                QCOMPARE(q.text(QStringLiteral("领用人")), QStringLiteral("张三"));
                QCOMPARE(q.text(QStringLiteral("备注")), QStringLiteral("药品处方自动出库"));
                QCOMPARE(q.dateTime(QStringLiteral("ExpireDate")), QDateTime(today.addDays(days), QTime(12, 0)));
                QCOMPARE(q.dateTime(QStringLiteral("日期")), now);
            }
            QVERIFY(!q.next());
        }
    }

    // Any statement of a stock-out failing undoes all of it; inside a caller's save, the
    // caller's rollback undoes it too.
    void stockOutIsWhole()
    {
        for (const QString& b : testdb::backends()) {
            auto c = testdb::open(b);
            keepStock(*c, true);
            addBatches(*c, amox, caps, QStringLiteral("5,3"));
            const rx::MedicineLineList l = prescription(QStringLiteral("2,4"));
            bool done = false;
            for (int n = 1; !done; ++n) {
                c->failStatementAfter(n);
                try {
                    rx::TakeOutOfStock(*c, l, 0, {}, QDateTime::currentDateTime());
                    done = true;
                } catch (const db::Error&) {
                    c->clearFault();
                    QCOMPARE(batches(*c), QStringLiteral("5,3"));
                    QCOMPARE(withdrawals(*c), QString());
                }
                QVERIFY2(n < 50, "the stock-out never got through");
            }
            c->clearFault();
            QCOMPARE(batches(*c), QStringLiteral("0,2"));
            {
                db::Transaction caller(*c);
                rx::TakeOutOfStock(*c, prescription(QStringLiteral("1")), 0, {}, QDateTime::currentDateTime());
                QCOMPARE(batches(*c), QStringLiteral("0,1"));
            }
            QCOMPARE(batches(*c), QStringLiteral("0,2"));
        }
    }

    void stockSwitchWithoutConnection()
    {
        QCOMPARE(int(CheckRelationBetweenMedicineAndKB(nullptr)), 1);
        QCOMPARE(QString::fromUtf8(CalvaneLastError()),
                 QStringLiteral("CheckRelationBetweenMedicineAndKB: no database connection"));
    }
};

QTEST_GUILESS_MAIN(TestStock)
#include "tst_stock.moc"
