#include "app/Automation.h"
#include "common/SafeFile.h"
#include "common/Transcript.h"
#include "common/ShortQuote.h"
#include "app/ControlDriver.h"
#include "app/ControlNames.h"
#include "app/Dialog.h"
#include "app/LastError.h"
#include "app/PrintRedirect.h"
#include <QFile>
#include <QJsonDocument>
#include <cmath>

namespace app {

namespace {

Automation* activeAutomation = nullptr;
QString scriptSetByHost;
QString lastError;
QString lastNotice;
bool lastStoppedAfterWork = false;

const QStringList stepKinds{QStringLiteral("dialog"), QStringLiteral("set"),  QStringLiteral("choose"),
                            QStringLiteral("click"),  QStringLiteral("reply"), QStringLiteral("row"),
                            QStringLiteral("tree"),   QStringLiteral("key"),   QStringLiteral("close")};

QString kindOf(const QJsonObject& step)
{
    for (const QString& k : stepKinds)
        if (step.contains(k)) return k;
    return QString();
}

// What a step of each kind may say besides its kind: anything else is a slip ("doubel") that
// would otherwise be ignored while the script seems to pass.
QStringList extrasOf(const QString& kind)
{
    if (kind == QLatin1String("set")) return {QStringLiteral("to")};
    if (kind == QLatin1String("choose")) return {QStringLiteral("item")};
    if (kind == QLatin1String("row")) return {QStringLiteral("index")};
    if (kind == QLatin1String("tree")) return {QStringLiteral("path"), QStringLiteral("double")};
    if (kind == QLatin1String("key")) return {QStringLiteral("press")};
    return {};
}

QString problemOf(const QJsonObject& step, const QString& kind)
{
    for (auto it = step.begin(); it != step.end(); ++it) {
        if (it.key() == kind) continue;
        if (stepKinds.contains(it.key()))
            return QStringLiteral("a step does one thing (\"%1\" and \"%2\")").arg(kind, it.key());
        if (!extrasOf(kind).contains(it.key())) return QStringLiteral("unknown key \"%1\"").arg(it.key());
    }
    if (kind == QLatin1String("row")) {
        const double index = step.value(QStringLiteral("index")).toDouble(-1);
        if (!step.value(QStringLiteral("index")).isDouble() || index < 0 || index != std::floor(index))
            return QStringLiteral("\"row\" needs a whole number \"index\"");
    }
    if (kind == QLatin1String("tree") && step.contains(QStringLiteral("double")) &&
        !step.value(QStringLiteral("double")).isBool())
        return QStringLiteral("\"double\" is true or false");
    return QString();
}

QString text(const QJsonValue& v)
{
    if (v.isString()) return v.toString();
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 15);
    if (v.isBool()) return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return QString();
}

} // namespace

std::unique_ptr<Automation> Automation::fromFile(const QString& path)
{
    std::unique_ptr<Automation> a(new Automation);
    // A script drives dialogs that write to the clinic's database: one that someone else could
    // have written, or that is no plain file, is refused before a byte of it is read.
    QByteArray json;
    QString error;
    if (!safefile::readRegular(path, safefile::kMaxScriptBytes, true, json, &error)) {
        a->error_ = QStringLiteral("script %1").arg(error);
        return a;
    }
    a->load(json, path);
    return a;
}

std::unique_ptr<Automation> Automation::fromJson(const QByteArray& json, const QString& origin)
{
    std::unique_ptr<Automation> a(new Automation);
    a->load(json, origin.isEmpty() ? QStringLiteral("script") : origin);
    return a;
}

