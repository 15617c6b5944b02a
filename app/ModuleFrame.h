#pragma once
#include "app/HostConnection.h"
#include "app/LastError.h"
#include "app/MessageBoxPrompter.h"
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>

class QApplication;
class QTranslator;

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
// host's QApplication, or the module's own when the host has none), quitting on the last
// closed window turned off, Qt's Chinese texts, the prompter (message boxes for people, or the
// automation script) and the print redirect. What it changed in a host's application is put
// back when it ends, however the export returns.
//
// The module's own application is made once, when something is first shown, and kept until
// the library is unloaded: making one costs more than most calls (a display connection,
// fonts). It belongs to the thread that made it; calls from other threads are refused.
// Exports that show nothing make none, and those that may show a message make one only when
// a message is shown.
//
// The host's connection is checked before the call: a server that went away is reconnected
// once; when that fails the call changes nothing and says why.
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
    // Makes sure windows can be shown on this thread (making the module's application when
    // the host has none); otherwise returns why not.
    QString openApplication();
    // Opens windows for this call (once); false when none can be shown.
    bool openWindows();
    // Tells a person (or the script) why a dialog call could not run.
    void tellRefusal(const QString& text);
    friend class DeferredMessageBoxes;

    QString name_;
    CalvaneConnection* connection_;
    bool ready_ = false;
    bool windows_ = false;
    bool hostApplication_ = false;
    bool quitOnLastWindowClosed_ = true;
    std::unique_ptr<class QTranslator> hostTranslator_;
    MessageBoxPrompter messageBoxes_;
    std::unique_ptr<Prompter> deferred_;
    std::optional<Prompter::Scope> prompter_;
    std::unique_ptr<Automation> automation_;
    std::unique_ptr<class AutomationScopeHolder> automationScope_;
};

// How an export is run: whether it needs the host's connection, what it shows, and what it
// returns when it cannot run or fails. That answer must never read as the user's success:
// most exports answer 0 (nothing to print, nothing done); those whose 0 means "confirmed"
// answer 1, as for a cancel.
struct ExportRun {
    bool needsConnection = true;
    Ui ui = Ui::Dialogs;
    int32_t refused = 0;
};

// Runs an export's body on a ModuleCall: when the call cannot run (see ModuleCall::ready()) or
// an error escapes the body, the reason is recorded and the export returns run.refused. Bodies
// read every host value before they change anything, so a refused value changes nothing.
template <class Body>
int32_t runExport(const char* name, CalvaneConnection* connection, Body&& body, ExportRun run = {})
{
    clearLastError();
    try {
        ModuleCall call(name, connection, run.needsConnection, run.ui);
        if (!call.ready()) return run.refused;
        return body(call);
    } catch (const std::exception& e) {
        setLastError(name, QString::fromUtf8(e.what()));
    } catch (...) {
        setLastError(name, QStringLiteral("unknown error"));
    }
    return run.refused;
}

// A data export: no dialog of its own, one engine call on the host's connection. Engine calls
// that read what they can and count the rest as nothing still say why; that reason is the
// host's to read (CalvaneLastError) under the export's name, whatever the export returns.
template <class Body>
int32_t runDataExport(const char* name, CalvaneConnection* connection, Body&& body,
                      ExportRun run = {.ui = Ui::None})
{
    return runExport(
        name, connection,
        [&](ModuleCall&) -> int32_t {
            QString failure;
            const int32_t result = body(*connection->connection, failure);
            setLastError(name, failure);
            return result;
        },
        run);
}

// Host values in and out: NULL pointers read as 0 (texts as "") and are never written. A text
// that is not valid UTF-8 (a host still sending GBK, say) or a date that is no date is refused
// with an InvalidParameter rather than guessed at: a mangled name would be saved on a receipt.
struct InvalidParameter : std::runtime_error {
    using std::runtime_error::runtime_error;
};
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
