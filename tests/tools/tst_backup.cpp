#include "db/DemoClinic.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "tests/support/TestDb.h"
#include "tools/calvane/Backup.h"
#include <QDateTime>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// One value as both databases can agree on it: numbers by value, times to the second.
QString canonical(const QVariant& v)
{
    if (v.isNull()) return QStringLiteral("<null>");
    if (v.metaType().id() == QMetaType::QDateTime) return v.toDateTime().toString(Qt::ISODate).left(19);
    bool isNumber = false;
    const double n = v.toDouble(&isNumber);
    if (isNumber && v.metaType().id() != QMetaType::QString) return QString::number(n, 'g', 15);
    const QString s = v.toString();
    const QDateTime t = QDateTime::fromString(s.left(19), Qt::ISODate);
    if (s.size() >= 19 && t.isValid()) return t.toString(Qt::ISODate);
    const double sn = s.toDouble(&isNumber);
    return isNumber ? QString::number(sn, 'g', 15) : s;
}

// Every clinic table's rows, each as a line of canonical values in column-name order, sorted:
// two databases hold the same clinic when these are equal.
QMap<QString, QStringList> contents(db::Connection& c)
{
    QMap<QString, QStringList> all;
    for (const QString& table : c.tables()) {
        db::Query q(c, QStringLiteral("SELECT * FROM %1").arg(c.quoteIdentifier(table)));
        q.exec();
        QStringList rows;
        while (q.next()) {
            QMap<QString, QString> byName;
            for (int i = 0; i < q.columnCount(); ++i) byName[q.columnName(i).toLower()] = canonical(q.value(i));
            QStringList line;
            for (auto it = byName.cbegin(); it != byName.cend(); ++it) line << it.key() + u'=' + it.value();
            rows << line.join(u'|');
        }
        rows.sort();
        all[table.toLower()] = rows;
    }
    return all;
}

void compareClinics(db::Connection& a, db::Connection& b)
{
    const auto x = contents(a), y = contents(b);
    QCOMPARE(x.keys(), y.keys());
    for (auto it = x.cbegin(); it != x.cend(); ++it) {
        if (it.value() != y[it.key()]) {
            qWarning() << "table" << it.key() << "differs:" << it.value().size() << "rows against" << y[it.key()].size();
            QCOMPARE(it.value(), y[it.key()]);
        }
    }
}

qint64 receipts(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT count(*) FROM 收费收据表"));
    q.exec();
    return q.next() ? q.integer(0) : -1;
}


} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // A backup put back into an empty database gives the same clinic, row for row; a restore
    // over a database with receipts is refused and changes nothing, unless forced.
    void roundTrip_data() { testdb::addBackendRows(); }
    void roundTrip()
    {
        QFETCH(QString, backend);
        QTemporaryDir dir;
        const QString sourceUrl = testdb::freshUrl(backend);
        auto source = db::Connection::open(sourceUrl);
        db::schema::migrate(*source);
        db::loadDemoClinic(*source);
        QVERIFY(receipts(*source) > 0);

        const QString file = dir.filePath(QStringLiteral("clinic.backup"));
        backup::backupDatabase(sourceUrl, file);
        QVERIFY_THROWS_EXCEPTION(db::Error, backup::backupDatabase(sourceUrl, file)); // never over an old backup

        const QString emptyUrl = testdb::freshUrl(backend);
        backup::restoreDatabase(file, emptyUrl, false);
        auto restored = db::Connection::open(emptyUrl);
        compareClinics(*source, *restored);

        // The source moves on; restoring the older backup over it is refused and keeps today's rows.
        db::Query(*source, QStringLiteral("DELETE FROM 收费收据表 WHERE ID = (SELECT min(ID) FROM 收费收据表)")).exec();
        const auto today = contents(*source);
        QVERIFY_THROWS_EXCEPTION(db::Error, backup::restoreDatabase(file, sourceUrl, false));
        QCOMPARE(contents(*source), today);

        source.reset();
        backup::restoreDatabase(file, sourceUrl, true);
        source = db::Connection::open(sourceUrl);
        compareClinics(*source, *restored);
    }

    // A backup of one kind never goes into the other kind of database.
    void refusesForeignBackup()
    {
        QTemporaryDir dir;
        const QString notBackup = dir.filePath(QStringLiteral("notes.txt"));
        QFile f(notBackup);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("hello");
        f.close();
        for (const QString& backend : testdb::backends())
            QVERIFY_THROWS_EXCEPTION(db::Error, backup::restoreDatabase(notBackup, testdb::freshUrl(backend), false));
    }

    // A desk in the middle of a save does not stop a SQLite backup, and the backup holds the
    // clinic as it was before that save: never half of it.
    void sqliteBackupWhileDeskWrites()
    {
        QTemporaryDir dir;
        const QString url = testdb::freshUrl(QStringLiteral("sqlite"));
        auto desk = db::Connection::open(url);
        db::schema::migrate(*desk);
        db::loadDemoClinic(*desk);
        const qint64 before = receipts(*desk);
        {
            db::Transaction tx(*desk);
            db::Query(*desk, QStringLiteral("DELETE FROM 收费收据表")).exec();
            const QString file = dir.filePath(QStringLiteral("b.sqlite"));
            backup::backupDatabase(url, file);
            tx.commit();
            auto copy = db::Connection::open(QStringLiteral("sqlite:") + file);
            QCOMPARE(receipts(*copy), before);
        }
        QCOMPARE(receipts(*desk), 0);
    }

    // A clinic moves between the two kinds of database with every row; the new database then
    // hands out keys above the copied ones. Into a database with receipts only when forced.
    void copy_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        for (const QString& to : testdb::backends()) QTest::newRow(qPrintable(u"sqlite→"_s + to)) << u"sqlite"_s << to;
        if (testdb::backends().contains(u"postgresql"_s)) QTest::newRow("postgresql→sqlite") << u"postgresql"_s << u"sqlite"_s;
    }
    void copy()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        const QString fromUrl = testdb::freshUrl(from), toUrl = testdb::freshUrl(to);
        auto source = db::Connection::open(fromUrl);
        db::schema::migrate(*source);
        db::loadDemoClinic(*source);

        const qint64 rows = backup::copyDatabase(fromUrl, toUrl, false);
        QVERIFY(rows > 0);
        auto target = db::Connection::open(toUrl);
        compareClinics(*source, *target);

        {
            db::Query(*target, QStringLiteral("INSERT INTO 收费收据表 (收款人) VALUES (?)"), {u"新"_s}).exec();
            db::Query keys(*target, QStringLiteral("SELECT count(DISTINCT ID), count(*) FROM 收费收据表"));
            keys.exec();
            QVERIFY(keys.next());
            QCOMPARE(keys.integer(0), keys.integer(1));
        }

        const auto kept = contents(*target);
        QVERIFY_THROWS_EXCEPTION(db::Error, backup::copyDatabase(fromUrl, toUrl, false));
        QCOMPARE(contents(*target), kept);
        target.reset();
        backup::copyDatabase(fromUrl, toUrl, true);
        target = db::Connection::open(toUrl);
        compareClinics(*source, *target);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
