#include "app/Automation.h"
#include "app/Dialog.h"
#include "common/Transcript.h"
#include "db/Connection.h"
#include "db/DemoClinic.h"
#include "db/Schema.h"
#include "tools/calvane/Commands.h"
#include "tools/calvane/ExportHelp.h"
#include "common/ShortQuote.h"
#include "tools/calvane/ExportTable.h"
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTextStream>
#include <QTreeView>
#include <cstdio>

namespace {

// The exit status of a call whose export saved its work (a dialog ended with OK) while a later
// step of its script could not be done: the answer is printed all the same.
constexpr int kScriptStoppedAfterWork = 3;

void listExports(QTextStream& out)
{
    out << "exports:";
    for (const calltable::Export& e : calltable::exports()) out << " " << e.name;
    out << "\n";
}

// The step a script uses for a control, or "" for what a script cannot act on.
QString stepFor(QWidget* w)
{
    // The edit inside a combo box or a date field is reached through its owner.
    if (qobject_cast<QComboBox*>(w->parentWidget()) || qobject_cast<QAbstractSpinBox*>(w->parentWidget())) return {};
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) return QStringLiteral("set (1/0)");
    if (qobject_cast<QAbstractButton*>(w)) return QStringLiteral("click");
    if (qobject_cast<QComboBox*>(w)) return QStringLiteral("choose");
    if (qobject_cast<QTreeView*>(w)) return QStringLiteral("tree");
    if (qobject_cast<QAbstractItemView*>(w)) return QStringLiteral("row, choose");
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QTextEdit*>(w) ||
        qobject_cast<QPlainTextEdit*>(w))
        return QStringLiteral("set");
    return {};
}

struct DialogControls {
    QString title;
    QStringList lines;
};

DialogControls controlsOf(app::Dialog& d)
{
    DialogControls found{d.windowTitle(), {}};
    for (QWidget* w : d.findChildren<QWidget*>()) {
        const QString step = stepFor(w);
        QString label = w->accessibleName();
        if (label.isEmpty())
            if (auto* b = qobject_cast<QAbstractButton*>(w)) label = b->text();
        if (step.isEmpty() || label.isEmpty() || !w->isVisibleTo(&d)) continue;
        QString note;
        if (!w->isEnabled()) note = QStringLiteral(" (disabled when it opens)");
        else if (auto* e = qobject_cast<QLineEdit*>(w); e && e->isReadOnly()) note = QStringLiteral(" (read-only)");
        found.lines << QStringLiteral("  %1 %2%3").arg(step.leftJustified(12), label, note);
    }
    return found;
}

// Opens the export's dialog once with no person and no steps, on the given database or a
// scratch demo clinic, notes the controls a script can name, and cancels it.
QString dialogLabels(QString url, calltable::Args& values)
{
    QTemporaryDir scratch;
    if (url.isEmpty()) {
        url = QStringLiteral("sqlite:%1/demo.sqlite").arg(scratch.path());
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        db::loadDemoClinic(*c);
    }
    const QString script = scratch.filePath(QStringLiteral("look.json"));
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly) || f.write("{\"steps\":[]}") < 0) return QStringLiteral("  (cannot look: no scratch space)\n");
    f.close();

    QList<DialogControls> seen;
    app::Dialog::setShownHook([&](app::Dialog& d) {
        seen << controlsOf(d);
        d.endDialog(app::IDCANCEL);
    });
    CalvaneConnection* conn = nullptr;
    QString why;
    if (CalvaneConnect(url.toUtf8().constData(), &conn) != 0 || CalvaneSetUiScript(script.toUtf8().constData()) != 0)
        why = QString::fromUtf8(CalvaneLastError());
    else {
        values.setConnection(conn);
        values.call();
        why = QString::fromUtf8(CalvaneLastError());
    }
    app::Dialog::setShownHook(nullptr);
    CalvaneSetUiScript("");
    CalvaneDisconnect(conn);
    values.setConnection(nullptr);

    QString text;
    for (const DialogControls& d : seen) {
        text += QStringLiteral("  dialog \"%1\":\n").arg(d.title);
        for (const QString& line : d.lines) text += QStringLiteral("  ") + line + QLatin1Char('\n');
    }
    if (seen.isEmpty())
        text = QStringLiteral("  (its dialog did not open here%1)\n").arg(why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    return text;
}

void help(const calltable::Export& e, const QString& url, calltable::Args& values, QTextStream& out)
{
    out << "usage: calvane call " << e.name << " [--db URL] [--script FILE] [--arg NAME=VALUE]…\n"
        << "parameters, in order:\n";
    for (const calltable::Param& p : e.params)
        out << "  " << p.name.leftJustified(18) << " " << calltable::kindName(p.kind) << "\n";
    out << "prints {\"result\": …, \"out\": {…}} when the call succeeds; a call that fails prints nothing on\n"
           "standard output, says why on standard error and exits non-zero. When the export saved its work\n"
           "and only a later step of the script could not be done, the answer is printed all the same,\n"
           "standard error says which step, and the exit status is 3.\n"
        << "result: " << calltable::resultMeaning(e.name) << "\n";
    bool anyOut = false;
    for (const calltable::Param& p : e.params) {
        if (!calltable::isOut(p.kind)) continue;
        if (!anyOut) out << "out:\n";
        anyOut = true;
        out << "  " << p.name.leftJustified(18) << " " << calltable::outMeaning(e.name, p.name) << "\n";
    }
    if (!e.dialog) return;
    out << "labels a script can use (steps: set, choose, click, row, tree, key; \"dialog\" checks the title):\n";
    out.flush();
    out << dialogLabels(url, values);
}