void Automation::load(const QByteArray& json, const QString& origin)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (!doc.isObject()) {
        error_ = QStringLiteral("script %1: not a JSON object (%2)").arg(origin, parseError.errorString());
        return;
    }
    const QJsonObject root = doc.object();
    transcript_ = root.value(QStringLiteral("transcript")).toString();
    printTo_ = root.value(QStringLiteral("print_to")).toString();
    const QJsonValue steps = root.value(QStringLiteral("steps"));
    if (!steps.isUndefined() && !steps.isArray()) {
        error_ = QStringLiteral("script %1: \"steps\" must be a list").arg(origin);
        return;
    }
    steps_ = steps.toArray();
    for (int i = 0; i < steps_.size(); ++i) {
        const QJsonObject step = steps_.at(i).toObject();
        const QString kind = kindOf(step);
        QString problem;
        if (!steps_.at(i).isObject() || kind.isEmpty()) problem = QStringLiteral("unknown step");
        else if (kind == QLatin1String("set") && !step.contains(QStringLiteral("to")))
            problem = QStringLiteral("\"set\" needs \"to\"");
        else if (kind == QLatin1String("choose") && !step.contains(QStringLiteral("item")))
            problem = QStringLiteral("\"choose\" needs \"item\"");
        else if (kind == QLatin1String("tree") && !step.value(QStringLiteral("path")).isArray())
            problem = QStringLiteral("\"tree\" needs a list \"path\"");
        else if (kind == QLatin1String("key") && !step.contains(QStringLiteral("press")))
            problem = QStringLiteral("\"key\" needs \"press\"");
        else if (kind == QLatin1String("reply")) {
            static const QStringList replies{QStringLiteral("是"), QStringLiteral("否"), QStringLiteral("确定"),
                                             QStringLiteral("取消")};
            if (!replies.contains(step.value(kind).toString()))
                problem = QStringLiteral("a reply is 是, 否, 确定 or 取消");
        }
        if (problem.isEmpty() && steps_.at(i).isObject() && !kind.isEmpty()) problem = problemOf(step, kind);
        if (!problem.isEmpty()) {
            error_ = QStringLiteral("%1: %2").arg(describe(i), problem);
            return;
        }
    }
    // A transcript asked for and not written would pass for a run that showed nothing. Only
    // checked here: loading a script (CalvaneSetUiScript checks one) creates nothing.
    QString why;
    if (!transcript_.isEmpty() && !transcript::mayWrite(transcript_, &why))
        error_ = QStringLiteral("script %1: cannot write the transcript %2").arg(shortQuote(origin, 120), why);
}

Automation::~Automation()
{
    if (activeAutomation == this) activeAutomation = nullptr;
}

QString Automation::configuredScript()
{
    if (!scriptSetByHost.isEmpty()) return scriptSetByHost;
    return qEnvironmentVariable("CALVANE_UI_SCRIPT");
}

void Automation::setConfiguredScript(const QString& path) { scriptSetByHost = path; }
QString Automation::lastRunError() { return lastError; }
QString Automation::lastRunNotice() { return lastNotice; }
bool Automation::lastRunStoppedAfterWork() { return lastStoppedAfterWork; }
void Automation::clearLastRunError()
{
    lastError.clear();
    lastNotice.clear();
    lastStoppedAfterWork = false;
}
Automation* Automation::active() { return activeAutomation; }

Automation::Scope::Scope(Automation& automation)
    : previous_(activeAutomation), prompter_(&automation), previousPrintTo_(printRedirectPath())
{
    activeAutomation = &automation;
    setPrintRedirectPath(automation.printTo());
    if (automation.failed()) automation.write({{QStringLiteral("event"), QStringLiteral("error")},
                                               {QStringLiteral("error"), automation.error()}});
}

Automation::Scope::~Scope()
{
    activeAutomation = previous_;
    setPrintRedirectPath(previousPrintTo_);
}

QString Automation::describe(int index) const
{
    const QJsonValue step = index < steps_.size() ? steps_.at(index) : QJsonValue();
    const QString json = step.isObject()
                             ? QString::fromUtf8(QJsonDocument(step.toObject()).toJson(QJsonDocument::Compact))
                             : QStringLiteral("?");
    return QStringLiteral("step %1 %2").arg(index + 1).arg(shortQuote(json, 80));
}

void Automation::fail(int index, const QString& reason)
{
    if (failed()) return;
    error_ = QStringLiteral("%1: %2").arg(describe(index), reason);
    stoppedAfterWork_ = accepted_;
    write({{QStringLiteral("event"), QStringLiteral("error")}, {QStringLiteral("step"), index + 1},
           {QStringLiteral("error"), error_}});
}

void Automation::stop(const QString& reason)
{
    if (failed()) return;
    error_ = reason;
    stoppedAfterWork_ = accepted_;
    write({{QStringLiteral("event"), QStringLiteral("error")}, {QStringLiteral("error"), error_}});
}

void Automation::finish()
{
    if (finished_) return;
    finished_ = true;
    if (!failed() && next_ < steps_.size()) fail(next_, QStringLiteral("not reached: no dialog or question was open"));
    lastError = error_;
    lastNotice = ranOut_;
    lastStoppedAfterWork = failed() && stoppedAfterWork_;
}

void Automation::write(const QJsonObject& line)
{
    if (transcript_.isEmpty()) return;
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
    // Created readable by its owner only (it holds what the dialogs showed), and never
    // written through a symbolic link someone planted in its place.
    QString why;
    if (!safefile::appendPrivate(transcript_, text, &why) && error_.isEmpty())
        error_ = QStringLiteral("cannot write the transcript %1").arg(why);
}

