#include "tests/support/TestDb.h"
#include <QFile>
#include "db/Query.h"
#include "db/Schema.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace testdb {

namespace {

QTemporaryDir& tempDir()
{
    static QTemporaryDir dir;
    return dir;
}

int counter = 0;

} // namespace

QStringList backends()
{
    QStringList b{QStringLiteral("sqlite")};
    if (!qEnvironmentVariable("CALVANE_TEST_PG").isEmpty()) b << QStringLiteral("postgresql");
    return b;
}

void addBackendRows()
{
    QTest::addColumn<QString>("backend");
    for (const QString& b : backends()) QTest::newRow(qPrintable(b)) << b;
}

QString freshUrl(const QString& backend)
{
    ++counter;
    if (backend == QLatin1String("sqlite")) {
        // An empty file is an empty database; hosts only open databases that exist.
        const QString path = QStringLiteral("%1/t%2.sqlite").arg(tempDir().path()).arg(counter);
        QFile(path).open(QIODevice::WriteOnly);
        return QStringLiteral("sqlite:") + path;
    }
    const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
    if (admin.isEmpty()) qFatal("CALVANE_TEST_PG is not set");
    const QString name = QStringLiteral("calvane_t%1_%2").arg(QCoreApplication::applicationPid()).arg(counter);
    {
        auto a = db::Connection::open(admin);
        a->execute(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        a->execute(QStringLiteral("CREATE DATABASE %1").arg(name));
    }
    QUrl u(admin);
    u.setPath(QLatin1Char('/') + name);
    return u.toString();
}

db::ConnectionPtr open(const QString& backend, bool migrate)
{
    auto c = db::Connection::open(freshUrl(backend));
    if (migrate) db::schema::migrate(*c);
    return c;
}

QString isolateSettings()
{
    ++counter;
    const QString path = QStringLiteral("%1/settings%2/Kelvask.ini").arg(tempDir().path()).arg(counter);
    qputenv("CALVANE_SETTINGS", path.toUtf8());
    return path;
}

} // namespace testdb
