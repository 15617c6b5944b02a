#include "db/Connection.h"
#include "common/SafeFile.h"
#include "common/ShortQuote.h"
#include <QFileInfo>
#include <QAtomicInteger>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace db {

namespace {

QAtomicInteger<int> connectionCounter;

} // namespace

QString redactedUrl(const QString& url)
{
    // Worked on the text, not on a parsed URL: a URL too broken to parse is printed too (in the
    // message that refuses it), and must not show its password either.
    QString s = url;
    static const QRegularExpression userInfo(QStringLiteral("(://[^/@:?#]*:)[^/?#]*@"));
    static const QRegularExpression parameter(QStringLiteral("([?&;]\\s*password\\s*=)[^&;#]*"),
                                              QRegularExpression::CaseInsensitiveOption);
    s.replace(userInfo, QStringLiteral("\\1***@"));
    s.replace(parameter, QStringLiteral("\\1***"));
    return shortQuote(s, 200);
}

std::shared_ptr<Connection> Connection::open(const QString& url)
{
    std::shared_ptr<Connection> c(new Connection);
    c->name_ = QStringLiteral("calvane-%1").arg(connectionCounter.fetchAndAddRelaxed(1));

    if (url.startsWith(QLatin1String("sqlite:"))) {
        QString path = url.mid(7);
        if (path.startsWith(QLatin1String("//"))) path = path.mid(2);
        c->displayUrl_ = redactedUrl(url);
        if (path.isEmpty()) throw Error(QStringLiteral("数据库地址缺少文件路径: %1").arg(c->displayUrl_));
        c->dialect_ = Dialect::SQLite;
        // A new clinic database holds patient data: created readable by its owner only (SQLite
        // gives its journal files the same mode).
        if (path != QLatin1String(":memory:") && !QFileInfo::exists(path)) {
            QString error;
            if (!safefile::createPrivate(path, &error)) throw Error(QStringLiteral("无法创建数据库 %1").arg(error));
        }
        c->db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c->name_);
        c->db_.setDatabaseName(path);
        // A second workstation process may hold the file briefly; wait rather than fail.
        c->db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    } else if (url.startsWith(QLatin1String("postgresql://")) || url.startsWith(QLatin1String("postgres://"))) {
        QUrl u(url);
        c->displayUrl_ = redactedUrl(url);
        if (!u.isValid()) throw Error(QStringLiteral("无法识别的数据库地址: %1").arg(c->displayUrl_));
        c->dialect_ = Dialect::PostgreSQL;
        c->db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), c->name_);
        c->db_.setHostName(u.host().isEmpty() ? QStringLiteral("localhost") : u.host());
        if (u.port() > 0) c->db_.setPort(u.port());
        if (!u.userName().isEmpty()) c->db_.setUserName(u.userName());
        if (!u.password().isEmpty()) c->db_.setPassword(u.password());
        QString dbname = u.path();
        if (dbname.startsWith(QLatin1Char('/'))) dbname = dbname.mid(1);
        c->db_.setDatabaseName(dbname);
        QStringList options;
        const auto items = QUrlQuery(u).queryItems(QUrl::FullyDecoded);
        for (const auto& [key, value] : items) options << key + QLatin1Char('=') + value;
        if (!options.isEmpty()) c->db_.setConnectOptions(options.join(QLatin1Char(';')));
    } else {
        throw Error(QStringLiteral("无法识别的数据库地址: %1 (应为 sqlite:路径 或 postgresql://…)").arg(redactedUrl(url)));
    }

    if (!c->db_.open()) {
        const QString why = c->db_.lastError().text();
        throw Error(QStringLiteral("无法打开数据库 %1: %2").arg(c->displayUrl_, why));
    }
    if (c->isSQLite()) {
        QSqlQuery q(c->db_);
        q.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
        q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    } else {
        QSqlQuery q(c->db_);
        q.exec(QStringLiteral("SET client_encoding TO 'UTF8'"));
    }
    return c;
}

