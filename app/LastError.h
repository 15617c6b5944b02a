#pragma once
#include <QString>

// The text of the last failure of a call, for the host's CalvaneLastError(). Errors caught at a
// dialog's boundary land here instead of being shown (a dialog shows only its own messages).
namespace app {
void setLastError(const QString& text);
// "NAME: reason", the form every export reports a failure in; an empty reason records nothing.
void setLastError(const char* name, const QString& reason);
void clearLastError();
// Refuses a call before any dialog opens: the message is shown (through the call's Prompter,
// so a script's transcript has it) and recorded as the call's failure.
void refuseCall(const char* name, const QString& message);
const char* lastErrorText();
} // namespace app
