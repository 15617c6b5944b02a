#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QList>
#include <QVariant>
#include <initializer_list>
#include <memory>
#include <optional>

namespace db {

// One SQL statement with positional "?" placeholders. Every value goes in through bind():
// nothing a user, a host or the database gave us is ever pasted into the text.
// Reading follows the clinic's rules: NULL numbers read 0, NULL texts read "".
class Query {
public:
    Query(Connection& connection, const QString& sql);
    Query(Connection& connection, const QString& sql, std::initializer_list<QVariant> values);
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(const QVariant& value);
    Query& bindAll(const QVariantList& values);
    // Runs the statement; throws db::Error with the driver's message. A statement that writes
    // is run to its end before this returns (rows it returns are kept for next()): SQLite
    // reports some failures, a full disk at an autocommit's commit above all, only when the
    // statement finishes, and such a failure must not pass for success.
    Query& exec();
    // Runs the statement inside the open transaction without waiting for its answer where the
    // database allows (PostgreSQL: it goes out with the next statement that needs an answer, in
    // the same round trip). Whatever failed, the statement's own failure or one before it in
    // the same round trip, is thrown at the first look at its result (next(), rowsAffected(),
    // a value, a column); the database runs the statements in the order they were sent. A
    // failure nobody looked at still fails the transaction's COMMIT, which throws. Saves send
    // the statements that do not depend on each other first, then judge their answers in order.
    Query& send();

    bool next();
    bool isNull(const QString& column) const;
    QVariant value(const QString& column) const; // column names match ignoring case
    QVariant value(int index) const;
    double number(const QString& column) const;
    qint64 integer(const QString& column) const;
    QString text(const QString& column) const;
    QDateTime dateTime(const QString& column) const;
    double number(int index) const;
    qint64 integer(int index) const;
    QString text(int index) const;
    int rowsAffected() const;
    // The result's columns, known once exec() has run.
    int columnCount() const;
    QString columnName(int index) const;

private:
    int indexOf(const QString& column) const;
    void finish() const;
    // A statement sent ahead: its answer, or its failure thrown.
    void awaitAnswer() const;
    void refuseUnstorableValues() const;
    void refuseIfUnstorable(double number, const QVariant& value);
    template <class Step> auto failingNoted(Step&& step) const;

    Connection& connection_;
    QString sql_;
    std::unique_ptr<PreparedStatement> prepared_;
    QVariantList& values_; // the prepared statement's, bound for this run
    QString refused_; // why the first unstorable value bound cannot be stored
    QString badDate_; // a bound date no column can hold
    bool ran_ = false;
    mutable bool sentAhead_ = false;  // sent, and its answer not looked at yet
    std::optional<Error> failure_;    // what send() met, thrown at the first look
    // A write's rows, read to the end by exec().
    mutable bool buffered_ = false;
    mutable QList<QVariantList> rows_;
    qsizetype row_ = -1;
};

// Whether a statement may change the database (anything but a plain read).
bool isWrite(const QString& sql);

// Value conversions shared by every reader, with the NULL rules.
double toNumber(const QVariant& v);
qint64 toInteger(const QVariant& v);
QString toText(const QVariant& v);
QDateTime toDateTime(const QVariant& v);
// How a date-time is stored: "YYYY-MM-DD HH:MM:SS" sorts and compares correctly as text in
// SQLite and is read as a timestamp by PostgreSQL.
QString dateTimeText(const QDateTime& t);

// Shorthands for one-off statements.
int execute(Connection& c, const QString& sql, const QVariantList& values = {});
QVariant scalar(Connection& c, const QString& sql, const QVariantList& values = {});

} // namespace db