Connection::~Connection()
{
    dropStatements(); // prepared statements must go before their database
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

QSqlQuery Connection::takeStatement(const QString& sql, bool& prepared)
{
    auto it = statements_.find(sql);
    if (it != statements_.end() && !it->isEmpty()) {
        --cachedCount_;
        prepared = true;
        return it->takeLast();
    }
    prepared = false;
    QSqlQuery q(db_);
    // Forward-only saves memory on SQLite. On PostgreSQL it would switch the driver to
    // row-by-row fetching, and a second statement run while looping over the rows (a look-up
    // per row) would throw the rest of the first one away; there the whole result is fetched.
    q.setForwardOnly(isSQLite());
    return q;
}

void Connection::returnStatement(const QString& sql, QSqlQuery&& statement)
{
    // Enough for every statement a dialog runs; past that the cache starts afresh rather than
    // growing with statements that are built from varying column lists.
    constexpr int limit = 256;
    statement.finish();
    if (cachedCount_ >= limit) dropStatements();
    statements_[sql].append(std::move(statement));
    ++cachedCount_;
}

void Connection::checkInjectedFault()
{
    if (faultCountdown_ <= 0) return;
    if (--faultCountdown_ == 0) {
        // As the server's own refusal would.
        noteFailedStatement();
        throw Error(QStringLiteral("injected fault: the statement was refused"));
    }
}

void Connection::checkInjectedFinishFault()
{
    if (finishCountdown_ <= 0) return;
    if (--finishCountdown_ == 0) {
        noteFailedStatement();
        throw Error(QStringLiteral("injected fault: the statement failed as it finished"));
    }
}

void Connection::noteFailedStatement()
{
    if (isSQLite() || depth_ == 0) return; // SQLite undoes just the statement
    if (failedDepth_ == 0 || depth_ < failedDepth_) failedDepth_ = depth_;
}

bool Connection::ensureAlive(QString* why)
{
    if (isSQLite()) {
        // Opening a missing file would make an empty database in its place.
        const QString file = db_.databaseName();
        if (file == QLatin1String(":memory:") || QFileInfo::exists(file)) return true;
        if (why) *why = QStringLiteral("数据库文件已不存在: %1").arg(file);
        return false;
    }
    if (depth_ > 0) return true;
    {
        QSqlQuery probe(db_);
        if (db_.isOpen() && probe.exec(QStringLiteral("SELECT 1"))) return true;
    }
    dropStatements();
    failedDepth_ = 0;
    db_.close();
    if (!db_.open()) {
        if (why) *why = QStringLiteral("无法重新连接数据库 %1: %2").arg(displayUrl_, db_.lastError().text());
        return false;
    }
    QSqlQuery(db_).exec(QStringLiteral("SET client_encoding TO 'UTF8'"));
    return true;
}

void Connection::dropStatements()
{
    // On a session that is gone (a server restarted or stopped) the driver complains, once for
    // every prepared statement, that it cannot free it: hundreds of lines that say nothing a
    // host needs to hear, the statements having gone with the session anyway.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (previous && !text.startsWith(QLatin1String("Unable to free statement"))) previous(type, context, text);
    });
    statements_.clear();
    qInstallMessageHandler(previous);
    cachedCount_ = 0;
}

void Connection::execute(const QString& sql)
{
    checkInjectedFault();
    QSqlQuery q(db_);
    bool ok = q.exec(sql);
    // Run to the end: a failure may come only when the statement finishes.
    while (ok && q.isSelect() && q.next()) {
    }
    if (!ok || q.lastError().type() != QSqlError::NoError) {
        noteFailedStatement();
        throw Error(q.lastError().text() + QStringLiteral(" [") + sql + QLatin1Char(']'));
    }
    checkInjectedFinishFault();
}

QDateTime Connection::serverTime()
{
    checkInjectedFault();
    QSqlQuery q(db_);
    const QString sql = isSQLite() ? QStringLiteral("SELECT datetime('now','localtime')")
                                   : QStringLiteral("SELECT to_char(LOCALTIMESTAMP, 'YYYY-MM-DD HH24:MI:SS')");
    if (!q.exec(sql) || !q.next()) {
        noteFailedStatement();
        throw Error(q.lastError().text());
    }
    QDateTime t = QDateTime::fromString(q.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid()) throw Error(QStringLiteral("服务器时间无法识别: %1").arg(q.value(0).toString()));
    return t;
}

} // namespace db
