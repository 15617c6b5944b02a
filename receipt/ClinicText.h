#pragma once
#include "db/Connection.h"
#include <QString>

// SQL fragments that compare text the way the clinic's original server did (a case-insensitive
// collation): '=' and LIKE ignore ASCII case, '=' also ignores trailing blanks. Each fragment
// takes its value through one "?" placeholder.
namespace receipt::clinictext {

// column = ?
QString equals(const QString& column);
// column LIKE ? — "%" and "_" are wildcards, nothing escapes them (PostgreSQL's backslash
// escape is switched off so both databases read a pattern alike).
QString like(const db::Connection& c, const QString& column);
// The column holds no text: NULL, empty or only blanks.
QString isBlank(const QString& column);

// The same rules in code, for grouping and matching rows already read.
QString key(const QString& text); // ASCII lower case, trailing blanks dropped
inline bool same(const QString& a, const QString& b) { return key(a) == key(b); }
inline bool blank(const QString& text) { return key(text).isEmpty(); }

} // namespace receipt::clinictext
