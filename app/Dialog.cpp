#include "app/Dialog.h"
#include "app/Automation.h"
#include "app/ControlNames.h"
#include "app/DialogKeys.h"
#include "app/FieldBehaviour.h"
#include "app/LastError.h"
#include "db/Error.h"
#include <QApplication>
#include <QEventLoop>
#include <QHideEvent>
#include <QKeyEvent>
#include <QAbstractButton>
#include <QLocale>
#include <QTimer>
#include <QWindow>
#include <vector>

namespace app {

namespace {
std::vector<Dialog*> running;
Dialog::ShownHook shownHook;
Dialog::ShownHook openedHook;
Dialog* opening = nullptr;
} // namespace

Dialog::Dialog(int resourceNumber, const QString& title, QWidget* parent)
    : QDialog(parent), resourceNumber_(resourceNumber)
{
    setWindowTitle(title);
    setModal(true);
    // The clinic works in Chinese whatever the machine's locale: date pickers, calendars and
    // number fields of every dialog (and the message boxes over them) follow this.
    setLocale(QLocale(QLocale::Chinese, QLocale::China));
}

Dialog::~Dialog() = default;

db::Connection& Dialog::connection() const
{
    if (!connection_) throw db::Error(QStringLiteral("the dialog has no database connection"));
    return *connection_;
}

bool Dialog::guarded(const std::function<void()>& fn)
{
    try {
        fn();
        return true;
    } catch (const std::exception& e) {
        setLastError(QString::fromUtf8(e.what()));
    } catch (...) {
        setLastError(QStringLiteral("unknown error"));
    }
    return false;
}

int Dialog::runModal()
{
    endedEarly_ = false;
    ending_ = 0;
    Dialog* const outer = opening;
    opening = this;
    guarded([this] { initDialog(); });
    opening = outer;
    if (openedHook) openedHook(*this);
    nameControlsByLabels(this);
    applyFieldBehaviour(this);
    hasMainButton_ = chooseMainButton(this) != nullptr;
    Automation* automation = Automation::active();
    if (automation) automation->dialogOpened(*this);
    if (endedEarly_) {
        if (automation) automation->dialogClosed(*this, ending_);
        return ending_;
    }

    // The host's window (or the dialog below) is the parent a window manager should see.
    QWidget* owner = topmost() ? static_cast<QWidget*>(topmost()) : QApplication::activeWindow();
    if (owner && owner != this && !parentWidget()) {
        winId();
        if (QWindow* w = windowHandle()) w->setTransientParent(owner->window()->windowHandle());
    }

    running.push_back(this);
    running_ = true;
    setAttribute(Qt::WA_ShowModal, true);
    setResult(0);
    show();
    QTimer::singleShot(0, this, [this] { shown(); });
    // Our own loop rather than QDialog::exec(): an error escaping a handler is caught here,
    // recorded, and the dialog goes on, as the module's protected blocks do.
    QEventLoop loop;
    loop_ = &loop;
    while (running_) {
        try {
            loop.exec(QEventLoop::DialogExec);
        } catch (const std::exception& e) {
            setLastError(QString::fromUtf8(e.what()));
        } catch (...) {
            setLastError(QStringLiteral("unknown error"));
        }
    }
    loop_ = nullptr;
    const int result = ending_;
    std::erase(running, this);
    setAttribute(Qt::WA_ShowModal, false);
    if (automation && Automation::active() == automation) automation->dialogClosed(*this, result);
    return result;
}

void Dialog::shown()
{
    if (!running_) return;
    if (!hasMainButton_) dropStrayDefault(this);
    if (shownHook) shownHook(*this);
    if (running_)
        if (Automation* a = Automation::active()) a->drive(*this);
}

void Dialog::endDialog(int ending)
{
    ending_ = ending;
    if (!running_) {
        endedEarly_ = true;
        return;
    }
    running_ = false;
    done(ending);
    if (loop_) loop_->exit();
}

void Dialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        if (QAbstractButton* b = closingButton(this)) {
            if (b->isEnabled()) b->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void Dialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Hidden by other means than endDialog() (and not for its preview): the run is over, with no
    // ending of its own.
    if (running_ && !steppedAside_ && !event->spontaneous()) endDialog(0);
}

Dialog* Dialog::topmost() { return running.empty() ? nullptr : running.back(); }
Dialog* Dialog::speaking() { return opening ? opening : topmost(); }

QString Dialog::printPromptText()
{
    return QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!");
}

bool Dialog::printPrompt() { return Prompter::current().ask(printPromptText(), Prompter::Buttons::YesNo); }

void Dialog::setShownHook(ShownHook hook) { shownHook = std::move(hook); }
void Dialog::setOpenedHook(ShownHook hook) { openedHook = std::move(hook); }

QString Dialog::endingName(int ending)
{
    if (ending == IDOK) return QStringLiteral("IDOK");
    if (ending == IDCANCEL) return QStringLiteral("IDCANCEL");
    return QString::number(ending);
}

} // namespace app
