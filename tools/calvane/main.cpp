#include "tools/calvane/Commands.h"
#include "tools/calvane/DataPlace.h"
#include <QCoreApplication>
#include <QStringDecoder>
#include <QTextStream>
#include <exception>

namespace {

// Qt's platform plugins chatter on stderr about things that do not concern a clinic (a
// headless scripted run, a session without a runtime directory); everything else passes.
void quietPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) || message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    const QString line = qFormatLogMessage(type, context, message);
    QTextStream(stderr) << line << "\n";
}

void usage(QTextStream& out)
{
    out << "usage: calvane COMMAND …\n"
           "  init [URL] [--demo] create or upgrade the clinic schema (and a demo clinic) at URL\n"
           "  call EXPORT [--db URL] [--script FILE] [--arg NAME=VALUE]…\n"
           "                      call one export as a host would; `call EXPORT --help` says what it\n"
           "                      takes, what its result and out values mean and which labels a\n"
           "                      script can use in its dialog\n"
           "  desk [--db URL]     the front desk window\n"
           "  backup URL FILE     a backup file of the database (SQLite: while desks work)\n"
           "  restore FILE URL [--force]\n"
           "                      puts a backup back; --force to replace a database with receipts\n"
           "  copy FROM_URL TO_URL [--force]\n"
           "                      copies every row of a clinic to another database (e.g. SQLite\n"
           "                      to PostgreSQL); --force to replace a database with receipts\n"
           "URL: sqlite:PATH or postgresql://…; a bare PATH is a SQLite file. CALVANE_DB gives the\n"
           "database when --db is not given; without either, the clinic in the user's data folder:\n"
           "  " << dataplace::defaultDatabaseUrl() << "\n"
           "Only `init` creates a database.\n";
}

// Database URLs as every command takes them, also from CALVANE_DB: a bare path is a SQLite file.
QString databaseUrl(const QString& given)
{
    if (given.isEmpty() || given.startsWith(QLatin1String("sqlite:")) || given.contains(QLatin1String("://")))
        return given;
    return QStringLiteral("sqlite:") + given;
}

void normalizeDatabaseUrls(const QString& command, QStringList& args)
{
    const QString env = qEnvironmentVariable("CALVANE_DB");
    if (!env.isEmpty()) qputenv("CALVANE_DB", databaseUrl(env).toUtf8());
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args[i] == QLatin1String("--db")) args[i + 1] = databaseUrl(args[i + 1]);
    if (command == QLatin1String("init") || command == QLatin1String("copy"))
        for (QString& a : args)
            if (!a.startsWith(QLatin1String("--"))) a = databaseUrl(a);
}
// backup URL FILE and restore FILE URL: only the URL is one (a FILE is a file, not a database).
QStringList normalizedFirst(QStringList args)
{
    if (!args.isEmpty() && !args[0].startsWith(QLatin1String("--"))) args[0] = databaseUrl(args[0]);
    return args;
}
QStringList normalizedSecond(QStringList args)
{
    int plain = 0;
    for (QString& a : args)
        if (!a.startsWith(QLatin1String("--")) && ++plain == 2) a = databaseUrl(a);
    return args;
}
} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietPlatformNoise);
    QStringList args;
    QTextStream err(stderr);
    for (int i = 1; i < argc; ++i) {
        // Refused as the library refuses such a text: decoding would store U+FFFD in its place.
        QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        args << decode(QByteArrayView(argv[i]));
        if (decode.hasError()) {
            err << "calvane: argument " << i << " is not valid UTF-8 (begins "
                << QByteArray(argv[i]).left(16).toHex(' ') << ")\n";
            return 2;
        }
    }
    if (args.isEmpty()) {
        usage(err);
        return 2;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        QTextStream out(stdout);
        usage(out);
        return 0;
    }
    normalizeDatabaseUrls(command, args);
    try {
        if (command == QLatin1String("init")) {
            QCoreApplication app(argc, argv);
            return initCommand(args);
        }
        if (command == QLatin1String("backup") || command == QLatin1String("restore") || command == QLatin1String("copy")) {
            QCoreApplication app(argc, argv);
            if (command == QLatin1String("backup")) return backupCommand(normalizedFirst(args));
            if (command == QLatin1String("restore")) return restoreCommand(normalizedSecond(args));
            return copyCommand(args);
        }
        // No application object here: the module makes its own, as for any host without one.
        if (command == QLatin1String("call")) return callCommand(args);
        if (command == QLatin1String("desk")) return deskCommand(argc, argv, args);
    } catch (const std::exception& e) {
        err << "calvane " << command << ": " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
    usage(err);
    return 2;
}
