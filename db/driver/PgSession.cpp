#include "db/driver/PgSession.h"
#include "db/driver/PgPlaceholders.h"
#include "db/driver/PgTypes.h"
#include <QtGlobal>
#include <cstdlib>
#include <libpq-fe.h>
#include <utility>

namespace db::driver {

namespace {

// The server's warnings (a COMMIT with no transaction, say) reach the log; its notices ("table
// exists, skipping") are chatter and would otherwise go to the host's stderr.
void receiveNotice(void*, const PGresult* result)
{
    const char* severity = PQresultErrorField(result, PG_DIAG_SEVERITY_NONLOCALIZED);
    if (severity && qstrcmp(severity, "WARNING") == 0)
        qWarning("PostgreSQL: %s", PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
}

ErrorKind kindOf(const QByteArray& state, bool connectionBad)
{
    if (connectionBad || state.startsWith("08") || state.startsWith("57P0")) return ErrorKind::ConnectionLost;
    if (state.startsWith("23")) return ErrorKind::Constraint;
    if (state == "40001") return ErrorKind::Serialization;
    if (state == "40P01") return ErrorKind::Deadlock;
    return ErrorKind::Other;
}

bool succeeded(const PGresult* r)
{
    const auto status = PQresultStatus(r);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

// Statements whose answer can wait for the next statement's: they open a transaction or a
// savepoint or let a savepoint go, and fail only where the statement after them would fail too.
bool deferrable(const QByteArray& sql)
{
    return sql == "BEGIN" || sql.startsWith("SAVEPOINT ") || sql.startsWith("RELEASE SAVEPOINT ");
}

// Takes a PGresult and clears it however the scope is left.
struct Result {
    PGresult* r;
    explicit Result(PGresult* result) : r(result) {}
    ~Result() { PQclear(r); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ExecStatusType status() const { return PQresultStatus(r); }
};

class PgStatement final : public Statement {
public:
    PgStatement(PgSession& session, QByteArray name, int parameters, QString sql)
        : session_(session), name_(std::move(name)), parameters_(parameters), generation_(session.generation()),
          sql_(std::move(sql))
    {
    }

    ~PgStatement() override
    {
        reset();
        // The name would otherwise stay taken on the server for the rest of the session. A
        // session that is gone took its statements with it, and one inside a failed
        // transaction refuses everything until the rollback: then the name just stays.
        PGconn* c = session_.handle();
        if (generation_ != session_.generation() || PQstatus(c) != CONNECTION_OK) return;
        const auto t = PQtransactionStatus(c);
        if (t != PQTRANS_IDLE && t != PQTRANS_INTRANS) return;
        Result(PQexec(c, QByteArray("DEALLOCATE " + name_).constData()));
    }

    void exec(const QVariantList& values) override
    {
        reset();
        if (generation_ != session_.generation())
            throw Error(QStringLiteral("the statement was prepared before the connection was made again [%1]").arg(sql_),
                        ErrorKind::ConnectionLost);
        if (values.size() != parameters_)
            throw Error(QStringLiteral("Parameter count mismatch: %1 values for %2 placeholders [%3]").arg(values.size()).arg(parameters_).arg(sql_));
        std::vector<pg::Parameter> p;
        p.reserve(values.size());
        std::vector<const char*> data(values.size());
        std::vector<int> lengths(values.size());
        std::vector<int> formats(values.size());
        for (qsizetype i = 0; i < values.size(); ++i) {
            p.push_back(pg::encode(values[i]));
            data[i] = p[i].null ? nullptr : p[i].data.constData();
            lengths[i] = int(p[i].data.size());
            formats[i] = p[i].binary ? 1 : 0;
        }
        result_ = session_.runPrepared(name_, parameters_, data.data(), lengths.data(), formats.data(), sql_);
        rows_ = PQntuples(result_);
    }

    bool next() override { return result_ && ++row_ < rows_; }

    int columnCount() const override { return result_ ? PQnfields(result_) : 0; }

    QString columnName(int index) const override
    {
        return result_ ? QString::fromUtf8(PQfname(result_, index)) : QString();
    }

    QVariant value(int index) const override
    {
        if (!result_ || row_ < 0 || row_ >= rows_ || index < 0 || index >= PQnfields(result_)) return {};
        if (PQgetisnull(result_, row_, index)) return {};
        return pg::decode(PQftype(result_, index), PQgetvalue(result_, row_, index), PQgetlength(result_, row_, index));
    }

    int rowsAffected() const override { return result_ ? std::atoi(PQcmdTuples(result_)) : 0; }

    void reset() override
    {
        PQclear(result_);
        result_ = nullptr;
        rows_ = 0;
        row_ = -1;
    }

private:
    PgSession& session_;
    const QByteArray name_;
    const int parameters_;
    const int generation_;
    const QString sql_;
    // The whole result is kept: a statement run while looping over another's rows (a look-up
    // per row) must not disturb them.
    PGresult* result_ = nullptr;
    int rows_ = 0;
    int row_ = -1;
};

} // namespace

PgSession::PgSession(const QString& conninfo) : conninfo_(conninfo)
{
    connect();
}

PgSession::~PgSession()
{
    PQfinish(conn_);
}

void PgSession::connect()
{
    const QByteArray info = conninfo_.toUtf8();
    // A URL without a host means this machine over TCP, as it always has here, rather than
    // libpq's own default of a Unix socket. Entries after the URL override it.
    const bool url = conninfo_.startsWith(QLatin1String("postgresql://")) || conninfo_.startsWith(QLatin1String("postgres://"));
    // Values are read back from their text: dates in ISO order, and doubles with every digit
    // (servers before 12 cut them short otherwise). Set as start-up options, not by a statement
    // of their own: no round trip more per connection. A URL's own options replace these.
    const char* keys[] = {"host", "options", "dbname", "client_encoding", "fallback_application_name", nullptr};
    const char* values[] = {url ? "localhost" : "", "-c DateStyle=ISO -c extra_float_digits=3", info.constData(),
                            "UTF8", "calvane", nullptr};
    conn_ = PQconnectdbParams(keys, values, 1);
    if (!conn_) throw Error(QStringLiteral("out of memory"), ErrorKind::ConnectionLost);
    if (PQstatus(conn_) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
        PQfinish(conn_);
        conn_ = nullptr;
        throw Error(why, ErrorKind::ConnectionLost);
    }
    // Kept by the connection across PQreset.
    PQsetNoticeReceiver(conn_, receiveNotice, nullptr);
}

void PgSession::fail(PGresult* result, const QString& sql) const
{
    const QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QByteArray();
    QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : "").trimmed();
    if (message.isEmpty()) message = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
    PQclear(result);
    const ErrorKind kind = kindOf(state, PQstatus(conn_) != CONNECTION_OK);
    if (message.isEmpty()) message = QStringLiteral("the database gave no reason");
    if (!sql.isEmpty()) message += QStringLiteral(" [") + sql + QLatin1Char(']');
    throw Error(message, kind, QString::fromLatin1(state));
}

std::unique_ptr<Statement> PgSession::prepare(const QString& sql)
{
    // A statement the server refuses aborts the transaction it runs in: the savepoint that
    // would catch that must be there first.
    if (!deferred_.isEmpty()) runText({}, {});
    int parameters = 0;
    const QByteArray text = numberedPlaceholders(sql, &parameters);
    QByteArray name = 's' + QByteArray::number(++statementCounter_);
    PGresult* r = PQprepare(conn_, name.constData(), text.constData(), 0, nullptr);
    if (PQresultStatus(r) != PGRES_COMMAND_OK) fail(r, sql);
    PQclear(r);
    return std::make_unique<PgStatement>(*this, std::move(name), parameters, sql);
}

void PgSession::execute(const QString& sql)
{
    QByteArray text = sql.toUtf8();
    if (deferrable(text)) deferred_.append(std::move(text));
    else runText(text, sql);
}

void PgSession::runText(const QByteArray& text, const QString& sql)
{
    QByteArray all = text;
    QString shown = sql;
    if (!deferred_.isEmpty()) {
        all = std::exchange(deferred_, {}).join("; ");
        if (!text.isEmpty()) all += "; " + text;
        shown = QString::fromUtf8(all);
    }
    PGresult* r = PQexec(conn_, all.constData());
    const auto status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY) fail(r, shown);
    PQclear(r);
}

PGresult* PgSession::runPrepared(const QByteArray& name, int count, const char* const* values, const int* lengths,
                                 const int* formats, const QString& sql)
{
    if (deferred_.isEmpty() || PQenterPipelineMode(conn_) != 1) {
        if (!deferred_.isEmpty()) runText({}, {});
        PGresult* r = PQexecPrepared(conn_, name.constData(), count, values, lengths, formats, 0);
        if (!succeeded(r)) fail(r, sql);
        return r;
    }
    // The statements that waited go out with this one, in one round trip.
    const QList<QByteArray> deferred = std::exchange(deferred_, {});
    bool sent = true;
    for (const QByteArray& d : deferred)
        sent = sent && PQsendQueryParams(conn_, d.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    sent = sent && PQsendQueryPrepared(conn_, name.constData(), count, values, lengths, formats, 0) == 1;
    sent = sent && PQpipelineSync(conn_) == 1;
    PGresult* mine = nullptr;
    PGresult* failure = nullptr;
    QString failedSql = sql;
    // Every answer up to the sync is read, the first failure kept: after it the server skips
    // the rest ("aborted") up to the sync.
    for (qsizetype q = 0; sent && q <= deferred.size(); ++q) {
        while (PGresult* r = PQgetResult(conn_)) {
            if (!failure && PQresultStatus(r) == PGRES_FATAL_ERROR) {
                failure = r;
                if (q < deferred.size()) failedSql = QString::fromUtf8(deferred[q]);
            } else if (q == deferred.size() && !mine && succeeded(r)) {
                mine = r;
            } else {
                PQclear(r);
            }
        }
        if (PQstatus(conn_) != CONNECTION_OK) sent = false;
    }
    if (sent) {
        while (PGresult* r = PQgetResult(conn_)) {
            const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
            PQclear(r);
            if (sync) break;
        }
    }
    PQexitPipelineMode(conn_);
    if (failure || !mine) {
        PQclear(mine);
        fail(failure, failedSql);
    }
    return mine;
}

bool PgSession::alive(QString* why)
{
    if (PQstatus(conn_) == CONNECTION_OK) {
        // The empty statement is the cheapest round trip there is, and it is answered even
        // inside a transaction that a failure has aborted.
        const QByteArray waiting = std::exchange(deferred_, {}).join("; ");
        Result r(PQexec(conn_, waiting.constData()));
        if (r.status() == PGRES_EMPTY_QUERY || r.status() == PGRES_COMMAND_OK) return true;
    }
    if (why) *why = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
    return false;
}

void PgSession::reopen()
{
    ++generation_;
    deferred_.clear();
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK)
        throw Error(QString::fromUtf8(PQerrorMessage(conn_)).trimmed(), ErrorKind::ConnectionLost);
}

QStringList PgSession::tables()
{
    if (!deferred_.isEmpty()) runText({}, {});
    Result r(PQexec(conn_, "SELECT tablename FROM pg_catalog.pg_tables WHERE schemaname = current_schema() ORDER BY 1"));
    if (r.status() != PGRES_TUPLES_OK) fail(std::exchange(r.r, nullptr), QStringLiteral("tables"));
    QStringList names;
    for (int i = 0; i < PQntuples(r.r); ++i) names << QString::fromUtf8(PQgetvalue(r.r, i, 0));
    return names;
}

QString PgSession::quoteIdentifier(const QString& name) const
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

std::unique_ptr<Session> openPostgres(const QString& conninfo)
{
    return std::make_unique<PgSession>(conninfo);
}

} // namespace db::driver
