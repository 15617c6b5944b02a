#pragma once
#include "common/Prompter.h"
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <memory>
#include <optional>

namespace app {

class Dialog;

// Drives the module's dialogs from a JSON script instead of a person:
//   {"transcript": PATH, "print_to": PDF_PATH, "steps": [STEP, …]}
// with the steps "dialog", "set"/"to", "choose"/"item", "click", "reply", "row"/"index",
// "tree"/"path"/"double", "key"/"press" and "close". Steps act on the dialog on top, finding
// controls by label (ControlDriver.h). Information boxes need no step; a question takes the next
// step, which must be a reply. With no steps left a question gets its negative answer and open
// dialogs end as cancelled. A step that cannot be done stops the script (error()) and cancels
// the open dialogs. The transcript (JSON lines, appended) records every dialog opened and
// closed and every message box.
//
// While a Scope lives, the automation is the call's Prompter, print requests go to print_to,
// and every Dialog::runModal() is driven by it.
class Automation : public Prompter {
public:
    static std::unique_ptr<Automation> fromFile(const QString& path);
    static std::unique_ptr<Automation> fromJson(const QByteArray& json, const QString& origin = QString());
    ~Automation() override;

    // The script set for the module's calls (the C API's script, else $CALVANE_UI_SCRIPT), or "".
    static QString configuredScript();
    static void setConfiguredScript(const QString& path);
    // The refusal that stopped the script of the last finished run ("" when it ran through).
    static QString lastRunError();
    // Set when the script of the last finished run ran out of steps while a dialog was still
    // open (it was cancelled) or a question was still to be answered (it got its negative
    // answer): a script that ends too early passes for one that meant to cancel.
    static QString lastRunNotice();
    // Whether the script of the last finished run stopped only after a dialog had ended with
    // OK (its work saved): the call did its work, and only the script did not run as written.
    static bool lastRunStoppedAfterWork();
    static void clearLastRunError();

    static Automation* active();

    class Scope {
    public:
        explicit Scope(Automation& automation);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Automation* previous_;
        Prompter::Scope prompter_;
        QString previousPrintTo_;
    };

    bool failed() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }
    const QString& printTo() const { return printTo_; }
    // Stops the script before it ran (the call could not show its dialog).
    void stop(const QString& reason);
    // Ends the run: a step never reached is an error too. Records lastRunError().
    void finish();

    // Called by Dialog.
    void dialogOpened(Dialog& dialog);
    void dialogClosed(Dialog& dialog, int ending);
    void drive(Dialog& dialog);

    void inform(const QString& text) override;
    bool ask(const QString& text, Buttons buttons) override;

private:
    Automation() = default;
    void load(const QByteArray& json, const QString& origin);
    void fail(int index, const QString& reason);
    void perform(Dialog& dialog, const QJsonObject& step);
    void write(const QJsonObject& line);
    QString describe(int index) const;

    QJsonArray steps_;
    int next_ = 0;
    QString transcript_;
    QString printTo_;
    QString error_;
    QString ranOut_;
    bool finished_ = false;
    bool accepted_ = false;         // a dialog has ended with OK
    bool stoppedAfterWork_ = false; // the script stopped after that

};

} // namespace app
