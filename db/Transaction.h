#pragma once
#include "db/Connection.h"

namespace db {

// A unit of work that is committed whole or not at all. Rolls back when it leaves scope
// uncommitted (an exception, an early return). Nested transactions become savepoints, so a
// routine that saves on its own can also run inside a caller's larger save.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    void rollback();

private:
    void run(const QString& sql);

    Connection& connection_;
    int level_;
    bool active_ = true;
};

} // namespace db
