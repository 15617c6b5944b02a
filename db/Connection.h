#pragma once
#include "db/Error.h"
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <unordered_map>
#include <vector>

namespace db {

namespace driver {
class Session;
class Statement;
} // namespace driver

struct PreparedStatement;

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
    // The URL with any password blanked, for messages.
    const QString& displayUrl() const { return displayUrl_; }
    // The SQLite database file as opened; empty on PostgreSQL.
    const QString& sqliteFile() const { return sqliteFile_; }

    // True when the database still answers. A server that went away (restarted, the network
    // cut) is connected to again, once; when that fails, or the SQLite file is gone (it is
    // never created again here), false and why. Inside a transaction nothing is reopened: the
    // transaction's own statements will fail and roll it back.
    bool ensureAlive(QString* why);
    // Ends the session: every statement fails until ensureAlive() connects again (which a
    // PostgreSQL server allows; a SQLite connection stays closed).
    void close();

    // The database server's current local time, to the second.
    QDateTime serverTime();

    // Runs one statement without results (DDL, SET …). Values never go here: use db::Query.
    void execute(const QString& sql);

    // PostgreSQL plans a prepared statement with its values for its first runs, then keeps a
    // plan made without them when it judges that one no worse. For look-ups written to walk an
    // index's range whatever the values (the desk's searches), that judgement goes wrong on a
    // large table: every run is planned again, and costs more than the look-up itself. Between
    // on and off, statements use the plan made without values from their first run. It costs no
    // round trip (the setting goes out with the next statement); nothing on SQLite.
    void planWithoutValues(bool on);

    // The user tables, without the database's own, as the database spells them.
    QStringList tables();
    // A table or column name quoted for SQL text, for names the schema gave (never user input).
    QString quoteIdentifier(const QString& name) const;

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
    // A statement sent ahead (Query::send) failed: whatever the database, the transaction
    // must not commit, even when nobody looks at that statement's result.
    void noteUnobservedFailure();

    // Prepared statements are kept for reuse: saving a receipt runs the same few statements
    // over and over, and preparing is most of their cost. A statement is taken out while a
    // db::Query uses it, so the same SQL can run nested; one not prepared yet comes back
    // without its driver statement, and prepare() makes it.
    std::unique_ptr<PreparedStatement> takeStatement(const QString& sql);
    void returnStatement(const QString& sql, std::unique_ptr<PreparedStatement> statement);
    // Prepares for the database; throws db::Error (noted as a failed statement).
    void prepare(PreparedStatement& statement, const QString& sql);

private:
    friend class Transaction;
    Connection();
    void dropStatements();
    driver::Session& session();
    // Runs transaction control (BEGIN, COMMIT, SAVEPOINT …) from a kept statement.
    void control(const QString& sql);

    std::unique_ptr<driver::Session> session_;
    QString url_;
    QString sqliteFile_;
    QString displayUrl_;
    Dialect dialect_ = Dialect::SQLite;
    int faultCountdown_ = 0;
    int finishCountdown_ = 0;
    int depth_ = 0;
    int failedDepth_ = 0; // PostgreSQL: the outermost depth at which a statement failed; 0 none
    std::unordered_map<QString, std::vector<std::unique_ptr<PreparedStatement>>> statements_;
    int cachedCount_ = 0;
    // Counts sessions: a statement prepared on an earlier one is not taken back.
    quint64 generation_ = 0;
    // Counts emptyings of the cache: a statement's remembered slot is good only in its epoch.
    quint64 cacheEpoch_ = 0;
    // The SQL taken last and its slot (in lastEpoch_): a save runs the same statement row after
    // row, and comparing the text is cheaper than hashing it.
    QString lastSql_;
    std::vector<std::unique_ptr<PreparedStatement>>* lastSlot_ = nullptr;
    quint64 lastEpoch_ = 0;
};

using ConnectionPtr = std::shared_ptr<Connection>;

// The URL as it may be printed: passwords (user:password@ and password= parameters) blanked,
// and cut short when it is absurdly long.
QString redactedUrl(const QString& url);

} // namespace db
