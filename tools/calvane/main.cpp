#include "tools/calvane/Commands.h"
#include <QCoreApplication>
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
           "  init URL [--demo]   create the clinic schema (and a demo clinic) at URL\n"
           "  call EXPORT [--db URL] [--script FILE] [--arg NAME=VALUE]…\n"
           "                      call one export as a host would; EXPORT --help lists its parameters\n"
           "  desk [--db URL]     the front desk window\n";
}
} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietPlatformNoise);
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QTextStream err(stderr);
    if (args.isEmpty()) {
        usage(err);
        return 2;
    }
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("init")) {
            QCoreApplication app(argc, argv);
            return initCommand(args);
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
