#pragma once
#include "app/HostConnection.h"
#include "app/LastError.h"
#include "app/MessageBoxPrompter.h"
#include <cstdint>
#include <memory>
#include <optional>

class QApplication;

namespace app {

class Automation;
class Dialog;

// What an export shows. A dialog export cannot run without a way to show its dialog. The others
// do database work first: their messages go to message boxes or the script when they can, and
// to the log (Prompter's default) when no window can be shown.
enum class Ui {
    Dialogs,
    Messages,
    None, // no application is made for it
};

// One call of an export, around its dialog. While it lives: the module's application (the
// host's QApplication, or one of our own when the host has none), quitting on the last closed
// window turned off, the prompter (message boxes for people, or the automation script) and the
// print redirect. Everything is put back when it ends, however the export returns.
class ModuleCall {
public:
    ModuleCall(const char* exportName, CalvaneConnection* connection, bool needsConnection = true,
               Ui ui = Ui::Dialogs);
    ~ModuleCall();
    ModuleCall(const ModuleCall&) = delete;
    ModuleCall& operator=(const ModuleCall&) = delete;

    // False when the call cannot run (no connection; for a dialog export no display, …); the
    // reason is recorded.
    bool ready() const { return ready_; }
    // Gives the dialog its own counted reference to the host's connection.
    void attach(Dialog& dialog) const;
    // Runs the dialog modally and returns its ending.
    int run(Dialog& dialog);

private:
    void refuse(const QString& reason);
    // Makes sure windows can be shown on this thread (creating our own application when the
    // host has none); otherwise returns why not.
    QString openApplication();

    QString name_;
    CalvaneConnection* connection_;
    bool ready_ = false;
    bool windows_ = false;
    std::unique_ptr<QApplication> ownApplication_;
    bool quitOnLastWindowClosed_ = true;
    MessageBoxPrompter messageBoxes_;
    std::optional<Prompter::Scope> prompter_;
    std::unique_ptr<Automation> automation_;
    std::unique_ptr<class AutomationScopeHolder> automationScope_;
};

// Runs an export's body on a ModuleCall: when the call cannot run (see ModuleCall::ready()) the
// export changes nothing and returns 0; an error escaping the body is recorded and returns 0.
template <class Body>
int32_t runExport(const char* name, CalvaneConnection* connection, Body&& body, bool needsConnection = true,
                  Ui ui = Ui::Dialogs)
{
    clearLastError();
    try {
        ModuleCall call(name, connection, needsConnection, ui);
        if (!call.ready()) return 0;
        return body(call);
    } catch (const std::exception& e) {
        setLastError(QString::fromUtf8(e.what()));
    } catch (...) {
        setLastError(QStringLiteral("unknown error"));
    }
    return 0;
}

// Host values in and out: NULL pointers read as 0 and are never written.
QString text(const char* utf8);
QDateTime date(double oleDate);
inline int32_t read(const int32_t* p) { return p ? *p : 0; }
inline void write(int32_t* p, int32_t value)
{
    if (p) *p = value;
}
inline void write(double* p, double value)
{
    if (p) *p = value;
}

} // namespace app
