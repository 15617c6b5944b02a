#include "app/LastError.h"
#include <string>

namespace {
thread_local std::string lastError;
}

namespace app {
void setLastError(const QString& text) { lastError = text.toStdString(); }
void clearLastError() { lastError.clear(); }
const char* lastErrorText() { return lastError.c_str(); }
} // namespace app
