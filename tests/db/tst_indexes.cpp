// The look-ups that run on every catalogue search and every balance use their indexes: the
// query plan of each, on a clinic big enough that the planner has a real choice.
#include "db/Connection.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "tests/support/TestDb.h"
#include <QTest>
#include <QThread>

namespace {

constexpr int catalogueRows = 20000; // 400 classes of 50 items
constexpr int movementRows = 40000;  // 2,000 accounts

// Engine statements as they run, with a literal in place of each bound value: a plan is asked
// for the statement's shape.
QString literal(QString sql, const QString& value)
{
    return sql.replace(QLatin1Char('?'), QStringLiteral("'%1'").arg(value));
}

// Rows from a counter, without a round trip per row.
QString series(const db::Connection& c, int n)
{
    return c.isSQLite() ? QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i+1 FROM s WHERE i<%1) ")
                              .arg(n - 1)
                        : QString();
}
QString from(const db::Connection& c, int n)
{
    return c.isSQLite() ? QStringLiteral(" FROM s") : QStringLiteral(" FROM generate_series(0,%1) AS s(i)").arg(n - 1);
}

void fill(db::Connection& c)
{
    c.execute(series(c, catalogueRows) +
              QStringLiteral("INSERT INTO 收费标准表 (Office, 收费分类, TypeCode, 收费项目, ItemCode, 单价) SELECT "
                             "'科' || (i % 20), '分类' || (i % 400), 'T' || (i % 400), '项目' || i, 'C' || i, i % 300") +
              from(c, catalogueRows));
    c.execute(series(c, movementRows) +
              QStringLiteral("INSERT INTO PrePayReg_Table (PrePayer_ID, PrePay_Money, PreferMoney, PrePay_IO) SELECT "
                             "i % 2000, 10 + i % 97, i % 5, i % 3 % 2") +
              from(c, movementRows));
    c.execute(series(c, movementRows) +
              QStringLiteral("INSERT INTO PrePayUseReg_Table (PrePayer_ID, PaySheetID, Payed_Money) SELECT "
                             "i % 2000, i, 1 + i % 13") +
              from(c, movementRows));
    // Statistics for the planner; on PostgreSQL also the visibility map that lets a covering
    // index answer without the table (a vacuum may leave pages unmarked while another session
    // still needs their old state: again until every page is marked).
    if (c.isSQLite()) {
        c.execute(QStringLiteral("ANALYZE"));
        return;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        c.execute(QStringLiteral("VACUUM ANALYZE"));
        if (db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM pg_class WHERE relname IN "
                                                       "('prepayreg_table','prepayusereg_table') AND relallvisible < relpages"))) == 0)
            return;
        QThread::msleep(100);
    }
}

QString plan(db::Connection& c, const QString& sql)
{
    db::Query q(c, (c.isSQLite() ? QStringLiteral("EXPLAIN QUERY PLAN ") : QStringLiteral("EXPLAIN ")) + sql);
    q.exec();
    QStringList lines;
    const int column = c.isSQLite() ? 3 : 0; // SQLite: id, parent, notused, detail
    while (q.next()) lines << q.text(column);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestIndexes : public QObject {
    Q_OBJECT
    std::map<QString, db::ConnectionPtr> dbs_;

    db::Connection& conn(const QString& backend)
    {
        auto& c = dbs_[backend];
        if (!c) {
            c = testdb::open(backend);
            fill(*c);
        }
        return *c;
    }

private slots:
    void plans_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("indexes");
        QTest::addColumn<bool>("covering");

        const QString cls = db::sameText(QStringLiteral("收费分类"));
        const QString item = db::sameText(QStringLiteral("收费项目"));
        const QString code = db::sameText(QStringLiteral("ItemCode"));
        const QString classItem = QStringLiteral("ix_收费标准表_收费分类_收费项目_text");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s items of a class", qPrintable(b))
                << b << literal(QStringLiteral("SELECT 收费项目 FROM 收费标准表 WHERE %1 ORDER BY ID").arg(cls), "分类7 ")
                << QStringList{classItem} << false;
            QTest::addRow("%s item of a class", qPrintable(b))
                << b
                << literal(QStringLiteral("SELECT ID FROM 收费标准表 WHERE %1 AND %2 ORDER BY ID").arg(cls, item), "分类7")
                << QStringList{classItem} << false;
            QTest::addRow("%s item by name or code", qPrintable(b))
                << b
                << literal(QStringLiteral("SELECT 收费项目 FROM 收费标准表 WHERE %1 OR %2 ORDER BY ID").arg(item, code),
                           "c123")
                << QStringList{QStringLiteral("ix_收费标准表_收费项目_text"), QStringLiteral("ix_收费标准表_ItemCode_text")}
                << false;
            QTest::addRow("%s balance movements", qPrintable(b))
                << b
                << QStringLiteral("SELECT Sum(CASE WHEN PrePay_IO=0 THEN PrePay_Money END),"
                                  " Sum(CASE WHEN PrePay_IO=0 THEN PreferMoney END),"
                                  " Sum(CASE WHEN PrePay_IO=1 THEN PrePay_Money END),"
                                  " Sum(CASE WHEN PrePay_IO=1 THEN PreferMoney END)"
                                  " FROM PrePayReg_Table WHERE PrePayer_ID=7 AND PrePay_IO IN (0,1)")
                << QStringList{QStringLiteral("ix_PrePayReg_Table_PrePayer_ID")} << true;
            QTest::addRow("%s balance uses", qPrintable(b))
                << b << QStringLiteral("SELECT Sum(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=7")
                << QStringList{QStringLiteral("ix_PrePayUseReg_Table_PrePayer_ID")} << true;
            QTest::addRow("%s balance uses except a sheet", qPrintable(b))
                << b
                << QStringLiteral("SELECT Sum(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=7 AND PaySheetID <> 7")
                << QStringList{QStringLiteral("ix_PrePayUseReg_Table_PrePayer_ID")} << true;
        }
    }
    void plans()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(QStringList, indexes);
        QFETCH(bool, covering);
        const QString p = plan(conn(backend), sql);
        for (const QString& index : indexes) {
            // PostgreSQL folds unquoted names to lower case.
            QVERIFY2(p.contains(index, Qt::CaseInsensitive), qPrintable(p));
            if (covering)
                QVERIFY2(p.contains(backend == QLatin1String("sqlite")
                                        ? QStringLiteral("COVERING INDEX %1").arg(index)
                                        : QStringLiteral("Index Only Scan using %1").arg(index.toLower())),
                         qPrintable(p));
        }
        QVERIFY2(!p.contains(QLatin1String("SCAN 收费标准表")) && !p.contains(QLatin1String("Seq Scan")), qPrintable(p));
    }

    void cleanupTestCase() { dbs_.clear(); }
};

QTEST_GUILESS_MAIN(TestIndexes)
#include "tst_indexes.moc"
