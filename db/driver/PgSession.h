#pragma once
#include "db/driver/Driver.h"
#include <QByteArray>
#include <QList>
#include <vector>

typedef struct pg_conn PGconn;
typedef struct pg_result PGresult;

namespace db::driver {

// A statement's run waiting in the session's queue for its round trip.
class PgQueued {
public:
    // Puts the run on the wire (pipeline mode); false when libpq would not take it.
    virtual bool sendTo(PGconn* conn) = 0;
    // Runs it alone, outside pipeline mode: PQexecPrepared's result.
    virtual PGresult* runAlone(PGconn* conn) = 0;
    // Its answer: a result it now owns, or why it failed (or was never run).
    virtual void answered(PGresult* result) = 0;
    virtual void refused(const Error& why) = 0;
    virtual const QString& sql() const = 0;

protected:
    ~PgQueued() = default;
};

// A PostgreSQL session on libpq. Statements are prepared once on the server under a name of
// this session's own (s1, s2, …) and run with the extended protocol, values as parameters,
// never as text in the SQL. What does not need its answer at once (BEGIN, SAVEPOINT, RELEASE,
// and statements sent with Statement::send) waits in a queue and goes out, in order, in one
// round trip (pipeline mode) with the next thing that needs an answer.
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
    // The failure `result` (or the connection, when there is no result) reports; the result
    // stays the caller's.
    Error errorOf(const PGresult* result, const QString& sql) const;
    [[noreturn]] void fail(PGresult* result, const QString& sql) const;

    // Queues a statement's run; it stays queued until flush().
    void enqueue(PgQueued* statement);
    // Sends everything queued in one round trip and hands each statement its answer. Throws
    // only when a queued text (BEGIN, SAVEPOINT …) failed: a statement's own failure is
    // thrown when that statement is looked at.
    void flush();

private:
    void connect();
    // Runs text (which may be several statements) after whatever is queued.
    void runText(const QByteArray& text, const QString& sql);
    // The queue and then `text` (one statement, or none) in one round trip; throws the text's
    // failure, or that of a queued text when there is no text of its own.
    void runQueued(const QByteArray& text, const QString& sql);

    struct Waiting {
        QByteArray text;              // BEGIN, SAVEPOINT …, or
        PgQueued* statement = nullptr; // a statement's run
    };

    QString conninfo_;
    PGconn* conn_ = nullptr;
    int statementCounter_ = 0;
    int generation_ = 0;
    QList<Waiting> waiting_;
};

} // namespace db::driver
