#pragma once
#include "db/Connection.h"
#include "db/Query.h"
#include <QList>
#include <QPair>
#include <QVariant>

// The clinic library's record operations, with the names the rest of the clinic system knows
// them by. A table and named field values go in; values are always bound, never pasted.
namespace db {

using Field = QPair<QString, QVariant>;
using FieldValues = QList<Field>;

// A condition with "?" placeholders and the values for them. An empty condition selects
// every row (the one-row settings tables are read and written that way).
struct Where {
    QString sql;
    QVariantList values;
};

// Appends one row; returns the new key read back from keyField (0 when keyField is empty).
qint64 AddRecord(Connection& c, const QString& table, const FieldValues& fields, const QString& keyField = QStringLiteral("ID"));
// Sets the named fields in the selected rows; returns how many rows changed.
int ModefyRecord(Connection& c, const QString& table, const FieldValues& fields, const Where& where);
// The same for a brace list ({{"列", value}, …}) as written at the call: its fields go to the
// statement as they stand, without a FieldValues built and copied for every row saved.
qint64 AddRecord(Connection& c, const QString& table, std::initializer_list<Field> fields,
                 const QString& keyField = QStringLiteral("ID"));
int ModefyRecord(Connection& c, const QString& table, std::initializer_list<Field> fields, const Where& where);
// Deletes the selected rows; returns how many.
int DeleteRecord(Connection& c, const QString& table, const Where& where);
// The statements of AddRecord and ModefyRecord with their values bound, not yet run: a save
// sends several ahead together (Query::send) and reads their answers after. insertedKey reads
// the new key from a run insert, as AddRecord returns it.
std::unique_ptr<Query> insertQuery(Connection& c, const QString& table, const FieldValues& fields,
                                   const QString& keyField = QStringLiteral("ID"));
qint64 insertedKey(Query& insert, const QString& table);
std::unique_ptr<Query> modefyQuery(Connection& c, const QString& table, const FieldValues& fields, const Where& where);
// The named field of the first row; a null QVariant when there is no row.
QVariant SelectFieldValue(Connection& c, const QString& sql, const QVariantList& values, const QString& field);
// The named field of every row, in row order.
QVariantList FindRecordValue(Connection& c, const QString& sql, const QVariantList& values, const QString& field);
// The database server's current time.
QDateTime GetServerTime(Connection& c);

// Table and column names come from our own code, never from users; this still refuses any
// name that is not a plain identifier, so a slip can never turn into SQL.
void checkIdentifier(const QString& name);

} // namespace db