void Automation::dialogOpened(Dialog& dialog)
{
    write({{QStringLiteral("event"), QStringLiteral("open")},
           {QStringLiteral("dialog"), dialog.windowTitle()},
           {QStringLiteral("resource"), dialog.resourceNumber()}});
}

void Automation::dialogClosed(Dialog& dialog, int ending)
{
    if (ending == IDOK) accepted_ = true;
    write({{QStringLiteral("event"), QStringLiteral("close")},
           {QStringLiteral("dialog"), dialog.windowTitle()},
           {QStringLiteral("ending"), Dialog::endingName(ending)}});
}

void Automation::drive(Dialog& dialog)
{
    while (dialog.isRunning() && Dialog::topmost() == &dialog) {
        if (failed() || next_ >= steps_.size()) {
            if (!failed() && ranOut_.isEmpty())
                ranOut_ = QStringLiteral("the script ran out of steps while the dialog \"%1\" was open; it was cancelled")
                              .arg(dialog.windowTitle());
            dialog.endDialog(IDCANCEL);
            return;
        }
        const int index = next_++;
        const QJsonObject step = steps_.at(index).toObject();
        try {
            perform(dialog, step);
        } catch (const control::StepRefused& r) {
            fail(index, r.reason);
        } catch (const std::exception& e) {
            setLastError(QString::fromUtf8(e.what()));
            fail(index, QStringLiteral("the dialog failed: %1").arg(QString::fromUtf8(e.what())));
        }
    }
}

void Automation::perform(Dialog& dialog, const QJsonObject& step)
{
    const QString kind = kindOf(step);
    const QString label = text(step.value(kind));
    if (kind == QLatin1String("reply")) throw control::StepRefused{QStringLiteral("no question is open")};
    if (kind == QLatin1String("dialog")) {
        if (!sameLabel(dialog.windowTitle(), label))
            throw control::StepRefused{
                QStringLiteral("the dialog on top is \"%1\", not \"%2\"").arg(dialog.windowTitle(), label)};
        return;
    }
    if (kind == QLatin1String("close")) {
        dialog.close();
        return;
    }
    QWidget* control = control::find(&dialog, label);
    if (kind == QLatin1String("set")) {
        control::set(control, text(step.value(QStringLiteral("to"))));
    } else if (kind == QLatin1String("choose")) {
        control::choose(control, text(step.value(QStringLiteral("item"))));
    } else if (kind == QLatin1String("click")) {
        control::click(control);
    } else if (kind == QLatin1String("row")) {
        control::row(control, step.value(QStringLiteral("index")).toInt());
    } else if (kind == QLatin1String("tree")) {
        QStringList path;
        for (const QJsonValue& v : step.value(QStringLiteral("path")).toArray()) path << text(v);
        control::tree(control, path, step.value(QStringLiteral("double")).toBool());
    } else if (kind == QLatin1String("key")) {
        control::key(control, text(step.value(QStringLiteral("press"))));
    }
}

void Automation::inform(const QString& text)
{
    write({{QStringLiteral("event"), QStringLiteral("message")},
           {QStringLiteral("text"), text},
           {QStringLiteral("buttons"), QJsonArray{QStringLiteral("确定")}},
           {QStringLiteral("reply"), QStringLiteral("确定")}});
}

bool Automation::ask(const QString& text, Buttons buttons)
{
    const bool yesNo = buttons == Buttons::YesNo;
    const QString positive = yesNo ? QStringLiteral("是") : QStringLiteral("确定");
    const QString negative = yesNo ? QStringLiteral("否") : QStringLiteral("取消");
    QString reply = negative;
    if (!failed() && next_ < steps_.size()) {
        const int index = next_;
        const QJsonObject step = steps_.at(index).toObject();
        const QString given = step.value(QStringLiteral("reply")).toString();
        if (!step.contains(QStringLiteral("reply"))) {
            fail(index, QStringLiteral("a question is open (\"%1\"); the next step must be a reply").arg(text));
        } else if (given != positive && given != negative) {
            fail(index, QStringLiteral("the question \"%1\" is answered %2 or %3").arg(text, positive, negative));
        } else {
            ++next_;
            reply = given;
        }
    } else if (!failed() && ranOut_.isEmpty()) {
        ranOut_ = QStringLiteral("the script ran out of steps at the question \"%1\"; it was answered %2")
                      .arg(text, negative);
    }
    write({{QStringLiteral("event"), QStringLiteral("message")},
           {QStringLiteral("text"), text},
           {QStringLiteral("buttons"), QJsonArray{positive, negative}},
           {QStringLiteral("reply"), reply}});
    return reply == positive;
}

} // namespace app
