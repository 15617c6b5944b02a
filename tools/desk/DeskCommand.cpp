#include "tools/calvane/Commands.h"
#include "db/Schema.h"
#include "tools/calvane/DataPlace.h"
#include "tools/desk/DeskWindow.h"
#include <QApplication>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

int deskCommand(int argc, char** argv, const QStringList& args)
{
    QTextStream err(stderr);
    QString url = qEnvironmentVariable("CALVANE_DB");
    bool once = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--db") && i + 1 < args.size()) url = args[++i];
        // Opens the window, lets it draw, and closes: checks an installation (libraries,
        // plugins, database) without anyone to close it.
        else if (args[i] == QLatin1String("--once")) once = true;
        else {
            err << "usage: calvane desk [--db URL] [--once]\n";
            return 2;
        }
    }
    if (url.isEmpty()) url = dataplace::defaultDatabaseUrl();
    if (url.startsWith(QLatin1String("sqlite:")) && !QFileInfo::exists(url.mid(7))) {
        err << "calvane desk: no database at " << url.mid(7) << " (create one with: calvane init " << url
            << " --demo)\n";
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        err << "calvane desk: no display. The desk is a window and needs a graphical session (DISPLAY or "
               "WAYLAND_DISPLAY is not set); without one, use `calvane call EXPORT --script FILE`.\n";
        return 1;
    }
    try {
        auto c = db::Connection::open(url);
        const int version = db::schema::currentVersion(*c), needed = db::schema::latestVersion();
        if (version < needed) {
            err << "calvane desk: the database at " << c->displayUrl() << " has schema version " << version
                << ", the desk needs " << needed << " (upgrade it with: calvane init " << c->displayUrl() << ")\n";
            return 1;
        }
    } catch (const db::Error& e) {
        err << "calvane desk: " << e.message() << "\n";
        return 1;
    }
    QApplication app(argc, argv);
    DeskWindow desk(url);
    desk.resize(1280, 800);
    desk.show();
    if (once) {
        QTimer::singleShot(0, &app, [&] {
            desk.grab(); // draws every widget: a missing font or style plugin shows here
            QTextStream(stdout) << "the desk opened on " << db::redactedUrl(url) << "\n";
            app.quit();
        });
    }
    return app.exec();
}
