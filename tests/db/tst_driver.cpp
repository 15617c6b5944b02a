// The client-library sessions under db::Connection, held to one contract on SQLite and on
// PostgreSQL: values come back as they went in, "?" is a placeholder only outside quotes, a
// statement keeps its rows while another runs, and a failure says what kind it was.
#include "db/driver/Driver.h"
#include "tests/support/TestDb.h"
#include <QDateTime>
#include <QTest>
#include <functional>
#include <optional>
#include <thread>

using namespace db;
using namespace db::driver;
using namespace Qt::StringLiterals;

namespace {

// One fresh database and how to open more sessions on it.
struct Database {
    QString backend;
    QString address;
    bool postgres() const { return backend == QLatin1String("postgresql"); }
    std::unique_ptr<Session> open() const { return postgres() ? openPostgres(address) : openSqlite(address); }
};

Database fresh(const QString& backend)
{
    QString address = testdb::freshUrl(backend);
    if (address.startsWith(QLatin1String("sqlite:"))) address = address.mid(7);
    return {backend, address};
}

QVariant scalar(Session& s, const QString& sql, const QVariantList& values = {})
{
    auto st = s.prepare(sql);
    st->exec(values);
    return st->next() ? st->value(0) : QVariant();
}

void addRows(const QString& name, const std::function<void(QTestData&, const QString&)>& fill)
{
    for (const QString& b : testdb::backends()) fill(QTest::newRow(qPrintable(b + QLatin1Char('/') + name)), b);
}

} // namespace

