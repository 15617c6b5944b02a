#pragma once
#include "db/Connection.h"
#include "db/RecordOps.h"
#include <QStringList>
#include <QVariant>
#include <optional>

// Optimistic edits of stored rows.
//
// Several workstations share one database, and a dialog keeps a row on screen while the user
// types. An edit must write only if the row is still exactly as the dialog loaded it: writing
// our copy over a row another desk changed meanwhile would silently undo their work. No lock is
// held while the user types. Instead the UPDATE itself carries the check: its WHERE compares
// every loaded column with the value it was loaded with (NULL-safe), so check and write are one
// statement and nothing can slip in between them.
//
// How a dialog uses it:
//
//   db::Query q(c, u"SELECT * FROM 收费收据表 WHERE ID=?"_s, {id});
//   q.exec();
//   if (q.next()) loaded_ = db::LoadedRow::capture(q, u"收费收据表"_s, u"ID"_s);  // keep it
//   ...
//   switch (db::modifyIfUnchanged(c, *loaded_, fields, {u"rtrim(付款)='未付'"_s, {}})) {
//   case db::EditResult::Written: close the dialog (or loaded_->assign(fields) and go on);
//   case db::EditResult::Changed: say the row was changed at another desk, load it again;
//   case db::EditResult::Gone:    say it was deleted meanwhile.
//   }
//
// kChangedElsewhere is the common message for Changed. The snapshot holds the columns it was
// captured with (all columns of a SELECT *, or those named); load only what the dialog shows
// and writes if other desks may change unrelated columns of the same row without conflict.
namespace db {

class Query;

// What the user is told when an edit finds the row changed by another workstation.
extern const QString kChangedElsewhere;

class LoadedRow
{
  public:
    // The current row of a query that has been exec()'d and next()'d: the key column's value
    // and the named columns (every column of the result when none are named).
    static LoadedRow capture(const Query& query, const QString& table, const QString& keyColumn,
                             const QStringList& columns = {});
    // Reads the named columns (every column when none are named) of table's row keyColumn = key.
    // Nothing when there is no such row.
    static std::optional<LoadedRow> load(Connection& c, const QString& table, const QString& keyColumn,
                                         const QVariant& key, const QStringList& columns = {});

    const QString& table() const { return table_; }
    const QString& keyColumn() const { return keyColumn_; }
    const QVariant& key() const { return key_; }
    // The loaded value of a column (compared ignoring case); a null QVariant when not loaded.
    QVariant value(const QString& column) const;
    // After our own successful write: the row now holds these values.
    void assign(const FieldValues& written);

    // "the row is still as loaded": key = ? AND every loaded column equal to its loaded value,
    // NULL matching NULL.
    Where unchanged(const Connection& c) const;

  private:
    QString table_;
    QString keyColumn_;
    QVariant key_;
    FieldValues values_; // column, loaded value; never the key column
};

enum class EditResult {
    Written, // the row was as loaded (and met the extra condition); the fields are written
    Changed, // the row is there but differs from what was loaded, or fails the extra condition
    Gone,    // no row with that key any more
};

// The same guard for rows a dialog read into its own fields, where the readers turned NULL into
// 0 or "" (a list of lines, say): the key, and every column equal to the value it was read as.
// A QString value is compared as a text, any other as a number. A reader that took NULL for
// something else (a rate read as 1, "no discount") names that value in `nullReadAs`.
Where stillAsRead(const QString& keyColumn, const QVariant& key, const FieldValues& read,
                  const FieldValues& nullReadAs = {});

// Writes the fields into the loaded row if it is still as loaded and also meets `also` (an
// extra condition such as "still unpaid"; may be empty). Runs in the caller's transaction when
// there is one. Database failures throw db::Error as every write does.
EditResult modifyIfUnchanged(Connection& c, const LoadedRow& row, const FieldValues& fields, const Where& also = {});

// Deletes the loaded row if it is still as loaded and meets `also`; same results.
EditResult deleteIfUnchanged(Connection& c, const LoadedRow& row, const Where& also = {});

} // namespace db