// The transcript a script names, emptied: each call's transcript tells of that call only.
// (Hosts that call several exports under one script keep appending.)
void startTranscript(const QString& script)
{
    QFile f(script);
    if (!f.open(QIODevice::ReadOnly)) return;
    const QString transcript = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("transcript")).toString();
    if (transcript.isEmpty()) return;
    // Only a transcript is emptied; anything else the script names (the database, say) is left
    // alone here and refused when the script is loaded.
    if (!transcript::mayWrite(transcript, nullptr)) return;
    QFile t(transcript);
    if (t.exists()) t.resize(0);
}

} // namespace

int callCommand(const QStringList& args)
{
    QTextStream err(stderr);
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--"))) {
        const bool asked = !args.isEmpty() && (args.first() == QLatin1String("--help"));
        QTextStream out(stdout);
        QTextStream& to = asked ? out : err;
        to << "usage: calvane call EXPORT [--db URL] [--script FILE] [--arg NAME=VALUE]…   (EXPORT --help says "
              "what it takes and answers)\n";
        listExports(to);
        return asked ? 0 : 2;
    }
    const calltable::Export* e = calltable::find(args.first());
    if (!e) {
        err << "calvane call: no export " << shortQuote(args.first()) << "\n";
        listExports(err);
        return 2;
    }
    calltable::Args values(*e);
    QString url = qEnvironmentVariable("CALVANE_DB");
    QString script = qEnvironmentVariable("CALVANE_UI_SCRIPT");
    bool wantsHelp = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            wantsHelp = true;
            continue;
        }
        const bool takesValue = a == QLatin1String("--db") || a == QLatin1String("--script") || a == QLatin1String("--arg");
        if (!takesValue || i + 1 >= args.size()) {
            err << "calvane call: unexpected argument " << shortQuote(a) << "\n";
            return 2;
        }
        const QString v = args[++i];
        if (a == QLatin1String("--db")) url = v;
        else if (a == QLatin1String("--script")) script = v;
        else {
            const qsizetype eq = v.indexOf(QLatin1Char('='));
            QString error = QStringLiteral("--arg takes NAME=VALUE, not %1").arg(shortQuote(v));
            if (eq <= 0 || !values.set(v.left(eq), v.mid(eq + 1), &error)) {
                err << "calvane call: " << error << "\n";
                return 2;
            }
        }
    }
    if (wantsHelp) {
        QTextStream out(stdout);
        help(*e, url, values, out);
        return 0;
    }

    CalvaneConnection* conn = nullptr;
    if (!url.isEmpty() && CalvaneConnect(url.toUtf8().constData(), &conn) != 0) {
        err << "calvane call: " << QString::fromUtf8(CalvaneLastError()) << "\n";
        return 1;
    }
    if (!script.isEmpty()) {
        if (CalvaneSetUiScript(script.toUtf8().constData()) != 0) {
            err << "calvane call: " << QString::fromUtf8(CalvaneLastError()) << "\n";
            CalvaneDisconnect(conn);
            return 1;
        }
        startTranscript(script);
    }
    values.setConnection(conn);
    const int32_t result = values.call();
    const QString failure = QString::fromUtf8(CalvaneLastError());
    const QString scriptError = QString::fromUtf8(CalvaneUiScriptError());
    const QString ranOut = app::Automation::lastRunNotice();
    const bool workDone = app::Automation::lastRunStoppedAfterWork();
    CalvaneDisconnect(conn);

    if (!ranOut.isEmpty()) err << "calvane call: " << ranOut << "\n";
    const auto answer = [&] {
        const QByteArray json = values.resultJson(result) + "\n";
        std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        std::fflush(stdout);
    };
    // The export saved its work (a dialog ended with OK) and only a later step of the script
    // could not be done: the answer stands and is printed, so that a caller never takes saved
    // work for lost and does it again; the status tells it apart from a clean run.
    if (workDone && !scriptError.isEmpty() && (failure.isEmpty() || scriptError.endsWith(failure))) {
        err << "calvane call: the export's work is saved; then the script stopped: " << scriptError << "\n";
        answer();
        return kScriptStoppedAfterWork;
    }
    if (!scriptError.isEmpty()) err << "calvane call: script stopped: " << scriptError << "\n";
    if (!failure.isEmpty() && !scriptError.endsWith(failure)) err << "calvane call: " << failure << "\n";
    // A failed call prints nothing a script could take for an answer.
    if (!scriptError.isEmpty() || !failure.isEmpty()) return 1;
    answer();
    return 0;
}
