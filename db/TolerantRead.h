#pragma once
#include "db/Connection.h"
#include "db/Transaction.h"
#include <exception>

namespace db {

// Runs a read whose failure the caller absorbs (an unreadable sum counts 0, say) and hands the
// failure to onFailure. Inside a transaction the read runs in a savepoint: on PostgreSQL a
// failed statement would otherwise abort the caller's whole transaction, and its save with it.
// Outside one it runs as it is, so reading never takes SQLite's write lock. False when it failed.
template <class Read, class OnFailure>
bool tolerantRead(Connection& c, Read&& read, OnFailure&& onFailure)
{
    try {
        if (c.transactionDepth() == 0) {
            read();
        } else {
            Transaction savepoint(c);
            read();
            savepoint.commit();
        }
        return true;
    } catch (const std::exception& e) {
        onFailure(e);
    }
    return false;
}

} // namespace db
