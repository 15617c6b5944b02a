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

// One call of an export, around its dialog. While it lives: the module's application (the
// host's QApplication, or one of our own when the host has none), quitting on the last closed
// window turned off, the prompter (message boxes for people, or the automation script) and the
// print redirect. Everything is put back when it ends, however the export returns.
class ModuleCall {
public:
    ModuleCall(const char* exportName, CalvaneConnection* connection, bool needsConnection = true);
    ~ModuleCall();
    ModuleCall(const ModuleCall&) = delete;
    ModuleCall& operator=(const ModuleCall&) = delete;

    // False when no dialog can be shown (no display, no connection, …); the reason is recorded.
    bool ready() const { return ready_; }
    // Gives the dialog its own counted reference to the host's connection.
    void attach(Dialog& dialog) const;
    // Runs the dialog modally and returns its ending.
    int run(Dialog& dialog);

private:
    void refuse(const QString& reason);

    QString name_;
    CalvaneConnection* connection_;
    bool ready_ = false;
    std::unique_ptr<QApplication> ownApplication_;
    bool quitOnLastWindowClosed_ = true;
    MessageBoxPrompter messageBoxes_;
    std::optional<Prompter::Scope> prompter_;
    std::unique_ptr<Automation> automation_;
    std::unique_ptr<class AutomationScopeHolder> automationScope_;
};

// Runs an export's body on a ModuleCall: when no dialog can be shown the export changes nothing
// and returns 0; an error escaping the body is recorded and returns 0.
template <class Body>
int32_t runExport(const char* name, CalvaneConnection* connection, Body&& body, bool needsConnection = true)
{
    clearLastError();
    try {
        ModuleCall call(name, connection, needsConnection);
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

} // namespace app
