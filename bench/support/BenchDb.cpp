#include "bench/support/BenchDb.h"
#include <QCoreApplication>
#include <QFile>
#include <QUrl>

namespace bench {

namespace {
QStringList created;
}

std::vector<Backend> backends(QTemporaryDir& dir, const QString& tag)
{
    const QString file = dir.filePath(tag + QStringLiteral(".sqlite"));
    QFile(file).open(QIODevice::WriteOnly);
    std::vector<Backend> list{{QStringLiteral("sqlite"), QStringLiteral("sqlite:") + file}};
    const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
    if (!admin.isEmpty()) {
        const QString name = QStringLiteral("calvane_bench_%1_%2").arg(tag).arg(QCoreApplication::applicationPid());
        auto a = db::Connection::open(admin);
        a->execute(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        a->execute(QStringLiteral("CREATE DATABASE %1").arg(name));
        created << name;
        QUrl u(admin);
        u.setPath(QLatin1Char('/') + name);
        list.push_back({QStringLiteral("postgresql"), u.toString()});
    }
    return list;
}

void settleTables(db::Connection& c)
{
    if (c.isSQLite()) {
        c.execute(QStringLiteral("ANALYZE"));
        c.execute(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        return;
    }
    c.execute(QStringLiteral("VACUUM ANALYZE"));
    try {
        c.execute(QStringLiteral("CHECKPOINT"));
    } catch (const db::Error&) {
        // Only a superuser may ask for one; the server then writes the pages in its own time.
    }
}

void dropAll()
{
    const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
    if (admin.isEmpty()) return;
    auto a = db::Connection::open(admin);
    for (const QString& name : created) a->execute(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
    created.clear();
}

} // namespace bench
