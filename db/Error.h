#pragma once
#include <QString>
#include <stdexcept>

namespace db {

// A failed statement or connection. what() carries the driver's own message, so a caller that
// shows or logs it tells the clinic's IT person what the database said.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

} // namespace db
