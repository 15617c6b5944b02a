#include "app/HostConnection.h"
#include "app/Automation.h"
#include "app/LastError.h"
#include "calvane/calvane.h"
#include <QFile>
#include <string>

namespace {
thread_local std::string scriptError;
}

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

const char* CalvaneLastError(void) { return app::lastErrorText(); }

int32_t CalvaneSetUiScript(const char* path)
{
    app::clearLastError();
    const QString p = QString::fromUtf8(path ? path : "");
    if (!p.isEmpty()) {
        auto check = app::Automation::fromFile(p);
        if (check->failed()) {
            app::setLastError(check->error());
            return 1;
        }
    }
    app::Automation::setConfiguredScript(p);
    return 0;
}

const char* CalvaneUiScriptError(void)
{
    scriptError = app::Automation::lastRunError().toStdString();
    return scriptError.c_str();
}

} // extern "C"
