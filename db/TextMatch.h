#pragma once
#include "db/Connection.h"
#include <QString>

// The clinic's data was written under SQL Server with a case-insensitive collation, where
// "=" ignores ASCII case and trailing blanks. These build the same comparisons for both of
// our databases; the value always goes in as a bound "?".
namespace db {

// "lower(rtrim(column))=lower(rtrim(?))"
QString sameText(const QString& column);
// "column LIKE ?" ignoring ASCII case (ILIKE on PostgreSQL, LIKE already does on SQLite);
// "%" and "_" are wildcards and nothing escapes them.
QString likeText(const Connection& c, const QString& column);
// The key two texts share when sameText() calls them equal.
QString textKey(const QString& text);

} // namespace db
