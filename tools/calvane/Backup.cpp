#include "tools/calvane/Backup.h"
#include "db/Connection.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include <algorithm>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUrl>
#include <sqlite3.h>

namespace backup {
namespace {

using db::Error;

bool isSQLiteUrl(const QString& url) { return url.startsWith(QLatin1String("sqlite:")); }

// --- SQLite: the online backup API -------------------------------------------------------

struct SqliteHandle {
    sqlite3* db = nullptr;
    ~SqliteHandle() { sqlite3_close(db); }
};

void openSqlite(SqliteHandle& h, const QString& path, int flags)
{
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &h.db, flags, nullptr) != SQLITE_OK)
        throw Error(QStringLiteral("cannot open %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(h.db))));
    // Desks write in short transactions: wait for them rather than fail.
    sqlite3_busy_timeout(h.db, 10000);
}

// Copies the whole database `from` into `to` (replacing its content). Pages are copied in
// steps; when a desk writes in between, SQLite starts over, so what lands is one consistent
// moment of the clinic.
void sqliteCopy(const QString& from, const QString& to, bool createTarget)
{
    SqliteHandle src, dst;
    openSqlite(src, from, SQLITE_OPEN_READONLY);
    openSqlite(dst, to, SQLITE_OPEN_READWRITE | (createTarget ? SQLITE_OPEN_CREATE : 0));
    sqlite3_backup* b = sqlite3_backup_init(dst.db, "main", src.db, "main");
    if (!b) throw Error(QStringLiteral("cannot copy %1 to %2: %3").arg(from, to, QString::fromUtf8(sqlite3_errmsg(dst.db))));
    int rc;
    int waits = 0;
    while ((rc = sqlite3_backup_step(b, 256)) == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        if (rc != SQLITE_OK) {
            if (++waits > 600) break; // a minute of a lock held elsewhere: give up, say so
            QThread::msleep(100);
        }
    }
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        throw Error(QStringLiteral("copying %1 to %2 failed: %3").arg(from, to, QString::fromUtf8(sqlite3_errstr(rc))));
}

// A backup is one self-contained file (no -wal beside it to lose when it is moved); the desks
// put a restored database back into WAL mode when they open it.
void singleFile(const QString& path)
{
    SqliteHandle h;
    openSqlite(h, path, SQLITE_OPEN_READWRITE);
    if (sqlite3_exec(h.db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) != SQLITE_OK)
        throw Error(QStringLiteral("cannot finish the backup %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(h.db))));
}

bool isSQLiteFile(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3", 16);
}

// --- PostgreSQL: pg_dump / pg_restore --------------------------------------------------------

// The server's URL for the client programs, without its password: that goes through the
// environment, where other users of the machine cannot read it in the process list.
void runPgTool(const QString& program, QStringList args, const QString& url)
{
    QUrl u(url);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!u.password().isEmpty()) {
        env.insert(QStringLiteral("PGPASSWORD"), u.password());
        u.setPassword(QString());
    }
    args << QStringLiteral("--dbname=") + u.toString(QUrl::FullyEncoded);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted())
        throw Error(QStringLiteral("cannot run %1 (install the Debian package postgresql-client)").arg(program));
    p.waitForFinished(-1);
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw Error(QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(p.readAllStandardError()).trimmed()));
}

bool isPgDump(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(5) == "PGDMP";
}

qint64 receiptCount(db::Connection& c)
{
    if (db::schema::currentVersion(c) == 0) return 0;
    db::Query q(c, QStringLiteral("SELECT count(*) FROM 收费收据表"));
    q.exec();
    return q.next() ? q.integer(0) : 0;
}

void refuseOverReceipts(db::Connection& c, bool force, const QString& what)
{
    if (force) return;
    if (const qint64 n = receiptCount(c); n > 0)
        throw Error(QStringLiteral("%1 already holds %2 receipts: %3 would replace them. Back it up first, "
                                   "then add --force to replace it.")
                        .arg(c.displayUrl()).arg(n).arg(what));
}

// --- copy: table by table -----------------------------------------------------------------

// Table names as the database spells them, keyed case-blind: PostgreSQL folds unquoted names
// to lower case, SQLite keeps them as written.
QMap<QString, QString> clinicTables(db::Connection& c)
{
    QMap<QString, QString> tables;
    // Rows the target makes itself are not copied: its triggers keep the prepaid accounts' sums
    // and the patients' name fragments as the rows they follow come in (a copy would count
    // them twice), and its migrations fill the table of positions.
    static const QStringList derived{QStringLiteral("PrePaySum_Table"), QStringLiteral("姓名片段表"),
                                     QStringLiteral("序数表")};
    for (const QString& t : c.tables()) {
        if (t.startsWith(QLatin1String("sqlite_")) || derived.contains(t, Qt::CaseInsensitive)) continue;
        tables.insert(t.toLower(), t);
    }
    return tables;
}

QString quoted(db::Connection& c, const QString& name)
{
    return c.quoteIdentifier(name);
}

// A table's columns as the database spells them, in their order.
QStringList columnsOf(db::Connection& c, const QString& table)
{
    db::Query q(c, QStringLiteral("SELECT * FROM %1 WHERE 1=0").arg(quoted(c, table)));
    q.exec();
    QStringList names;
    for (int i = 0; i < q.columnCount(); ++i) names << q.columnName(i);
    return names;
}

// After rows came in with their own keys, PostgreSQL's identity columns must hand out keys
// above them; SQLite's integer keys already do.
void advanceIdentities(db::Connection& c, const QString& table)
{
    db::Query cols(c, QStringLiteral("SELECT column_name FROM information_schema.columns WHERE table_name = ? "
                                     "AND table_schema = current_schema() AND is_identity = 'YES'"),
                   {table});
    cols.exec();
    QStringList names;
    while (cols.next()) names << cols.text(0);
    for (const QString& col : names) {
        db::Query(c, QStringLiteral("SELECT setval(pg_get_serial_sequence(?, ?), coalesce((SELECT max(%1) FROM %2), 0) + 1, false)")
                         .arg(quoted(c, col), quoted(c, table)),
                  {quoted(c, table), col})
            .exec();
    }
}

} // namespace

