#include "tools/desk/Link.h"
#include "db/Query.h"

namespace desk {

Link::Link(const QString& url) : url_(url)
{
    lookups_ = db::Connection::open(url);
    if (CalvaneConnect(url.toUtf8().constData(), &host_) != 0) throw db::Error(QString::fromUtf8(CalvaneLastError()));
}

Link::~Link() { CalvaneDisconnect(host_); }

bool Link::alive(QString* reason)
{
    try {
        db::scalar(*lookups_, QStringLiteral("SELECT 1"));
    } catch (const db::Error& e) {
        if (reason) *reason = e.message();
        return false;
    }
    // The host's connection is opaque; the balance of no account is the cheapest question
    // through the C API, and a failed read shows in CalvaneLastError.
    double balance = 0;
    GetPrePayTotalMoney(host_, 0, &balance);
    const QString failure = QString::fromUtf8(CalvaneLastError());
    if (!failure.isEmpty()) {
        if (reason) *reason = failure;
        return false;
    }
    return true;
}

bool Link::reconnect(QString* reason)
{
    db::ConnectionPtr lookups;
    try {
        lookups = db::Connection::open(url_);
    } catch (const db::Error& e) {
        if (reason) *reason = e.message();
        return false;
    }
    CalvaneConnection* host = nullptr;
    if (CalvaneConnect(url_.toUtf8().constData(), &host) != 0) {
        if (reason) *reason = QString::fromUtf8(CalvaneLastError());
        return false;
    }
    CalvaneDisconnect(host_);
    host_ = host;
    lookups_ = lookups;
    return true;
}

} // namespace desk
