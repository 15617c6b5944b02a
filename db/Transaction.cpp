#include "db/Transaction.h"

namespace db {

Transaction::Transaction(Connection& connection) : connection_(connection), level_(connection.depth_)
{
    // BEGIN IMMEDIATE takes SQLite's write lock up front, so two workstations saving at once
    // wait for each other instead of failing half-way.
    if (level_ == 0)
        run(connection_.isSQLite() ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    else
        run(QStringLiteral("SAVEPOINT calvane_sp%1").arg(level_));
    ++connection_.depth_;
}

Transaction::~Transaction()
{
    if (active_) {
        try {
            rollback();
        } catch (...) {
            // Leaving scope during an error: the original error is what matters.
        }
    }
}

void Transaction::commit()
{
    if (!active_) throw Error(QStringLiteral("事务已结束"));
    if (level_ == 0 && connection_.failedDepth_ != 0) {
        // PostgreSQL would answer COMMIT with a rollback and no error: the work is lost, so say so.
        rollback();
        throw Error(QStringLiteral("the transaction was rolled back: a statement in it had failed"));
    }
    if (level_ == 0)
        run(QStringLiteral("COMMIT"));
    else
        run(QStringLiteral("RELEASE SAVEPOINT calvane_sp%1").arg(level_));
    active_ = false;
    --connection_.depth_;
}

void Transaction::rollback()
{
    if (!active_) return;
    active_ = false;
    --connection_.depth_;
    if (level_ == 0) {
        connection_.failedDepth_ = 0;
        run(QStringLiteral("ROLLBACK"));
    } else {
        run(QStringLiteral("ROLLBACK TO SAVEPOINT calvane_sp%1").arg(level_));
        // Failures inside the savepoint are undone with it; those from outside it stay.
        if (connection_.failedDepth_ > level_) connection_.failedDepth_ = 0;
        run(QStringLiteral("RELEASE SAVEPOINT calvane_sp%1").arg(level_));
    }
}

void Transaction::run(const QString& sql) { connection_.control(sql); }

} // namespace db
