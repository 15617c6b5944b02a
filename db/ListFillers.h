#pragma once
#include "db/Connection.h"
#include <QString>
#include <QStringList>
#include <optional>

// The clinic library's drop-down list fillers. They return what a list should offer; the
// dialog puts it into its own control.
//
// A list offers each value once (texts that the database calls equal — ASCII case and
// trailing blanks aside — count as one, the first spelling kept), leaves out NULL and blank
// values, and is ordered as the clinic's database ordered Chinese text (GBK byte order,
// which follows pinyin), so the same list reads the same on every backend.
namespace db {

// The values of one column of a table.
QStringList InitCombox(Connection& c, const QString& table, const QString& field);
// The same for the rows whose flag column is not set (NULL or 0): the items still offered.
QStringList InitComboxUnflagged(Connection& c, const QString& table, const QString& field, const QString& flag);

// The same, for the rows whose filterField equals filterValue (compared like "=" above).
QStringList InitComboxForSpecial(Connection& c, const QString& table, const QString& field,
                                 const QString& filterField, const QString& filterValue);

// How a typed text stands against a column's values.
struct ComboMatch {
    QString value;      // the stored value, spelled as stored
    bool exact = false; // equal to the typed text; false: the first value it is a prefix of
};
// The value equal to the typed text; failing that, the first value (in list order) that
// begins with it; nothing when neither exists or the text is blank.
std::optional<ComboMatch> CheckQueryCombox(Connection& c, const QString& table, const QString& field,
                                           const QString& typedText);

} // namespace db
