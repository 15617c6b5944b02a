#include "app/ModuleFrame.h"
#include "app/Automation.h"
#include "app/Dialog.h"
#include "common/OleDate.h"
#include <QApplication>
#include <QThread>

namespace app {

namespace {

// QApplication keeps references to argc and argv, and takes the options it knows out of argv:
// they live as long as the library and are laid out afresh for each application.
char programName[] = "calvane";
char platformOption[] = "-platform";
char offscreen[] = "offscreen";
int argc = 0;
char* argv[4] = {};

int& arguments(bool scripted)
{
    argv[0] = programName;
    argv[1] = scripted ? platformOption : nullptr;
    argv[2] = scripted ? offscreen : nullptr;
    argv[3] = nullptr;
    argc = scripted ? 3 : 1;
    return argc;
}

bool displayConfigured()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

class AutomationScopeHolder {
public:
    explicit AutomationScopeHolder(Automation& a) : scope(a) {}
    Automation::Scope scope;
};

ModuleCall::ModuleCall(const char* exportName, CalvaneConnection* connection, bool needsConnection)
    : name_(QString::fromLatin1(exportName)), connection_(connection)
{
    Automation::clearLastRunError();
    const QString script = Automation::configuredScript();
    if (!script.isEmpty()) automation_ = Automation::fromFile(script);

    if (needsConnection && (!connection || !connection->connection)) {
        refuse(QStringLiteral("no database connection"));
        return;
    }
    QCoreApplication* existing = QCoreApplication::instance();
    if (existing) {
        if (!qobject_cast<QApplication*>(existing)) {
            refuse(QStringLiteral("the host's application object cannot show windows (not a QApplication)"));
            return;
        }
        if (QThread::currentThread() != existing->thread()) {
            refuse(QStringLiteral("called outside the host's user-interface thread"));
            return;
        }
    } else if (automation_ && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // Nobody watches a scripted run: it needs no display.
        ownApplication_ = std::make_unique<QApplication>(arguments(true), argv);
    } else if (!displayConfigured()) {
        refuse(QStringLiteral("no display: set DISPLAY (or QT_QPA_PLATFORM=offscreen for scripted runs)"));
        return;
    } else {
        ownApplication_ = std::make_unique<QApplication>(arguments(false), argv);
    }
    quitOnLastWindowClosed_ = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (automation_) automationScope_ = std::make_unique<AutomationScopeHolder>(*automation_);
    else prompter_.emplace(&messageBoxes_);
    ready_ = true;
}

ModuleCall::~ModuleCall()
{
    if (automation_) automation_->finish();
    automationScope_.reset();
    prompter_.reset();
    if (ready_) QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
    ownApplication_.reset();
}

void ModuleCall::refuse(const QString& reason)
{
    setLastError(QStringLiteral("%1: %2").arg(name_, reason));
    if (automation_) automation_->stop(QString::fromUtf8(lastErrorText()));
}

void ModuleCall::attach(Dialog& dialog) const
{
    if (connection_) dialog.setConnection(connection_->connection);
}

int ModuleCall::run(Dialog& dialog) { return dialog.runModal(); }

QString text(const char* utf8) { return utf8 ? QString::fromUtf8(utf8) : QString(); }
QDateTime date(double oleDate) { return oledate::toDateTime(oleDate); }

} // namespace app
