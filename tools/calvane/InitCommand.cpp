#include "common/Settings.h"
#include "db/Connection.h"
#include "db/DemoClinic.h"
#include "db/Schema.h"
#include "tools/calvane/Commands.h"
#include <QTextStream>

int initCommand(const QStringList& args)
{
    QTextStream err(stderr);
    QString url;
    bool demo = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--demo")) demo = true;
        else if (url.isEmpty() && !a.startsWith(QLatin1String("--"))) url = a;
        else {
            err << "calvane init: unexpected argument " << a << "\n";
            return 2;
        }
    }
    if (url.isEmpty()) {
        err << "usage: calvane init URL [--demo]   (URL: sqlite:PATH or postgresql://…)\n";
        return 2;
    }
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);
    if (!settings::createKey())
        err << "calvane init: cannot create the settings file " << settings::path()
            << " (set CALVANE_SETTINGS to a writable path); the clinic's dialogs use their defaults\n";
    QTextStream(stdout) << "schema version " << db::schema::currentVersion(*c) << " at " << c->displayUrl() << "\n";
    if (demo) {
        db::loadDemoClinic(*c);
        QTextStream out(stdout);
        out << "demo clinic loaded:\n";
        for (const auto& [what, count] : db::demoClinicSummary(*c)) out << "  " << what << " " << count << "\n";
    }
    return 0;
}
