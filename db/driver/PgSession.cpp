#include "db/driver/PgSession.h"
#include "db/driver/PgPlaceholders.h"
#include "db/driver/PgTypes.h"
#include <QtGlobal>
#include <cstdlib>
#include <optional>
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
// savepoint, let a savepoint go, or choose how the statements after them are planned, and fail
// only where the statement after them would fail too.
bool deferrable(const QByteArray& sql)
{
    return sql == "BEGIN" || sql.startsWith("SAVEPOINT ") || sql.startsWith("RELEASE SAVEPOINT ")
        || sql == "SET plan_cache_mode = force_generic_plan" || sql == "RESET plan_cache_mode";
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

class PgStatement final : public Statement, public PgQueued {
public:
    PgStatement(PgSession& session, QByteArray name, int parameters, QString sql)
        : session_(session), name_(std::move(name)), parameters_(parameters), generation_(session.generation()),
          sql_(std::move(sql))
    {
    }

    ~PgStatement() override
    {
        try {
            reset();
        } catch (...) {
            // A run that was sent has gone out; its failure is the transaction's, which fails
            // at its COMMIT.
        }
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
        send(values);
        session_.flush();
        settle();
    }

    void send(const QVariantList& values) override
    {
        reset();
        if (generation_ != session_.generation())
            throw Error(QStringLiteral("the statement was prepared before the connection was made again [%1]").arg(sql_),
                        ErrorKind::ConnectionLost);
        if (values.size() != parameters_)
            throw Error(QStringLiteral("Parameter count mismatch: %1 values for %2 placeholders [%3]").arg(values.size()).arg(parameters_).arg(sql_));
        values_.clear();
        values_.reserve(values.size());
        data_.resize(values.size());
        lengths_.resize(values.size());
        formats_.resize(values.size());
        for (qsizetype i = 0; i < values.size(); ++i) {
            values_.push_back(pg::encode(values[i]));
            data_[i] = values_[i].null ? nullptr : values_[i].data.constData();
            lengths_[i] = int(values_[i].data.size());
            formats_[i] = values_[i].binary ? 1 : 0;
        }
        session_.enqueue(this);
        queued_ = true;
    }

    bool next() override
    {
        settle();
        return result_ && ++row_ < rows_;
    }

    int columnCount() const override
    {
        settle();
        return result_ ? PQnfields(result_) : 0;
    }

    QString columnName(int index) const override
    {
        settle();
        return result_ ? QString::fromUtf8(PQfname(result_, index)) : QString();
    }

    QVariant value(int index) const override
    {
        if (!result_ || row_ < 0 || row_ >= rows_ || index < 0 || index >= PQnfields(result_)) return {};
        if (PQgetisnull(result_, row_, index)) return {};
        return pg::decode(PQftype(result_, index), PQgetvalue(result_, row_, index), PQgetlength(result_, row_, index));
    }

    int rowsAffected() const override
    {
        settle();
        return result_ ? std::atoi(PQcmdTuples(result_)) : 0;
    }

    void reset() override
    {
        // A run that was sent is run: its answer is awaited before the statement is used again.
        if (queued_) session_.flush();
        PQclear(result_);
        result_ = nullptr;
        rows_ = 0;
        row_ = -1;
        failure_.reset();
    }

    bool sendTo(PGconn* conn) override
    {
        return PQsendQueryPrepared(conn, name_.constData(), parameters_, data_.data(), lengths_.data(), formats_.data(), 0) == 1;
    }

    PGresult* runAlone(PGconn* conn) override
    {
        return PQexecPrepared(conn, name_.constData(), parameters_, data_.data(), lengths_.data(), formats_.data(), 0);
    }

    void answered(PGresult* result) override
    {
        queued_ = false;
        PQclear(result_);
        result_ = result;
        rows_ = PQntuples(result_);
        row_ = -1;
    }

    void refused(const Error& why) override
    {
        queued_ = false;
        failure_ = why;
    }

    const QString& sql() const override { return sql_; }

private:
    // Waits for the answer of a run that was sent, and throws its failure.
    void settle() const
    {
        if (queued_) session_.flush();
        if (failure_) throw *failure_;
    }

    PgSession& session_;
    const QByteArray name_;
    const int parameters_;
    const int generation_;
    const QString sql_;
    // The values of the last run, kept until it has gone out.
    std::vector<pg::Parameter> values_;
    std::vector<const char*> data_;
    std::vector<int> lengths_;
    std::vector<int> formats_;
    bool queued_ = false;
    std::optional<Error> failure_;
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

Error PgSession::errorOf(const PGresult* result, const QString& sql) const
{
    const QByteArray state = result ? QByteArray(PQresultErrorField(result, PG_DIAG_SQLSTATE)) : QByteArray();
    QString message = QString::fromUtf8(result ? PQresultErrorMessage(result) : "").trimmed();
    if (message.isEmpty()) message = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
    const ErrorKind kind = kindOf(state, PQstatus(conn_) != CONNECTION_OK);
    if (message.isEmpty()) message = QStringLiteral("the database gave no reason");
    if (!sql.isEmpty()) message += QStringLiteral(" [") + sql + QLatin1Char(']');
    return Error(message, kind, QString::fromLatin1(state));
}

void PgSession::fail(PGresult* result, const QString& sql) const
{
    const Error e = errorOf(result, sql);
    PQclear(result);
    throw e;
}

std::unique_ptr<Statement> PgSession::prepare(const QString& sql)
{
    // A statement the server refuses aborts the transaction it runs in: the savepoint that
    // would catch that must be there first.
    flush();
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
    if (deferrable(text)) waiting_.append(Waiting{std::move(text), nullptr});
    else runText(text, sql);
}

void PgSession::enqueue(PgQueued* statement) { waiting_.append(Waiting{{}, statement}); }

void PgSession::flush()
{
    if (waiting_.isEmpty()) return;
    if (waiting_.size() == 1 && waiting_.front().statement) {
        // One statement alone needs no pipeline.
        PgQueued* s = waiting_.takeFirst().statement;
        PGresult* r = s->runAlone(conn_);
        if (succeeded(r)) {
            s->answered(r);
        } else {
            s->refused(errorOf(r, s->sql()));
            PQclear(r);
        }
        return;
    }
    runQueued({}, {});
}

void PgSession::runText(const QByteArray& text, const QString& sql)
{
    // One statement goes out with what waited; several (a script) after it.
    if (!waiting_.isEmpty() && !text.contains(';')) return runQueued(text, sql);
    flush();
    PGresult* r = PQexec(conn_, text.constData());
    const auto status = PQresultStatus(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && status != PGRES_EMPTY_QUERY) fail(r, sql);
    // A COMMIT in a transaction a failure aborted is answered with a rollback, and no error.
    const bool rolledBack = text.endsWith("COMMIT") && qstrcmp(PQcmdStatus(r), "ROLLBACK") == 0;
    PQclear(r);
    if (rolledBack) throw Error(QStringLiteral("the transaction was rolled back: a statement in it had failed [%1]").arg(sql));
}

void PgSession::runQueued(const QByteArray& text, const QString& sql)
{
    const QList<Waiting> items = std::exchange(waiting_, {});
    std::optional<Error> first;     // the first failure; after it the server skips the rest
    bool textFirst = false;         // the first failure is a queued text's (BEGIN …)
    std::optional<Error> ownFailure; // that of `text`
    const auto fallen = [&](const QString& what) {
        return first ? Error(QStringLiteral("not run: an earlier statement sent with it failed: %1 [%2]").arg(first->message(), what),
                             first->kind(), first->code())
                     : errorOf(nullptr, what);
    };
    bool sent = PQenterPipelineMode(conn_) == 1;
    for (const Waiting& w : items)
        sent = sent && (w.statement ? w.statement->sendTo(conn_)
                                    : PQsendQueryParams(conn_, w.text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1);
    // A rollback runs whatever became of what waited before it: in a transaction a failure has
    // spoilt, what waited fails too (a plan setting, a savepoint), and the server would skip the
    // rest of the pipeline after it, the rollback with it, leaving the transaction open. A sync
    // point between them ends that skipping; inside a transaction block it commits nothing.
    if (text.startsWith("ROLLBACK")) sent = sent && PQpipelineSync(conn_) == 1;
    if (!text.isEmpty()) sent = sent && PQsendQueryParams(conn_, text.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
    sent = sent && PQpipelineSync(conn_) == 1;
    const qsizetype count = items.size() + (text.isEmpty() ? 0 : 1);
    for (qsizetype q = 0; q < count; ++q) {
        PgQueued* statement = q < items.size() ? items[q].statement : nullptr;
        const QString what = statement ? statement->sql() : q < items.size() ? QString::fromUtf8(items[q].text) : sql;
        // An answer is one result and then a null; a lost connection gives no answer at all.
        PGresult* answer = nullptr;
        while (sent) {
            PGresult* r = PQgetResult(conn_);
            if (!r) break;
            if (answer) PQclear(answer);
            answer = r;
        }
        if (PQstatus(conn_) != CONNECTION_OK) sent = false;
        std::optional<Error> failure;
        if (answer && succeeded(answer)) {
            if (!statement && q >= items.size() && text.endsWith("COMMIT") && qstrcmp(PQcmdStatus(answer), "ROLLBACK") == 0)
                failure = Error(QStringLiteral("the transaction was rolled back: a statement in it had failed [%1]").arg(what));
        } else {
            failure = answer && PQresultStatus(answer) == PGRES_FATAL_ERROR && !first ? errorOf(answer, what) : fallen(what);
            if (!first) {
                first = failure;
                textFirst = !statement && q < items.size();
            }
        }
        if (statement) {
            if (failure) statement->refused(*failure);
            else statement->answered(std::exchange(answer, nullptr));
        } else if (failure && q >= items.size()) {
            ownFailure = failure;
        }
        PQclear(answer);
    }
    if (sent) {
        while (PGresult* r = PQgetResult(conn_)) {
            const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
            PQclear(r);
            if (sync) break;
        }
    }
    PQexitPipelineMode(conn_);
    if (ownFailure) throw *ownFailure;
    if (textFirst && text.isEmpty()) throw *first;
}

bool PgSession::alive(QString* why)
{
    if (PQstatus(conn_) == CONNECTION_OK) {
        try {
            flush();
        } catch (const Error&) {
            // What waited failed: the transaction fails with it; the session may still answer.
        }
        // The empty statement is the cheapest round trip there is, and it is answered even
        // inside a transaction that a failure has aborted.
        Result r(PQexec(conn_, ""));
        if (r.status() == PGRES_EMPTY_QUERY || r.status() == PGRES_COMMAND_OK) return true;
    }
    if (why) *why = QString::fromUtf8(PQerrorMessage(conn_)).trimmed();
    return false;
}

void PgSession::reopen()
{
    ++generation_;
    for (const Waiting& w : std::exchange(waiting_, {}))
        if (w.statement)
            w.statement->refused(Error(QStringLiteral("not run: the connection was lost [%1]").arg(w.statement->sql()),
                                       ErrorKind::ConnectionLost));
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK)
        throw Error(QString::fromUtf8(PQerrorMessage(conn_)).trimmed(), ErrorKind::ConnectionLost);
}

QStringList PgSession::tables()
{
    flush();
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
