#include "app/ModuleFrame.h"
#include "app/Automation.h"
#include "app/Dialog.h"
#include "common/OleDate.h"
#include <QApplication>
#include <QInputDevice>
#include <QLibraryInfo>
#include <QPointingDevice>
#include <QLocale>
#include <QTranslator>
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

int& arguments(bool offscreenPlatform)
{
    argv[0] = programName;
    argv[1] = offscreenPlatform ? platformOption : nullptr;
    argv[2] = offscreenPlatform ? offscreen : nullptr;
    argv[3] = nullptr;
    argc = offscreenPlatform ? 3 : 1;
    return argc;
}

bool displayConfigured()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Qt's own texts in Chinese (standard buttons, the calendar, the print dialogs); an empty
// translator when the translations are not installed.
std::unique_ptr<QTranslator> qtChinese()
{
    auto t = std::make_unique<QTranslator>();
    if (!t->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    return t;
}

// The module's own application, when the host has none: made on first need, released when
// the library is unloaded. Plain pointers: the release is registered only once the first
// application exists, so that it runs before Qt's own globals that the application set up are
// gone.
struct ReleaseAtUnload {
    ~ReleaseAtUnload();
};

struct OwnApplication {
    QApplication* application = nullptr;
    QTranslator* translator = nullptr;
    bool offscreen = false;

    void release()
    {
        if (translator) QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
        delete application;
        application = nullptr;
    }
    void make(bool offscreenPlatform)
    {
        release();
        application = new QApplication(arguments(offscreenPlatform), argv);
        offscreen = offscreenPlatform;
        QGuiApplication::setQuitOnLastWindowClosed(false);
        translator = qtChinese().release();
        if (translator) QCoreApplication::installTranslator(translator);
        // Qt makes its input devices (and the global list of them) on first use; made now, they
        // are older than the release below and still there when it deletes the application.
        QPointingDevice::primaryPointingDevice();
        QInputDevice::primaryKeyboard();
        static ReleaseAtUnload atUnload;
    }
};

constinit OwnApplication own;

ReleaseAtUnload::~ReleaseAtUnload() { own.release(); }

} // namespace

// Messages of an export without a dialog: a box only when one is shown, so that a call that
// shows nothing never pays for an application; the log when no window can be shown.
class DeferredMessageBoxes : public Prompter {
public:
    explicit DeferredMessageBoxes(ModuleCall& call) : call_(call) {}
    void inform(const QString& text) override
    {
        if (call_.openWindows()) call_.messageBoxes_.inform(text);
        else {
            Prompter::Scope log(nullptr);
            Prompter::current().inform(text);
        }
    }
    bool ask(const QString& text, Buttons buttons) override
    {
        if (call_.openWindows()) return call_.messageBoxes_.ask(text, buttons);
        Prompter::Scope log(nullptr);
        return Prompter::current().ask(text, buttons);
    }

private:
    ModuleCall& call_;
};

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
    if (connection && connection->connection) {
        QString lost;
        // An export that checks the connection itself goes on and fails in its own way.
        if (!connection->connection->ensureAlive(&lost) && needsConnection) {
            if (ui == Ui::Dialogs) tellRefusal(QStringLiteral("数据库连接已断开，无法重新连接：\n%1").arg(lost));
            refuse(lost);
            return;
        }
    }
    if (ui == Ui::Dialogs && !openWindows()) {
        refuse(openApplication());
        return;
    }
    if (automation_) automationScope_ = std::make_unique<AutomationScopeHolder>(*automation_);
    else if (windows_) prompter_.emplace(&messageBoxes_);
    else if (ui == Ui::Messages) {
        deferred_ = std::make_unique<DeferredMessageBoxes>(*this);
        prompter_.emplace(deferred_.get());
    }
    ready_ = true;
}

QString ModuleCall::openApplication()
{
    QCoreApplication* existing = QCoreApplication::instance();
    const bool ours = existing && existing == own.application;
    // A scripted run that nobody watches needs no display; a person needs one.
    const bool headless = automation_ && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
    if (existing && !ours) {
        if (!qobject_cast<QApplication*>(existing))
            return QStringLiteral("the host's application object cannot show windows (not a QApplication)");
        if (QThread::currentThread() != existing->thread())
            return QStringLiteral("called outside the host's user-interface thread");
        return QString();
    }
    if (ours && QThread::currentThread() != existing->thread())
        return QStringLiteral("called outside the thread that first showed the module's windows");
    if (ours && (headless || !own.offscreen)) return QString();
    // None yet, or one made offscreen for scripts while a person now needs to see the dialog:
    // no window of the module lives between calls, so it can be made again for the display.
    if (!headless && !displayConfigured())
        return QStringLiteral("no display: set DISPLAY (or QT_QPA_PLATFORM=offscreen for scripted runs)");
    own.make(headless);
    return QString();
}

bool ModuleCall::openWindows()
{
    if (windows_) return true;
    if (!openApplication().isEmpty()) return false;
    windows_ = true;
    hostApplication_ = QCoreApplication::instance() != own.application;
    if (hostApplication_) {
        quitOnLastWindowClosed_ = QGuiApplication::quitOnLastWindowClosed();
        QGuiApplication::setQuitOnLastWindowClosed(false);
        hostTranslator_ = qtChinese();
        if (hostTranslator_) QCoreApplication::installTranslator(hostTranslator_.get());
    }
    return true;
}

void ModuleCall::tellRefusal(const QString& text)
{
    if (automation_) {
        automation_->inform(text);
        return;
    }
    if (openWindows()) messageBoxes_.inform(text);
}

ModuleCall::~ModuleCall()
{
    if (automation_) automation_->finish();
    automationScope_.reset();
    prompter_.reset();
    if (windows_ && hostApplication_) {
        if (hostTranslator_) QCoreApplication::removeTranslator(hostTranslator_.get());
        hostTranslator_.reset();
        QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
    }
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
    return dialog.runModal();
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
