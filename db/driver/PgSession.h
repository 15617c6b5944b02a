#pragma once
#include "db/driver/Driver.h"
#include <QByteArray>
#include <QList>
#include <vector>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace db::driver {

// A PostgreSQL session on libpq. Statements are prepared once on the server under a name of
// this session's own (s1, s2, …) and run with the extended protocol: one round trip per run,
// values as parameters, never as text in the SQL.
class PgSession final : public Session {
public:
    explicit PgSession(const QString& conninfo);
    ~PgSession() override;
    PgSession(const PgSession&) = delete;
    PgSession& operator=(const PgSession&) = delete;

    std::unique_ptr<Statement> prepare(const QString& sql) override;
    void execute(const QString& sql) override;
    bool alive(QString* why) override;
    void reopen() override;
    QStringList tables() override;
    QString quoteIdentifier(const QString& name) const override;

    PGconn* handle() const { return conn_; }
    // Counts reopenings: a statement prepared before the last one is gone with its backend.
    int generation() const { return generation_; }
    // The failure `result` (or the connection, when there is no result) reports, as db::Error.
    [[noreturn]] void fail(PGresult* result, const QString& sql) const;
    // Runs a prepared statement (with whatever waited to be sent before it); its result, or
    // db::Error.
    PGresult* runPrepared(const QByteArray& name, int count, const char* const* values, const int* lengths,
                          const int* formats, const QString& sql);

private:
    void connect();
    // Sends what waited and then text (either may be empty) as one simple query.
    void runText(const QByteArray& text, const QString& sql);

    QString conninfo_;
    PGconn* conn_ = nullptr;
    int statementCounter_ = 0;
    int generation_ = 0;
    // BEGIN, SAVEPOINT and RELEASE wait to go out with the statement after them: a settlement
    // then costs no round trip for its transaction and savepoints but the COMMIT.
    QList<QByteArray> deferred_;
};

} // namespace db::driver
