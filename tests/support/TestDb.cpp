#include "tests/support/TestDb.h"
#include <QFile>
#include "db/Query.h"
#include "db/Schema.h"
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QRegularExpression>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace testdb {

namespace {

QTemporaryDir& tempDir()
{
    static QTemporaryDir dir;
    return dir;
}

int counter = 0;

// PostgreSQL databases this process created, dropped again when it ends however its tests
// went; those of earlier runs that died before they could drop theirs go at the first new one.
QStringList created;

QString adminUrl() { return qEnvironmentVariable("CALVANE_TEST_PG"); }

void drop(db::Connection& admin, const QString& name)
{
    // FORCE: a connection a failed test left open must not keep the database alive.
    admin.execute(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
}

void dropCreated()
{
    if (created.isEmpty()) return;
    try {
        auto a = db::Connection::open(adminUrl());
        for (const QString& name : std::as_const(created)) drop(*a, name);
    } catch (const std::exception& e) {
        qWarning("could not drop the test databases: %s", e.what());
    }
    created.clear();
}

void dropAbandoned(db::Connection& admin)
{
    static bool swept = false;
    if (swept) return;
    swept = true;
    qAddPostRoutine(dropCreated);
    db::Query q(admin, QStringLiteral("SELECT datname FROM pg_database WHERE datname LIKE 'calvane_t%'"));
    q.exec();
    QStringList abandoned;
    static const QRegularExpression ours(QStringLiteral("^calvane_t(\\d+)_\\d+$"));
    while (q.next()) {
        const QString name = q.text(0);
        const auto m = ours.match(name);
        if (!m.hasMatch()) continue;
        const pid_t pid = pid_t(m.captured(1).toLongLong());
        if (pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) abandoned << name;
    }
    for (const QString& name : abandoned) drop(admin, name);
}

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
    const QString admin = adminUrl();
    if (admin.isEmpty()) qFatal("CALVANE_TEST_PG is not set");
    const QString name = QStringLiteral("calvane_t%1_%2").arg(QCoreApplication::applicationPid()).arg(counter);
    {
        auto a = db::Connection::open(admin);
        dropAbandoned(*a);
        drop(*a, name);
        a->execute(QStringLiteral("CREATE DATABASE %1").arg(name));
        created << name;
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

QVariantMap currentRow(const db::Query& q)
{
    QVariantMap row;
    for (int i = 0; i < q.columnCount(); ++i) row.insert(q.columnName(i).toLower(), q.value(i));
    return row;
}

} // namespace testdb
