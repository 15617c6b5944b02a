#include "common/Settings.h"
#include "db/Connection.h"
#include "db/DemoClinic.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tools/calvane/Commands.h"
#include "tools/calvane/DataPlace.h"
#include "tools/desk/Cashiers.h"
#include <QFileInfo>
#include <QTextStream>

namespace {

// How the clinic's URL is written in the suggested next commands: the default one needs none.
QString dbOption(const QString& url, const QString& shown)
{
    return url == dataplace::defaultDatabaseUrl() ? QString() : QStringLiteral(" --db ") + shown;
}

} // namespace

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
            err << "usage: calvane init [URL] [--demo]   (URL: sqlite:PATH or postgresql://…; default "
                << dataplace::defaultDatabaseUrl() << ")\n";
            return 2;
        }
    }
    if (url.isEmpty()) url = dataplace::defaultDatabaseUrl();
    bool newFile = false;
    if (url.startsWith(QLatin1String("sqlite:"))) {
        newFile = !QFileInfo::exists(url.mid(7));
        QString why;
        if (newFile && !dataplace::makeFolderFor(url, &why)) {
            err << "calvane init: " << why << "\n";
            return 1;
        }
    }
    auto c = db::Connection::open(url);
    const int before = db::schema::currentVersion(*c);
    db::schema::migrate(*c);
    const int after = db::schema::currentVersion(*c);

    QTextStream out(stdout);
    const QString shown = c->displayUrl();
    if (before == 0)
        out << "created the clinic database " << shown << (newFile ? " (a new SQLite file)" : "")
            << ", schema version " << after << "\n";
    else if (before < after)
        out << "upgraded the clinic database " << shown << " from schema version " << before << " to " << after
            << "; its rows are kept\n";
    else
        out << "the clinic database " << shown << " is already at schema version " << after << ": nothing changed\n";

    const bool hadSettings = QFileInfo::exists(settings::path());
    if (!settings::createKey())
        err << "calvane init: cannot create the settings file " << settings::path()
            << " (set CALVANE_SETTINGS to a writable path); the clinic's dialogs use their defaults\n";
    else if (!hadSettings)
        out << "created the settings file " << settings::path() << "\n";

    if (demo) {
        db::loadDemoClinic(*c);
        out << "demo clinic loaded:\n";
        for (const auto& [what, count] : db::demoClinicSummary(*c)) out << "  " << what << " " << count << "\n";
    }

    const QString dbArg = dbOption(url, shown);
    out << "next:\n";
    if (desk::activeCashiers(*c).isEmpty())
        out << "  the clinic has no cashiers yet: the first sign-in at the desk names its first manager and password\n";
    out << "  calvane desk" << dbArg << "              open the front desk\n";
    out << "  calvane backup " << shown << " FILE   keep a copy (daily, and before every upgrade)\n";
    if (url.startsWith(QLatin1String("sqlite:")))
        out << "  calvane copy " << shown << " postgresql://…   move the clinic to PostgreSQL when a second desk is added\n";
    return 0;
}
