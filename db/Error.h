#pragma once
#include <QString>
#include <stdexcept>

namespace db {

// What kind of failure a statement met, as far as a caller needs to act on it: a settlement may
// run again after a serialization failure or a deadlock (the database undid it whole), never
// after a broken constraint.
enum class ErrorKind {
    Other,
    Constraint,    // a unique key, a foreign key, a NOT NULL or CHECK refused the row
    Serialization, // PostgreSQL 40001: another transaction's write came first
    Deadlock,      // PostgreSQL 40P01
    Busy,          // SQLite: the file stayed locked past the busy timeout
    ConnectionLost // the server went away or the file is gone
};

// A failed statement or connection. what() carries the driver's own message, so a caller that
// shows or logs it tells the clinic's IT person what the database said; code() keeps the
// database's own code (PostgreSQL's SQLSTATE, SQLite's extended result code as a number).
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message, ErrorKind kind = ErrorKind::Other, const QString& code = {})
        : std::runtime_error(message.toStdString()), message_(message), kind_(kind), code_(code) {}
    const QString& message() const { return message_; }
    ErrorKind kind() const { return kind_; }
    const QString& code() const { return code_; }
    // The whole transaction was undone by the database and may be run again as it was.
    bool retryable() const { return kind_ == ErrorKind::Serialization || kind_ == ErrorKind::Deadlock; }

private:
    QString message_;
    ErrorKind kind_;
    QString code_;
};

} // namespace db
