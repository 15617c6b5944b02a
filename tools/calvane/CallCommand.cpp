#include "tools/calvane/Commands.h"
#include "common/ShortQuote.h"
#include "tools/calvane/ExportTable.h"
#include <QTextStream>
#include <cstdio>

namespace {

void listExports(QTextStream& out)
{
    out << "exports:";
    for (const calltable::Export& e : calltable::exports()) out << " " << e.name;
    out << "\n";
}

void help(const calltable::Export& e, QTextStream& out)
{
    out << "usage: calvane call " << e.name << " [--db URL] [--script FILE] [--arg NAME=VALUE]…\n"
        << "parameters, in order:\n";
    for (const calltable::Param& p : e.params)
        out << "  " << p.name.leftJustified(18) << " " << calltable::kindName(p.kind) << "\n";
    out << "prints {\"result\": …, \"out\": {…}} with every out and in/out parameter\n";
}

} // namespace

int callCommand(const QStringList& args)
{
    QTextStream err(stderr);
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--"))) {
        err << "usage: calvane call EXPORT [--db URL] [--script FILE] [--arg NAME=VALUE]…   (EXPORT --help lists "
               "its parameters)\n";
        listExports(err);
        return 2;
    }
    const calltable::Export* e = calltable::find(args.first());
    if (!e) {
        err << "calvane call: no export " << shortQuote(args.first()) << "\n";
        listExports(err);
        return 2;
    }
    calltable::Args values(*e);
    QString url, script;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            QTextStream out(stdout);
            help(*e, out);
            return 0;
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

    CalvaneConnection* conn = nullptr;
    if (!url.isEmpty() && CalvaneConnect(url.toUtf8().constData(), &conn) != 0) {
        err << "calvane call: " << QString::fromUtf8(CalvaneLastError()) << "\n";
        return 1;
    }
    if (!script.isEmpty() && CalvaneSetUiScript(script.toUtf8().constData()) != 0) {
        err << "calvane call: " << QString::fromUtf8(CalvaneLastError()) << "\n";
        CalvaneDisconnect(conn);
        return 1;
    }
    values.setConnection(conn);
    const int32_t result = values.call();
    const QString failure = QString::fromUtf8(CalvaneLastError());
    const QString scriptError = QString::fromUtf8(CalvaneUiScriptError());
    CalvaneDisconnect(conn);

    const QByteArray json = values.resultJson(result) + "\n";
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fflush(stdout);
    if (!scriptError.isEmpty()) err << "calvane call: script stopped: " << scriptError << "\n";
    else if (!failure.isEmpty()) err << "calvane call: " << failure << "\n";
    return scriptError.isEmpty() && failure.isEmpty() ? 0 : 1;
}
