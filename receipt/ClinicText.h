#pragma once
#include "db/Connection.h"
#include <QString>

#include "db/TextMatch.h"

// Text compared the way the clinic's original server did (a case-insensitive collation):
// '=' and LIKE ignore ASCII case, '=' also ignores trailing blanks. The SQL fragments take
// their value through one "?" placeholder.
namespace receipt::clinictext {

// column = ?
inline QString equals(const QString& column) { return db::sameText(column); }
// column LIKE ? — "%" and "_" are wildcards and nothing escapes them: PostgreSQL's default
// backslash escape is switched off, so a typed backslash matches itself on both databases.
QString like(const db::Connection& c, const QString& column);
// The column holds no text: NULL, empty or only blanks.
QString isBlank(const QString& column);

// The same rules in code, for grouping and matching rows already read.
inline QString key(const QString& text) { return db::textKey(text); }
inline bool same(const QString& a, const QString& b) { return key(a) == key(b); }
inline bool blank(const QString& text) { return key(text).isEmpty(); }

} // namespace receipt::clinictext