void backupDatabase(const QString& url, const QString& file)
{
    if (QFileInfo::exists(file)) throw Error(QStringLiteral("%1 already exists: choose a new file name").arg(file));
    // Written beside the target and renamed at the end: a half-made backup never has its name.
    const QString partial = file + QStringLiteral(".partial");
    QFile::remove(partial);
    try {
        if (isSQLiteUrl(url)) {
            const QString path = url.mid(7);
            if (!QFileInfo::exists(path)) throw Error(QStringLiteral("no database at %1").arg(path));
            sqliteCopy(path, partial, true);
            singleFile(partial);
        } else {
            auto c = db::Connection::open(url); // a clear message for a wrong URL before pg_dump runs
            runPgTool(QStringLiteral("pg_dump"), {QStringLiteral("--format=custom"), QStringLiteral("--no-owner"),
                                                  QStringLiteral("--file=") + partial},
                      url);
        }
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (!QFile::rename(partial, file)) {
        QFile::remove(partial);
        throw Error(QStringLiteral("cannot name the backup %1").arg(file));
    }
}

void restoreDatabase(const QString& file, const QString& url, bool force)
{
    if (!QFileInfo::exists(file)) throw Error(QStringLiteral("no backup file at %1").arg(file));
    if (isSQLiteUrl(url)) {
        if (!isSQLiteFile(file))
            throw Error(QStringLiteral("%1 is not a SQLite backup (a PostgreSQL backup goes back with "
                                       "restore to a postgresql:// URL; calvane copy moves a clinic between the two)")
                            .arg(file));
        const QString path = url.mid(7);
        const bool exists = QFileInfo::exists(path);
        if (exists) {
            auto c = db::Connection::open(url);
            refuseOverReceipts(*c, force, QStringLiteral("the restore"));
        }
        sqliteCopy(file, path, !exists);
        return;
    }
    if (!isPgDump(file))
        throw Error(QStringLiteral("%1 is not a PostgreSQL backup made by calvane backup (a SQLite backup goes "
                                   "back with restore to a sqlite: URL)")
                        .arg(file));
    {
        auto c = db::Connection::open(url);
        refuseOverReceipts(*c, force, QStringLiteral("the restore"));
    }
    // One transaction: a restore that fails half way leaves the database as it was.
    runPgTool(QStringLiteral("pg_restore"), {QStringLiteral("--clean"), QStringLiteral("--if-exists"),
                                             QStringLiteral("--no-owner"), QStringLiteral("--single-transaction"), file},
              url);
}

qint64 copyDatabase(const QString& fromUrl, const QString& toUrl, bool force)
{
    auto from = db::Connection::open(fromUrl);
    const int version = db::schema::currentVersion(*from);
    if (version == 0) throw Error(QStringLiteral("%1 holds no clinic").arg(from->displayUrl()));
    if (version < db::schema::latestVersion())
        throw Error(QStringLiteral("%1 is at schema version %2: upgrade it first with calvane init %1")
                        .arg(from->displayUrl())
                        .arg(version));
    if (isSQLiteUrl(toUrl) && !QFileInfo::exists(toUrl.mid(7)))
        throw Error(QStringLiteral("no database at %1 (create it first with: calvane init %2)").arg(toUrl.mid(7), toUrl));
    auto to = db::Connection::open(toUrl);
    if (to->displayUrl() == from->displayUrl()) throw Error(QStringLiteral("the two databases are the same"));
    refuseOverReceipts(*to, force, QStringLiteral("the copy"));
    db::schema::migrate(*to);

    const QMap<QString, QString> source = clinicTables(*from), target = clinicTables(*to);
    for (auto it = source.cbegin(); it != source.cend(); ++it)
        if (!target.contains(it.key())) throw Error(QStringLiteral("%1 has no table %2").arg(to->displayUrl(), it.value()));

    qint64 copied = 0;
    db::Transaction tx(*to);
    for (auto it = source.cbegin(); it != source.cend(); ++it) {
        const QString& table = target[it.key()];
        // The target's own columns, matched case-blind to the source's.
        const QStringList targetColumns = columnsOf(*to, table);
        const QStringList sourceColumns = columnsOf(*from, it.value());
        QStringList src, dst, marks;
        for (const QString& name : sourceColumns) {
            const auto j = std::find_if(targetColumns.cbegin(), targetColumns.cend(),
                                        [&name](const QString& t) { return t.compare(name, Qt::CaseInsensitive) == 0; });
            if (j == targetColumns.cend()) throw Error(QStringLiteral("%1 has no column %2.%3").arg(to->displayUrl(), table, name));
            src << quoted(*from, name);
            dst << quoted(*to, *j);
            marks << QStringLiteral("?");
        }
        db::Query(*to, QStringLiteral("DELETE FROM %1").arg(quoted(*to, table))).exec();
        db::Query read(*from, QStringLiteral("SELECT %1 FROM %2").arg(src.join(u','), quoted(*from, it.value())));
        read.exec();
        const QString insert =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(quoted(*to, table), dst.join(u','), marks.join(u','));
        while (read.next()) {
            QVariantList values;
            for (int i = 0; i < src.size(); ++i) values << read.value(i);
            db::Query(*to, insert).bindAll(values).exec();
            ++copied;
        }
        if (!to->isSQLite()) advanceIdentities(*to, table);
    }
    tx.commit();
    return copied;
}

} // namespace backup
