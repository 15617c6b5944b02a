#include "app/HostConnection.h"
#include "app/Automation.h"
#include "app/LastError.h"
#include "calvane/calvane.h"
#include <QFile>
#include <QFileInfo>
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
    const QString u = QString::fromUtf8(url ? url : "");
    // Opening a SQLite file that is not there would create an empty one, and a mistyped path
    // would then fail later for want of tables; a clinic database is made by `calvane init`.
    if (u.startsWith(QLatin1String("sqlite:"))) {
        QString path = u.mid(7);
        if (path.startsWith(QLatin1String("//"))) path = path.mid(2);
        if (!path.isEmpty() && !QFileInfo(path).isFile()) {
            app::setLastError(QStringLiteral("no database at %1 (create one with: calvane init sqlite:%1)").arg(path));
            return 1;
        }
    }
    try {
        *conn = new CalvaneConnection{db::Connection::open(u)};
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
