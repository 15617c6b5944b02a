#pragma once
#include "calvane/calvane.h"
#include "db/Connection.h"
#include <QString>

namespace desk {

// The desk's two ways into the clinic database: the connection it hands the module's exports
// (as any host holds one) and its own for the look-ups. A server that went away leaves both
// dead; alive() finds out without opening anything, reconnect() opens both anew.
class Link {
public:
    // Throws db::Error when the database cannot be opened.
    explicit Link(const QString& url);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    CalvaneConnection* host() const { return host_; }
    db::Connection& lookups() const { return *lookups_; }
    // The same connection for a dialog that keeps it while it is open.
    db::ConnectionPtr lookupsShared() const { return lookups_; }
    const QString& url() const { return url_; }
    QString displayUrl() const { return lookups_->displayUrl(); }

    // Asks both connections a trivial question. False with the reason when either fails.
    bool alive(QString* reason = nullptr);
    // Opens both again; false (keeping the old ones) when the server is still away.
    bool reconnect(QString* reason = nullptr);

private:
    QString url_;
    CalvaneConnection* host_ = nullptr;
    db::ConnectionPtr lookups_;
};

} // namespace desk
