#include "app/HostConnection.h"
#include "calvane/calvane.h"
#include <string>

namespace {
thread_local std::string lastError;
}

namespace app {
void setLastError(const QString& text) { lastError = text.toStdString(); }
void clearLastError() { lastError.clear(); }
} // namespace app

extern "C" {

int32_t CalvaneConnect(const char* url, CalvaneConnection** conn)
{
    app::clearLastError();
    if (!conn) {
        app::setLastError(QStringLiteral("CalvaneConnect: conn must not be NULL"));
        return 1;
    }
    *conn = nullptr;
    try {
        *conn = new CalvaneConnection{db::Connection::open(QString::fromUtf8(url ? url : ""))};
        return 0;
    } catch (const std::exception& e) {
        app::setLastError(QString::fromUtf8(e.what()));
        return 1;
    }
}

void CalvaneDisconnect(CalvaneConnection* conn) { delete conn; }

const char* CalvaneLastError(void) { return lastError.c_str(); }

} // extern "C"
