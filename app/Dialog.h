#pragma once
#include "common/Prompter.h"
#include "db/Connection.h"
#include <QDialog>
#include <functional>

class QEventLoop;
class QHideEvent;
class QKeyEvent;

namespace app {

// How a dialog ended. Any other number is an ending of the dialog's own (-1: it could not run).
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// The base of every dialog of the module. A dialog:
//  - is built with its resource number and title, then gets the host's connection (its own
//    counted reference, released when the dialog is destroyed) and its inputs;
//  - reads what it needs in initDialog(), runs modally with runModal() and ends with
//    endDialog(IDOK / IDCANCEL / other); accept() and reject() end with IDOK and IDCANCEL,
//    closing the window or Escape is IDCANCEL;
//  - shows messages only through inform()/ask() (the call's Prompter), and wraps database work
//    of its handlers in guarded(), which records the error instead of letting it escape.
// Controls are found by automation through their accessible names (see ControlNames.h);
// runModal() names them from their labels before the dialog shows.
class Dialog : public QDialog {
    Q_OBJECT
public:
    Dialog(int resourceNumber, const QString& title, QWidget* parent = nullptr);
    ~Dialog() override;

    int resourceNumber() const { return resourceNumber_; }

    void setConnection(db::ConnectionPtr connection) { connection_ = std::move(connection); }
    const db::ConnectionPtr& connectionPtr() const { return connection_; }
    // The dialog's connection; throws db::Error when it has none.
    db::Connection& connection() const;

    // Runs the dialog modally and returns its ending.
    int runModal();
    // Ends the dialog with that ending (EndDialog); before the dialog shows, it will not show.
    void endDialog(int ending);
    bool isRunning() const { return running_; }
    // While a window stands in for the dialog (its print preview), the dialog is hidden without
    // its run ending; the window shows it again and then clears this.
    void setSteppedAside(bool aside) { steppedAside_ = aside; }

    void accept() override { endDialog(IDOK); }
    void reject() override { endDialog(IDCANCEL); }

    // The running dialog on top (the innermost modal one), or nullptr.
    static Dialog* topmost();
    // The dialog whose messages are being shown: the one reading what it needs before it
    // shows (initDialog()), else the one on top.
    static Dialog* speaking();

    // The question of the exports after a confirmed checkout: true when the answer is 是.
    static bool printPrompt();
    static QString printPromptText();

    // Tests: called with every dialog once it shows (before automation drives it).
    using ShownHook = std::function<void(Dialog&)>;
    static void setShownHook(ShownHook hook);
    // Tests: called with every dialog once it has read what it needs (initDialog()), also with
    // one that ends before it shows.
    static void setOpenedHook(ShownHook hook);

    static QString endingName(int ending);

protected:
    // OnInitDialog: read the database and fill the controls. Errors are caught and recorded.
    virtual void initDialog() {}

    void inform(const QString& text) { Prompter::current().inform(text); }
    bool ask(const QString& text, Prompter::Buttons buttons = Prompter::Buttons::YesNo)
    {
        return Prompter::current().ask(text, buttons);
    }
    // Runs fn; any error ends it and is recorded as the call's last error. False on error.
    static bool guarded(const std::function<void()>& fn);

    void hideEvent(QHideEvent* event) override;
    // Esc does what the dialog's 关闭 or 取消 button does (see DialogKeys.h).
    void keyPressEvent(QKeyEvent* event) override;

private:
    void shown();

    int resourceNumber_;
    db::ConnectionPtr connection_;
    bool running_ = false;
    bool endedEarly_ = false;
    bool steppedAside_ = false;
    bool hasMainButton_ = false;
    int ending_ = 0;
    QEventLoop* loop_ = nullptr;
};

} // namespace app
