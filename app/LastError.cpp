#include "app/LastError.h"
#include "common/Prompter.h"
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
const char* lastErrorText() { return lastError.c_str(); }
} // namespace app
