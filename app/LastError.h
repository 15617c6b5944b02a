#pragma once
#include <QString>

// The text of the last failure of a call, for the host's CalvaneLastError(). Errors caught at a
// dialog's boundary land here instead of being shown (a dialog shows only its own messages).
namespace app {
void setLastError(const QString& text);
void clearLastError();
const char* lastErrorText();
} // namespace app
