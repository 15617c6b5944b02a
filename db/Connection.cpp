#include "db/Connection.h"
#include "common/SafeFile.h"
#include "common/ShortQuote.h"
#include "db/PreparedStatement.h"
#include "db/Query.h"
#include "db/driver/Driver.h"
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace db {

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
    c->url_ = url;
    c->displayUrl_ = redactedUrl(url);
    const auto openSession = [&c](auto&& open) {
        try {
            c->session_ = open();
        } catch (const Error& e) {
            throw Error(QStringLiteral("无法打开数据库 %1: %2").arg(c->displayUrl_, e.message()), e.kind(), e.code());
        }
    };
    if (url.startsWith(QLatin1String("sqlite:"))) {
        QString path = url.mid(7);
        if (path.startsWith(QLatin1String("//"))) path = path.mid(2);
        if (path.isEmpty()) throw Error(QStringLiteral("数据库地址缺少文件路径: %1").arg(c->displayUrl_));
        c->dialect_ = Dialect::SQLite;
        c->sqliteFile_ = path;
        // A new clinic database holds patient data: created readable by its owner only (SQLite
        // gives its journal files the same mode).
        if (path != QLatin1String(":memory:") && !QFileInfo::exists(path)) {
            QString error;
            if (!safefile::createPrivate(path, &error)) throw Error(QStringLiteral("无法创建数据库 %1").arg(error));
        }
        openSession([&] { return driver::openSqlite(path); });
    } else if (url.startsWith(QLatin1String("postgresql://")) || url.startsWith(QLatin1String("postgres://"))) {
        if (!QUrl(url).isValid()) throw Error(QStringLiteral("无法识别的数据库地址: %1").arg(c->displayUrl_));
        c->dialect_ = Dialect::PostgreSQL;
        openSession([&] { return driver::openPostgres(url); });
    } else {
        throw Error(QStringLiteral("无法识别的数据库地址: %1 (应为 sqlite:路径 或 postgresql://…)").arg(c->displayUrl_));
    }
    return c;
}

Connection::Connection() = default;

Connection::~Connection()
{
    dropStatements(); // prepared statements must go before their session
    session_.reset();
}

driver::Session& Connection::session()
{
    if (!session_) throw Error(QStringLiteral("数据库连接已关闭: %1").arg(displayUrl_), ErrorKind::ConnectionLost);
    return *session_;
}

std::unique_ptr<PreparedStatement> Connection::takeStatement(const QString& sql)
{
    // Elements of an unordered_map stay where they are as it grows: the slot is remembered.
    if (!lastSlot_ || lastEpoch_ != cacheEpoch_ || lastSql_ != sql) {
        lastSlot_ = &statements_[sql];
        lastSql_ = sql;
        lastEpoch_ = cacheEpoch_;
    }
    auto& slot = *lastSlot_;
    std::unique_ptr<PreparedStatement> statement;
    if (!slot.empty()) {
        --cachedCount_;
        statement = std::move(slot.back());
        slot.pop_back();
    } else {
        statement = std::make_unique<PreparedStatement>();
        statement->writes = isWrite(sql);
        statement->generation = generation_;
    }
    statement->slot = &slot;
    statement->slotEpoch = cacheEpoch_;
    return statement;
}

void Connection::returnStatement(const QString& sql, std::unique_ptr<PreparedStatement> statement)
{
    // One never prepared, or prepared on a session since replaced, is not worth keeping.
    if (!statement->statement || statement->generation != generation_) return;
    // Enough for every statement a dialog runs; past that the cache starts afresh rather than
    // growing with statements that are built from varying column lists.
    constexpr int limit = 256;
    statement->statement->reset();
    if (cachedCount_ >= limit || statements_.size() > 2 * limit) dropStatements();
    auto& slot = statement->slotEpoch == cacheEpoch_ ? *statement->slot : statements_[sql];
    slot.push_back(std::move(statement));
    ++cachedCount_;
}

void Connection::prepare(PreparedStatement& statement, const QString& sql)
{
    try {
        statement.statement = session().prepare(sql);
        statement.generation = generation_;
        statement.columnsIndexed = -1;
    } catch (const Error&) {
        noteFailedStatement();
        throw;
    }
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

void Connection::noteUnobservedFailure()
{
    if (depth_ == 0) return;
    if (failedDepth_ == 0 || depth_ < failedDepth_) failedDepth_ = depth_;
}

bool Connection::ensureAlive(QString* why)
{
    if (isSQLite()) {
        // Opening a missing file would make an empty database in its place: never reopened.
        // A closed connection to a file still there answers yes, and its statements then fail
        // out loud, each telling what it was about to do.
        if (session_) return session_->alive(why);
        if (QFileInfo::exists(sqliteFile_)) return true;
        if (why) *why = QStringLiteral("数据库文件已不存在: %1").arg(sqliteFile_);
        return false;
    }
    if (depth_ > 0) return true;
    if (session_ && session_->alive(nullptr)) return true;
    dropStatements();
    ++generation_;
    failedDepth_ = 0;
    try {
        if (session_)
            session_->reopen();
        else
            session_ = driver::openPostgres(url_);
    } catch (const Error& e) {
        if (why) *why = QStringLiteral("无法重新连接数据库 %1: %2").arg(displayUrl_, e.message());
        return false;
    }
    return true;
}

void Connection::close()
{
    dropStatements();
    ++generation_;
    session_.reset();
}

void Connection::dropStatements()
{
    statements_.clear();
    cachedCount_ = 0;
    ++cacheEpoch_;
}

void Connection::execute(const QString& sql)
{
    checkInjectedFault();
    try {
        session().execute(sql);
    } catch (const Error&) {
        noteFailedStatement();
        throw;
    }
    checkInjectedFinishFault();
}

void Connection::control(const QString& sql)
{
    try {
        session().execute(sql);
    } catch (const Error&) {
        noteFailedStatement();
        throw;
    }
}

void Connection::planWithoutValues(bool on)
{
    if (isSQLite()) return;
    control(on ? QStringLiteral("SET plan_cache_mode = force_generic_plan") : QStringLiteral("RESET plan_cache_mode"));
}

QStringList Connection::tables() { return session().tables(); }

QString Connection::quoteIdentifier(const QString& name) const
{
    if (!session_) throw Error(QStringLiteral("数据库连接已关闭: %1").arg(displayUrl_), ErrorKind::ConnectionLost);
    return session_->quoteIdentifier(name);
}

QDateTime Connection::serverTime()
{
    checkInjectedFault();
    const QString sql = isSQLite() ? QStringLiteral("SELECT datetime('now','localtime')")
                                   : QStringLiteral("SELECT to_char(LOCALTIMESTAMP, 'YYYY-MM-DD HH24:MI:SS')");
    QString text;
    try {
        auto statement = session().prepare(sql);
        statement->exec({});
        if (!statement->next()) throw Error(QStringLiteral("服务器时间无法读取 [%1]").arg(sql));
        text = statement->value(0).toString();
    } catch (const Error&) {
        noteFailedStatement();
        throw;
    }
    const QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid()) throw Error(QStringLiteral("服务器时间无法识别: %1").arg(text));
    return t;
}

} // namespace db
