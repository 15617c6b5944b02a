#pragma once
#include "db/Error.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <memory>

// The client library under db::Connection: the sqlite3 C API or libpq. Nothing above db/ sees
// this; dialect differences in how a statement is prepared, run and read stay here, so that a
// third backend fits in beside the two.
namespace db::driver {

// One prepared statement, kept by the connection and run again and again.
class Statement {
public:
    virtual ~Statement() = default;
    // Runs with these values, in "?" order. Values arrive in storable form: NULL as an invalid
    // QVariant (db::Query makes a typed null one so), an integer (int, qlonglong), a double, a
    // QString or a QByteArray; dates are already text.
    // Throws db::Error with the database's message, kind and code. After a run that returns
    // rows, next() walks them; after any run, rowsAffected() tells what a write touched.
    virtual void exec(const QVariantList& values) = 0;
    // Like exec(), but the answer may wait: on PostgreSQL the statement goes out with the next
    // one that has to be answered (or with the next text, or the first look at any result), so
    // that statements that do not depend on each other cost one round trip together. Its own
    // failure is thrown by its first look at its result (next(), columnCount(), rowsAffected());
    // a statement that went out after a failed one in the same round trip was not run and throws
    // that failure. The server runs them in the order sent. Where nothing waits, this is exec().
    virtual void send(const QVariantList& values) { exec(values); }
    // The next row; false after the last. A failure met while stepping throws db::Error, and so
    // does a write that fails as it finishes: a statement that writes is stepped to its end.
    virtual bool next() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int index) const = 0;
    // The current row's value: a null QVariant for NULL; otherwise qlonglong, double, QString,
    // QByteArray, and on PostgreSQL by column type bool, int, QDate, QDateTime, QTime too.
    virtual QVariant value(int index) const = 0;
    virtual int rowsAffected() const = 0;
    // Ends the run, dropping the rows not read, so that the statement can run again.
    virtual void reset() = 0;
};

// One open session with the database.
class Session {
public:
    virtual ~Session() = default;
    // Prepares "?"-placeholder SQL once; throws db::Error when the database refuses it.
    virtual std::unique_ptr<Statement> prepare(const QString& sql) = 0;
    // Runs text without values or results: DDL, BEGIN/COMMIT/SAVEPOINT, SET, PRAGMA. Any rows
    // it returns are stepped through and dropped.
    virtual void execute(const QString& sql) = 0;
    // Whether the session still answers (a cheap round trip on PostgreSQL; on SQLite whether the
    // file is still there). Never opens anything.
    virtual bool alive(QString* why) = 0;
    // Opens the session afresh after the server went away. Every Statement from before is dead
    // and must be dropped first. Throws db::Error.
    virtual void reopen() = 0;
    // The user tables, without the database's own.
    virtual QStringList tables() = 0;
    // An identifier quoted for SQL text (only for names db::checkIdentifier accepted).
    virtual QString quoteIdentifier(const QString& name) const = 0;
};

// "sqlite:PATH" path part; the file must exist (":memory:" excepted): nothing is created here.
std::unique_ptr<Session> openSqlite(const QString& path);
// A libpq connection string or URI.
std::unique_ptr<Session> openPostgres(const QString& conninfo);

} // namespace db::driver
