#pragma once
#include "db/Error.h"
#include <QDateTime>
#include <QSqlDatabase>
#include <QHash>
#include <QList>
#include <QSqlQuery>
#include <QString>
#include <memory>

namespace db {

enum class Dialect { SQLite, PostgreSQL };

// One open database, shared by the host and every dialog that works on it (std::shared_ptr
// is the counted reference). Opened from a URL: "sqlite:PATH" or "postgresql://…".
class Connection {
public:
    static std::shared_ptr<Connection> open(const QString& url);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Dialect dialect() const { return dialect_; }
    bool isSQLite() const { return dialect_ == Dialect::SQLite; }
    QSqlDatabase& database() { return db_; }
    // The URL with any password blanked, for messages.
    const QString& displayUrl() const { return displayUrl_; }

    // True when the database still answers. A server that went away (restarted, the network
    // cut) is connected to again, once; when that fails, or the SQLite file is gone (it is
    // never created again here), false and why. Inside a transaction nothing is reopened: the
    // transaction's own statements will fail and roll it back.
    bool ensureAlive(QString* why);

    // The database server's current local time, to the second.
    QDateTime serverTime();

    // Runs one statement without results (DDL, SET …). Values never go here: use db::Query.
    void execute(const QString& sql);

    // Test hook: the Nth statement from now (1 = the next one) fails as if the server refused it.
    void failStatementAfter(int n) { faultCountdown_ = n; }
    // Test hook: the Nth statement from now runs, and then fails at its finishing step, as a
    // full disk makes SQLite fail when a write ends.
    void failStatementFinishAfter(int n) { finishCountdown_ = n; }
    void clearFault() { faultCountdown_ = 0; finishCountdown_ = 0; }
    // Called by every statement before it runs; throws the injected fault when it is due.
    void checkInjectedFault();
    // Called by every statement once it has run to its end; throws the injected fault when due.
    void checkInjectedFinishFault();

    // Transaction nesting (see db::Transaction).
    int transactionDepth() const { return depth_; }
    // A statement failed. On PostgreSQL that aborts the open transaction: every later statement
    // is refused until a rollback (to a savepoint from before the failure), and COMMIT answers
    // with a silent rollback. Remembered so that such a COMMIT fails out loud.
    void noteFailedStatement();

    // Prepared statements are kept for reuse: saving a receipt runs the same few statements
    // over and over, and preparing is most of their cost. A statement is taken out while a
    // db::Query uses it, so the same SQL can run nested; `prepared` says whether it still needs
    // preparing.
    QSqlQuery takeStatement(const QString& sql, bool& prepared);
    void returnStatement(const QString& sql, QSqlQuery&& statement);

private:
    friend class Transaction;
    Connection() = default;
    void dropStatements();

    QSqlDatabase db_;
    QString name_;
    QString displayUrl_;
    Dialect dialect_ = Dialect::SQLite;
    int faultCountdown_ = 0;
    int finishCountdown_ = 0;
    int depth_ = 0;
    int failedDepth_ = 0; // PostgreSQL: the outermost depth at which a statement failed; 0 none
    QHash<QString, QList<QSqlQuery>> statements_;
    int cachedCount_ = 0;
};

using ConnectionPtr = std::shared_ptr<Connection>;

// The URL as it may be printed: passwords (user:password@ and password= parameters) blanked,
// and cut short when it is absurdly long.
QString redactedUrl(const QString& url);

} // namespace db
