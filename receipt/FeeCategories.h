#pragma once
#include "db/Connection.h"
#include "db/RecordOps.h"

namespace db {
class Query;
}
#include <QString>
#include <array>

// The twelve fee categories of a category receipt, in their canonical order: the order of the
// amount columns, of the clinic's label slots and of every per-category sum.
namespace receipt {

inline constexpr int CategoryCount = 12;

using CategoryLabels = std::array<QString, CategoryCount>;
using CategoryAmounts = std::array<double, CategoryCount>;

// Column of category i (0-based). A label never names a column: category 4 is stored in
// 整畸费 whatever it is called on screen, category 12 in 其它费用.
const QString& categoryColumn(int index);
// Index of a column name, -1 when it is not one of the twelve.
int categoryIndex(const QString& column);
// The labels a clinic sees until it names the categories itself.
CategoryLabels defaultCategoryLabels();

double sumOf(const CategoryAmounts& amounts);

// The twelve amounts as the columns they are stored in (for a row's fields), and read back from
// the current row of a query (NULL reads 0). Every form of category amounts goes through these.
db::FieldValues categoryFields(const CategoryAmounts& amounts);
CategoryAmounts categoryAmountsOf(const db::Query& row);

// Defaults first, then the clinic's own names (ReceiptItemName_Table, ItemIndex 1–12); a slot
// the clinic has not named (no row, NULL or blank) keeps its default. On a database failure
// the labels set so far stay and db::Error is passed on for the caller to ignore or report.
void LoadCategoryLabels(db::Connection& c, CategoryLabels& labels);

} // namespace receipt
