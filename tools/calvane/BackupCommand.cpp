#include "db/Connection.h"
#include "tools/calvane/Backup.h"
#include "tools/calvane/Commands.h"
#include <QTextStream>

namespace {

// Two positional arguments and an optional --force; false (after saying why) otherwise.
bool twoArguments(const QStringList& args, const char* usage, QString& first, QString& second, bool* force)
{
    QStringList plain;
    for (const QString& a : args) {
        if (force && a == QLatin1String("--force")) *force = true;
        else if (a.startsWith(QLatin1String("--"))) plain << QString(); // refused below
        else plain << a;
    }
    if (plain.size() != 2 || plain[0].isEmpty() || plain[1].isEmpty()) {
        QTextStream(stderr) << "usage: " << usage << "\n";
        return false;
    }
    first = plain[0];
    second = plain[1];
    return true;
}

} // namespace

int backupCommand(const QStringList& args)
{
    QString url, file;
    if (!twoArguments(args, "calvane backup URL FILE", url, file, nullptr)) return 2;
    backup::backupDatabase(url, file);
    QTextStream(stdout) << "backed up " << db::redactedUrl(url) << " to " << file << "\n";
    return 0;
}

int restoreCommand(const QStringList& args)
{
    QString file, url;
    bool force = false;
    if (!twoArguments(args, "calvane restore FILE URL [--force]", file, url, &force)) return 2;
    backup::restoreDatabase(file, url, force);
    QTextStream(stdout) << "restored " << file << " to " << db::redactedUrl(url) << "\n";
    return 0;
}

int copyCommand(const QStringList& args)
{
    QString from, to;
    bool force = false;
    if (!twoArguments(args, "calvane copy FROM_URL TO_URL [--force]", from, to, &force)) return 2;
    const qint64 rows = backup::copyDatabase(from, to, force);
    QTextStream(stdout) << "copied " << rows << " rows from " << db::redactedUrl(from) << " to " << db::redactedUrl(to)
                        << "\n";
    return 0;
}
