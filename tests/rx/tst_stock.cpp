// The medicine stock as prescriptions see it: the clinic's stock switch through the C API.
#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/support/TestDb.h"
#include <QTest>

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

    void stockSwitchWithoutConnection()
    {
        QCOMPARE(int(CheckRelationBetweenMedicineAndKB(nullptr)), 1);
        QCOMPARE(QString::fromUtf8(CalvaneLastError()),
                 QStringLiteral("CheckRelationBetweenMedicineAndKB: no database connection"));
    }
};

QTEST_GUILESS_MAIN(TestStock)
#include "tst_stock.moc"