class TestDriver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void valuesComeBackAsStored_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QVariant>("value");
        const auto row = [](const char* name, const char* type, const QVariant& value) {
            addRows(QString::fromLatin1(name), [=](QTestData& d, const QString& b) { d << b << QString::fromLatin1(type) << value; });
        };
        row("null number", "BIGINT", QVariant());
        row("null text", "TEXT", QVariant());
        row("int64 past double's reach", "BIGINT", QVariant(qlonglong(9007199254740993LL)));
        row("smallest int64", "BIGINT", QVariant(std::numeric_limits<qlonglong>::min()));
        row("int", "INTEGER", QVariant(-42));
        row("0.1 + 0.2", "DOUBLE PRECISION", QVariant(0.1 + 0.2));
        row("a sum in fen", "DOUBLE PRECISION", QVariant(123456789.07));
        row("a tiny double", "DOUBLE PRECISION", QVariant(5e-324));
        row("Chinese text", "TEXT", QVariant(QStringLiteral("收费收据 ‘预交金’ ✓")));
        row("empty text is not NULL", "TEXT", QVariant(QString(u""_s)));
        row("bytes with zeros", "BYTES", QVariant(QByteArray("\0\xff\x01'?\\", 6)));
    }
    void valuesComeBackAsStored()
    {
        QFETCH(QString, backend);
        QFETCH(QString, type);
        QFETCH(QVariant, value);
        const Database db = fresh(backend);
        auto s = db.open();
        if (type == QLatin1String("BYTES")) type = db.postgres() ? QStringLiteral("BYTEA") : QStringLiteral("BLOB");
        s->execute(QStringLiteral("CREATE TABLE t (v %1)").arg(type));
        auto insert = s->prepare(QStringLiteral("INSERT INTO t (v) VALUES (?)"));
        insert->exec({value});
        QCOMPARE(insert->rowsAffected(), 1);
        const QVariant back = scalar(*s, QStringLiteral("SELECT v FROM t"));
        QCOMPARE(back.isNull(), value.isNull());
        if (value.isNull()) return;
        switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            QVERIFY(back.typeId() == QMetaType::LongLong || back.typeId() == QMetaType::Int);
            QCOMPARE(back.toLongLong(), value.toLongLong());
            break;
        case QMetaType::Double:
            QCOMPARE(back.typeId(), QMetaType::Double);
            // Exact, not within a tolerance: every digit of an amount survives the trip.
            QVERIFY2(back.toDouble() == value.toDouble(), qPrintable(QString::number(back.toDouble(), 'g', 17)));
            break;
        default:
            QCOMPARE(back, value);
        }
    }

    void timestampsReadAsTheColumnHoldsThem_data() { testdb::addBackendRows(); }
    void timestampsReadAsTheColumnHoldsThem()
    {
        QFETCH(QString, backend);
        const Database db = fresh(backend);
        auto s = db.open();
        s->execute(QStringLiteral("CREATE TABLE t (at TIMESTAMP, day DATE)"));
        auto insert = s->prepare(QStringLiteral("INSERT INTO t (at, day) VALUES (?, ?)"));
        insert->exec({QStringLiteral("2026-12-11 08:30:05"), QStringLiteral("2026-02-28")});
        auto read = s->prepare(QStringLiteral("SELECT at, day FROM t WHERE at >= ? AND at < ?"));
        read->exec({QStringLiteral("2026-12-11 00:00:00"), QStringLiteral("2026-12-12 00:00:00")});
        QVERIFY(read->next());
        if (db.postgres()) {
            QCOMPARE(read->value(0), QVariant(QDateTime(QDate(2026, 12, 11), QTime(8, 30, 5))));
            QCOMPARE(read->value(1), QVariant(QDate(2026, 2, 28)));
            // A zoned timestamp is read as the same instant in local time.
            const QVariant zoned = scalar(*s, QStringLiteral("SELECT TIMESTAMPTZ '2026-12-11 08:30:05.25+08'"));
            QCOMPARE(zoned.toDateTime().toUTC(), QDateTime(QDate(2026, 12, 11), QTime(0, 30, 5, 250), Qt::UTC));
        } else {
            // SQLite keeps the text it was given; it still orders and compares as dates do.
            QCOMPARE(read->value(0), QVariant(QStringLiteral("2026-12-11 08:30:05")));
            QCOMPARE(read->value(1), QVariant(QStringLiteral("2026-02-28")));
        }
        QVERIFY(!read->next());
    }

    void questionMarksInsideQuotesAreText_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        addRows(u"literal, identifier, comments"_s, [](QTestData& d, const QString& b) {
            d << b << u"SELECT 'a?''?', ? AS \"x?\", /* ? */ ? -- ? \n, '?'"_s << QStringList{u"a?'?"_s, u"1"_s, u"2"_s, u"?"_s};
        });
        for (const QString& b : testdb::backends()) {
            if (b != QLatin1String("postgresql")) continue;
            QTest::newRow("postgresql/dollar quotes, escapes, casts")
                << b << u"SELECT $$?$$, $q$ '? $q$, E'\\'?', ?::text, ?::text"_s
                << QStringList{u"?"_s, u" '? "_s, u"'?"_s, u"1"_s, u"2"_s};
            QTest::newRow("postgresql/nested block comment")
                << b << u"SELECT /* a /* ? */ ? */ ?, ?"_s << QStringList{u"1"_s, u"2"_s};
        }
    }
    void questionMarksInsideQuotesAreText()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        const Database db = fresh(backend);
        auto s = db.open();
        auto st = s->prepare(sql);
        st->exec({QStringLiteral("1"), QStringLiteral("2")});
        QVERIFY(st->next());
        QCOMPARE(st->columnCount(), expected.size());
        for (int i = 0; i < expected.size(); ++i) QCOMPARE(st->value(i).toString(), expected[i]);
    }

    void aStatementKeepsItsRowsWhileAnotherRuns_data() { testdb::addBackendRows(); }
    void aStatementKeepsItsRowsWhileAnotherRuns()
    {
        QFETCH(QString, backend);
        const Database db = fresh(backend);
        auto s = db.open();
        s->execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT);"
                                  "INSERT INTO t VALUES (1, '甲'), (2, '乙'), (3, '丙')"));
        auto outer = s->prepare(QStringLiteral("SELECT id FROM t ORDER BY id"));
        auto inner = s->prepare(QStringLiteral("SELECT name FROM t WHERE id = ?"));
        auto write = s->prepare(QStringLiteral("UPDATE t SET name = name || ? WHERE id = ?"));
        outer->exec({});
        QStringList seen;
        while (outer->next()) {
            const qlonglong id = outer->value(0).toLongLong();
            write->exec({QStringLiteral("!"), id});
            QCOMPARE(write->rowsAffected(), 1);
            inner->exec({id});
            QVERIFY(inner->next());
            seen << inner->value(0).toString();
        }
        QCOMPARE(seen, (QStringList{u"甲!"_s, u"乙!"_s, u"丙!"_s}));
        QCOMPARE(outer->columnName(0).toLower(), QStringLiteral("id"));
        // Run again after a partial read: the statement starts afresh.
        outer->exec({});
        QVERIFY(outer->next());
        outer->reset();
        outer->exec({});
        QVERIFY(outer->next());
        QCOMPARE(outer->value(0).toLongLong(), 1);
    }

    void failuresSayWhatKindTheyAre_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("code");
        const auto row = [](const char* name, const char* sql, ErrorKind kind, const char* pgCode, const char* sqliteCode) {
            addRows(QString::fromLatin1(name), [=](QTestData& d, const QString& b) {
                d << b << QString::fromLatin1(sql) << int(kind)
                  << QString::fromLatin1(b == QLatin1String("postgresql") ? pgCode : sqliteCode);
            });
        };
        // SQLite's codes are its extended result codes: SQLITE_CONSTRAINT_PRIMARYKEY and so on.
        row("duplicate key", "INSERT INTO t (k, v) VALUES (1, 'x')", ErrorKind::Constraint, "23505", "1555");
        row("duplicate unique value", "INSERT INTO t (k, v) VALUES (2, 'one')", ErrorKind::Constraint, "23505", "2067");
        row("NULL where none may be", "INSERT INTO t (k, v) VALUES (2, NULL)", ErrorKind::Constraint, "23502", "1299");
        row("check refused", "INSERT INTO t (k, v) VALUES (-1, 'y')", ErrorKind::Constraint, "23514", "275");
        row("no such table", "SELECT * FROM nowhere", ErrorKind::Other, "42P01", "1");
    }
    void failuresSayWhatKindTheyAre()
    {
        QFETCH(QString, backend);
        QFETCH(QString, sql);
        QFETCH(int, kind);
        QFETCH(QString, code);
        const Database db = fresh(backend);
        auto s = db.open();
        s->execute(QStringLiteral("CREATE TABLE t (k INTEGER PRIMARY KEY CHECK (k > 0), v TEXT NOT NULL UNIQUE);"
                                  "INSERT INTO t VALUES (1, 'one')"));
        try {
            s->prepare(sql)->exec({});
            QFAIL("the statement ran");
        } catch (const Error& e) {
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.code(), code);
            QVERIFY2(e.message().endsWith(QLatin1Char('[') + sql + QLatin1Char(']')), qPrintable(e.message()));
            QVERIFY(!e.retryable());
        }
        // The session goes on.
        QCOMPARE(scalar(*s, QStringLiteral("SELECT count(*) FROM t")).toLongLong(), 1);
    }

    void savepointsUndoOnlyTheirOwnWork_data() { testdb::addBackendRows(); }
    void savepointsUndoOnlyTheirOwnWork()
    {
        QFETCH(QString, backend);
        const Database db = fresh(backend);
        auto s = db.open();
        auto other = db.open();
        s->execute(QStringLiteral("CREATE TABLE t (k INTEGER PRIMARY KEY)"));
        auto insert = s->prepare(QStringLiteral("INSERT INTO t (k) VALUES (?)"));
        const auto refused = [](const std::function<void()>& run) {
            try {
                run();
            } catch (const Error&) {
                return true;
            }
            return false;
        };
        s->execute(QStringLiteral("BEGIN"));
        insert->exec({1});
        s->execute(QStringLiteral("SAVEPOINT a"));
        QVERIFY(refused([&] { insert->exec({1}); }));
        s->execute(QStringLiteral("ROLLBACK TO SAVEPOINT a"));
        s->execute(QStringLiteral("RELEASE SAVEPOINT a"));
        s->execute(QStringLiteral("SAVEPOINT b"));
        QVERIFY(refused([&] { s->prepare(QStringLiteral("SELECT * FROM nowhere")); }));
        s->execute(QStringLiteral("ROLLBACK TO SAVEPOINT b"));
        s->execute(QStringLiteral("RELEASE SAVEPOINT b"));
        insert->exec({2});
        QCOMPARE(scalar(*other, QStringLiteral("SELECT count(*) FROM t")).toInt(), 0);
        s->execute(QStringLiteral("COMMIT"));
        QCOMPARE(scalar(*other, QStringLiteral("SELECT count(*) FROM t")).toInt(), 2);
        s->execute(QStringLiteral("BEGIN"));
        insert->exec({3});
        s->execute(QStringLiteral("ROLLBACK"));
        QCOMPARE(scalar(*other, QStringLiteral("SELECT count(*) FROM t")).toInt(), 2);
    }

    void aSerializationFailureIsRetryable_data() { testdb::addBackendRows(); }
    void aSerializationFailureIsRetryable()
    {
        QFETCH(QString, backend);
        if (backend != QLatin1String("postgresql")) QSKIP("SQLite lets one writer in at a time: there is nothing to serialise");
        const Database db = fresh(backend);
        auto first = db.open();
        auto second = db.open();
        first->execute(QStringLiteral("CREATE TABLE t (k INTEGER PRIMARY KEY, v INTEGER); INSERT INTO t VALUES (1, 0)"));
        first->execute(QStringLiteral("BEGIN ISOLATION LEVEL SERIALIZABLE"));
        QCOMPARE(scalar(*first, QStringLiteral("SELECT v FROM t WHERE k = ?"), {1}).toInt(), 0);
        second->prepare(QStringLiteral("UPDATE t SET v = v + 1 WHERE k = ?"))->exec({1});
        try {
            first->prepare(QStringLiteral("UPDATE t SET v = v + 1 WHERE k = ?"))->exec({1});
            QFAIL("the second write to the row went through");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), ErrorKind::Serialization);
            QCOMPARE(e.code(), QStringLiteral("40001"));
            QVERIFY(e.retryable());
        }
        first->execute(QStringLiteral("ROLLBACK"));
        QCOMPARE(scalar(*first, QStringLiteral("SELECT v FROM t WHERE k = ?"), {1}).toInt(), 1);
    }

    void aDeadlockIsRetryable_data() { testdb::addBackendRows(); }
    void aDeadlockIsRetryable()
    {
        QFETCH(QString, backend);
        if (backend != QLatin1String("postgresql")) QSKIP("SQLite's writers wait for the file lock and cannot deadlock");
        const Database db = fresh(backend);
        auto first = db.open();
        auto second = db.open();
        first->execute(QStringLiteral("CREATE TABLE t (k INTEGER PRIMARY KEY, v INTEGER); INSERT INTO t VALUES (1, 0), (2, 0)"));
        const QString update = QStringLiteral("UPDATE t SET v = v + 1 WHERE k = ?");
        first->execute(QStringLiteral("BEGIN"));
        second->execute(QStringLiteral("BEGIN"));
        first->prepare(update)->exec({1});
        second->prepare(update)->exec({2});
        // Each now wants the other's row; the server breaks the cycle by failing one of them.
        std::optional<Error> firstFailure;
        std::thread waiting([&] {
            try {
                first->prepare(update)->exec({2});
            } catch (const Error& e) {
                firstFailure = e;
            }
        });
        std::optional<Error> secondFailure;
        try {
            second->prepare(update)->exec({1});
        } catch (const Error& e) {
            secondFailure = e;
        }
        waiting.join();
        QVERIFY2(firstFailure.has_value() != secondFailure.has_value(), "exactly one of the two must fail");
        const Error& e = firstFailure ? *firstFailure : *secondFailure;
        QCOMPARE(e.kind(), ErrorKind::Deadlock);
        QCOMPARE(e.code(), QStringLiteral("40P01"));
        QVERIFY(e.retryable());
    }

    void aSessionWhoseBackendWasKilledOpensAgain_data() { testdb::addBackendRows(); }
    void aSessionWhoseBackendWasKilledOpensAgain()
    {
        QFETCH(QString, backend);
        if (backend != QLatin1String("postgresql")) QSKIP("an embedded database has no server to lose");
        const Database db = fresh(backend);
        auto s = db.open();
        auto killer = db.open();
        auto statement = s->prepare(QStringLiteral("SELECT ? + 1"));
        const QVariant pid = scalar(*s, QStringLiteral("SELECT pg_backend_pid()"));
        QVERIFY(scalar(*killer, QStringLiteral("SELECT pg_terminate_backend(?, 5000)"), {pid}).toBool());
        try {
            statement->exec({1});
            QFAIL("a killed session ran a statement");
        } catch (const Error& e) {
            QCOMPARE(e.kind(), ErrorKind::ConnectionLost);
        }
        QString why;
        QVERIFY(!s->alive(&why));
        QVERIFY(!why.isEmpty());
        statement.reset(); // dropped quietly: its backend took it along
        s->reopen();
        QVERIFY2(s->alive(&why), qPrintable(why));
        QVERIFY(scalar(*s, QStringLiteral("SELECT pg_backend_pid()")) != pid);
        QCOMPARE(scalar(*s, QStringLiteral("SELECT ? + 1"), {41}).toInt(), 42);
    }

    void namesAreQuotedAndTablesListed_data() { testdb::addBackendRows(); }
    void namesAreQuotedAndTablesListed()
    {
        QFETCH(QString, backend);
        const Database db = fresh(backend);
        auto s = db.open();
        const QString name = QStringLiteral("收费 \"明细\"");
        s->execute(QStringLiteral("CREATE TABLE %1 (%2 INTEGER)").arg(s->quoteIdentifier(name), s->quoteIdentifier(u"金额"_s)));
        s->execute(QStringLiteral("CREATE TABLE plain (k INTEGER)"));
        QStringList tables = s->tables();
        tables.sort();
        QCOMPARE(tables, (QStringList{QStringLiteral("plain"), name}));
        auto st = s->prepare(QStringLiteral("INSERT INTO %1 VALUES (?)").arg(s->quoteIdentifier(name)));
        st->exec({7});
        QCOMPARE(scalar(*s, QStringLiteral("SELECT %1 FROM %2").arg(s->quoteIdentifier(u"金额"_s), s->quoteIdentifier(name))).toInt(), 7);
    }
};

QTEST_GUILESS_MAIN(TestDriver)
#include "tst_driver.moc"
