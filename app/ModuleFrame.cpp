#include "app/ModuleFrame.h"
#include "common/CallFailure.h"
#include "app/Automation.h"
#include "app/Dialog.h"
#include "common/OleDate.h"
#include <QApplication>
#include <QStringDecoder>
#include <QThread>
#include <string>

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

ModuleCall::ModuleCall(const char* exportName, CalvaneConnection* connection, bool needsConnection, Ui ui)
    : name_(QString::fromLatin1(exportName)), connection_(connection)
{
    Automation::clearLastRunError();
    // A call that shows nothing leaves the script alone: it is for the dialogs of other calls.
    const QString script = ui == Ui::None ? QString() : Automation::configuredScript();
    if (!script.isEmpty()) automation_ = Automation::fromFile(script);

    if (needsConnection && (!connection || !connection->connection)) {
        refuse(QStringLiteral("no database connection"));
        return;
    }
    // A script answers messages without any window; only dialogs need one then.
    if (ui == Ui::Dialogs || (ui == Ui::Messages && !automation_)) {
        const QString noWindows = openApplication();
        if (noWindows.isEmpty()) windows_ = true;
        else if (ui == Ui::Dialogs) {
            refuse(noWindows);
            return;
        }
    }
    if (windows_) {
        quitOnLastWindowClosed_ = QGuiApplication::quitOnLastWindowClosed();
        QGuiApplication::setQuitOnLastWindowClosed(false);
    }
    if (automation_) automationScope_ = std::make_unique<AutomationScopeHolder>(*automation_);
    else if (windows_) prompter_.emplace(&messageBoxes_);
    ready_ = true;
}

QString ModuleCall::openApplication()
{
    QCoreApplication* existing = QCoreApplication::instance();
    if (existing) {
        if (!qobject_cast<QApplication*>(existing))
            return QStringLiteral("the host's application object cannot show windows (not a QApplication)");
        if (QThread::currentThread() != existing->thread())
            return QStringLiteral("called outside the host's user-interface thread");
    } else if (automation_ && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // Nobody watches a scripted run: it needs no display.
        ownApplication_ = std::make_unique<QApplication>(arguments(true), argv);
    } else if (!displayConfigured()) {
        return QStringLiteral("no display: set DISPLAY (or QT_QPA_PLATFORM=offscreen for scripted runs)");
    } else {
        ownApplication_ = std::make_unique<QApplication>(arguments(false), argv);
    }
    return QString();
}

ModuleCall::~ModuleCall()
{
    if (automation_) automation_->finish();
    automationScope_.reset();
    prompter_.reset();
    if (windows_) QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
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

int ModuleCall::run(Dialog& dialog)
{
    callfailure::clear();
    const int ending = dialog.runModal();
    // A failure the dialog answered with its own message: the host must not take the dialog's
    // end for a cancel. Once confirmed, a later attempt succeeded and the failure is history.
    if (ending != IDOK) setLastError(name_.toUtf8().constData(), callfailure::last());
    callfailure::clear();
    return ending;
}

// A null QString would be bound as SQL NULL; the host's NULL means "".
QString text(const char* utf8)
{
    if (!utf8 || !*utf8) return QStringLiteral("");
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = decode(QByteArrayView(utf8));
    if (decode.hasError()) {
        const QByteArray head = QByteArray(utf8).left(16);
        throw InvalidParameter(QStringLiteral("a text parameter is not valid UTF-8 (begins %1)")
                              .arg(QString::fromLatin1(head.toHex(' ')))
                              .toStdString());
    }
    return s;
}

QDateTime date(double oleDate)
{
    const QDateTime t = oledate::toDateTime(oleDate);
    if (!t.isValid()) throw InvalidParameter("a date parameter is no date (" + std::to_string(oleDate) + ")");
    return t;
}

} // namespace app
