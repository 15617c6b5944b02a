#pragma once
#include "admin/CashierRegister.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

// The look-up tables the discount and member rules read, as a manager keeps them at the desk:
// the member ranks and their rates, the two fee-volume band tables, the money cards, the points
// bands with their card types, and the points each fee earns. None of them is referred to by
// key from a stored row, and their checks span rows (bands may not overlap, names are unique),
// so each is edited as a whole: loaded, changed on screen, and written back in one transaction
// only while it is still as loaded.
namespace ratetables
{

using cashiers::Outcome;

enum TableId { MemberRanks, CurrentFeeBands, CumulativeFeeBands, MoneyCards, PointsBands, PointsFactors };

// How a column is typed and checked.
enum class Kind {
    Name,      // a name the rules look up: not empty, unique in its table (as the look-ups compare)
    Text,      // a name that must be given, not necessarily unique
    Rate,      // a rate the rule applies, 0 to 1
    Amount,    // yuan, not below 0, to the fen
    CardValue, // a money card: above 1 an amount in yuan, 1 or less a rate
    Points,    // a points total or bound
    Factor,    // points earned per 100 yuan, not below 0
    Choice,    // one of `choices`, stored as its index (or as the text, see storedChoices)
};

struct Column {
    QString name;  // as the schema names it
    QString label; // what the manager reads
    Kind kind;
    int decimals = 2;     // kept when stored: the decimals the rule's reader keeps
    QStringList choices;  // Kind::Choice: the texts shown
    QStringList storedAs; // Kind::Choice: stored texts; empty: the index is stored
};

struct Table {
    TableId id;
    QString name;  // the schema's table name
    QString title; // the page's title, in the rules' words
    QList<Column> columns;
    QStringList order;  // the columns rows are shown and compared in the order of
    bool bands = false; // the first two columns are exclusive lower and upper bounds
};

const QList<Table>& tables();
const Table& table(TableId id);

// One row as shown and typed: one text per column.
using Row = QStringList;

struct Loaded {
    TableId table = MemberRanks;
    QList<QVariantList> stored; // as stored, for the guard of a save
    QList<Row> rows;
};

extern const QString kChangedElsewhere;

Loaded load(db::Connection& c, TableId id);
// Writes `rows` (blank rows left out) in place of the table's rows when the table is still as
// `loaded`. Bad input, a removal the rules would then misread, or a change by another desk
// since `loaded`: nothing is written and Outcome::message says why.
Outcome save(db::Connection& c, const Loaded& loaded, const QList<Row>& rows);

} // namespace ratetables
