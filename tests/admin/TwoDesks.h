#pragma once
// Two desks on one new clinic database, each with its own connection: what one desk saves, the
// other reads, and an edit from a row the other changed first is refused.
#include "db/Query.h"
#include "db/Schema.h"
#include "tests/support/TestDb.h"

namespace admintest
{

struct TwoDesks {
    QString url;
    db::ConnectionPtr a, b;
    explicit TwoDesks(const QString& backend) : url(testdb::freshUrl(backend)), a(db::Connection::open(url))
    {
        db::schema::migrate(*a);
        b = db::Connection::open(url);
    }
};

inline qint64 rows(db::Connection& c, const QString& table)
{
    return db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM ") + table));
}

} // namespace admintest
