#pragma once
#include <QString>
#include <functional>

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
// A check made before a dialog opens: its refusal (empty: none) is said and recorded as by
// refuseCall; a database that cannot answer it is said as "发生错误!" and its own words are
// recorded. True when the call may go on.
bool passesBeforeDialog(const char* name, const std::function<QString()>& check);
const char* lastErrorText();
} // namespace app
