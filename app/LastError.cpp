#include "app/LastError.h"
#include "common/Prompter.h"
#include "db/Error.h"
#include <string>

namespace {
thread_local std::string lastError;
}

namespace app {
void setLastError(const QString& text) { lastError = text.toStdString(); }
void setLastError(const char* name, const QString& reason)
{
    if (!reason.isEmpty()) setLastError(QStringLiteral("%1: %2").arg(QLatin1String(name), reason));
}
void clearLastError() { lastError.clear(); }
void refuseCall(const char* name, const QString& message)
{
    setLastError(name, message);
    Prompter::current().inform(message);
}
bool passesBeforeDialog(const char* name, const std::function<QString()>& check)
{
    QString refusal;
    try {
        refusal = check();
    } catch (const db::Error& e) {
        refuseCall(name, QStringLiteral("发生错误!"));
        setLastError(name, e.message());
        return false;
    }
    if (refusal.isEmpty()) return true;
    refuseCall(name, refusal);
    return false;
}
const char* lastErrorText() { return lastError.c_str(); }
} // namespace app
