#include "db/driver/QtSqlSession.h"
#include <QAtomicInteger>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>

namespace db::driver {

namespace {

QAtomicInteger<int> sessionCounter;

ErrorKind kindOf(const QString& sqlState)
{
    if (sqlState.startsWith(QLatin1String("23"))) return ErrorKind::Constraint;
    if (sqlState == QLatin1String("40001")) return ErrorKind::Serialization;
    if (sqlState == QLatin1String("40P01")) return ErrorKind::Deadlock;
    if (sqlState.startsWith(QLatin1String("08")) || sqlState.startsWith(QLatin1String("57P"))) return ErrorKind::ConnectionLost;
    return ErrorKind::Other;
}

Error errorOf(const QSqlError& error, const QString& sql)
{
    QString message = error.text();
    if (!sql.isEmpty()) message += QStringLiteral(" [") + sql + QLatin1Char(']');
    return Error(message, kindOf(error.nativeErrorCode()), error.nativeErrorCode());
}

class QtSqlStatement final : public Statement {
public:
    QtSqlStatement(const QSqlDatabase& db, const QString& sql) : query_(db), sql_(sql)
    {
        // Not forward-only: that switches the driver to row-by-row fetching, and a second
        // statement run while looping over the rows (a look-up per row) would throw the rest
        // of the first one away. The whole result is fetched.
        // QPSQL prepares with SQL's PREPARE, which takes no EXPLAIN: that runs as plain text.
        if (direct_) return;
        if (!query_.prepare(sql)) throw errorOf(query_.lastError(), sql_);
    }
    ~QtSqlStatement() override
    {
        // On a session that is gone the driver complains that it cannot free the statement:
        // a line that says nothing a host needs to hear, the statement having gone with it.
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (previous && !text.startsWith(QLatin1String("Unable to free statement"))) previous(type, context, text);
        });
        query_ = QSqlQuery();
        qInstallMessageHandler(previous);
    }

    void exec(const QVariantList& values) override
    {
        if (direct_ && !values.isEmpty()) throw Error(QStringLiteral("EXPLAIN takes no values here [%1]").arg(sql_));
        for (int i = 0; i < values.size(); ++i) query_.bindValue(i, values[i]);
        if (!(direct_ ? query_.exec(sql_) : query_.exec())) throw errorOf(query_.lastError(), sql_);
        columns_ = query_.record();
    }
    bool next() override
    {
        if (query_.next()) return true;
        if (query_.lastError().type() != QSqlError::NoError) throw errorOf(query_.lastError(), sql_);
        return false;
    }
    int columnCount() const override { return columns_.count(); }
    QString columnName(int index) const override { return columns_.fieldName(index); }
    QVariant value(int index) const override { return query_.value(index); }
    int rowsAffected() const override { return query_.numRowsAffected(); }
    void reset() override { query_.finish(); }

private:
    QSqlQuery query_;
    QString sql_;
    bool direct_ = sql_.trimmed().startsWith(QLatin1String("EXPLAIN"), Qt::CaseInsensitive);
    QSqlRecord columns_;
};

} // namespace

QtSqlSession::QtSqlSession(const QString& url)
{
    name_ = QStringLiteral("calvane-%1").arg(sessionCounter.fetchAndAddRelaxed(1));
    const QUrl u(url);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
    db_.setHostName(u.host().isEmpty() ? QStringLiteral("localhost") : u.host());
    if (u.port() > 0) db_.setPort(u.port());
    if (!u.userName().isEmpty()) db_.setUserName(u.userName());
    if (!u.password().isEmpty()) db_.setPassword(u.password());
    QString dbname = u.path();
    if (dbname.startsWith(QLatin1Char('/'))) dbname = dbname.mid(1);
    db_.setDatabaseName(dbname);
    QStringList options;
    const auto items = QUrlQuery(u).queryItems(QUrl::FullyDecoded);
    for (const auto& [key, value] : items) options << key + QLatin1Char('=') + value;
    if (!options.isEmpty()) db_.setConnectOptions(options.join(QLatin1Char(';')));
    try {
        open();
    } catch (...) {
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
        throw;
    }
}

QtSqlSession::~QtSqlSession()
{
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void QtSqlSession::open()
{
    if (!db_.open()) throw Error(db_.lastError().text(), ErrorKind::ConnectionLost, db_.lastError().nativeErrorCode());
    QSqlQuery(db_).exec(QStringLiteral("SET client_encoding TO 'UTF8'"));
}

std::unique_ptr<Statement> QtSqlSession::prepare(const QString& sql)
{
    return std::make_unique<QtSqlStatement>(db_, sql);
}

void QtSqlSession::execute(const QString& sql)
{
    QSqlQuery q(db_);
    bool ok = q.exec(sql);
    // Run to the end: a failure may come only when the statement finishes.
    while (ok && q.isSelect() && q.next()) {
    }
    if (!ok || q.lastError().type() != QSqlError::NoError) throw errorOf(q.lastError(), sql);
}

bool QtSqlSession::alive(QString* why)
{
    QSqlQuery probe(db_);
    if (db_.isOpen() && probe.exec(QStringLiteral("SELECT 1"))) return true;
    if (why) *why = probe.lastError().text();
    return false;
}

void QtSqlSession::reopen()
{
    db_.close();
    open();
}

QStringList QtSqlSession::tables() { return db_.tables(QSql::Tables); }

QString QtSqlSession::quoteIdentifier(const QString& name) const
{
    return db_.driver()->escapeIdentifier(name, QSqlDriver::TableName);
}

std::unique_ptr<Session> openPostgres(const QString& conninfo) { return std::make_unique<QtSqlSession>(conninfo); }

} // namespace db::driver
