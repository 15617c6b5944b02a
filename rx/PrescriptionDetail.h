#pragma once
#include "db/Connection.h"
#include "db/Error.h"
#include "rx/MedicineLineList.h"
#include <QList>
#include <QStringList>

// The stored lines of a prescription: table 处方明细表, one row per medicine line, belonging to
// a case-record receipt (ReceiptID) or to a walk-in fee sheet (NonDocReceiptID).
namespace rx {

// The callers' mode flag: 0 is a case-record receipt, anything else a walk-in sheet.
enum class FeeDocument { Receipt, WalkInSheet };
inline FeeDocument feeDocumentOf(qint32 mode) { return mode == 0 ? FeeDocument::Receipt : FeeDocument::WalkInSheet; }

// How the item list shows a line: 名称, 规格, 单位, 单价, 数量, 金额 (amounts "%.2f"), 类别,
// 服用方式, 每次用量, 每日次数, 医保类型, 备注, and the row ID.
QStringList medicineListRow(const MedicineLine& line);

// Loads the stored lines of one fee document, in ID order, onto the head of `lines` (so the
// list then starts with the newest row) and, when rows is given, replaces *rows with their
// list rows in ID order. Returns the sum of their 金额. Document 0 loads nothing. On a database
// failure (db::Error) neither lines nor rows have changed.
double ShowMedicineList(db::Connection& c, FeeDocument kind, qint32 documentId, MedicineLineList& lines,
                        QList<QStringList>* rows);

// Puts a copy of `line` at the head of `lines`; returns the new total of all lines.
double InputMedicineList(MedicineLineList& lines, const MedicineLine& line);

// Stores `lines` for the document: lines with a row ID change their row, the others are added;
// every row gets the document's ID and MedcineOutFlag (1 for a walk-in sheet, whose medicines
// leave the stock when it is saved; 0 for a receipt, whose leave at its checkout). Then the
// rows of the `removed` lines are deleted. All of it in one transaction (a savepoint inside a
// caller's): on a db::Error nothing is written and both lists are as they were. When it ran its
// own transaction, the lines then carry their row IDs and the document's ID and `removed` is
// empty; inside a caller's transaction (which may still roll back) both lists stay as they were.
//
// With `asLoaded` (the lines as a dialog loaded them), a stored line is changed or deleted only
// while its row still holds what was loaded, and LinesChanged is thrown when another desk changed
// or removed one meanwhile. Without it a line is still only changed or deleted under its own
// document.
struct LinesChanged : db::Error {
    using db::Error::Error;
};
void AMDDetailMedicineRecord(db::Connection& c, FeeDocument kind, MedicineLineList& lines, MedicineLineList& removed,
                             qint32 documentId, const MedicineLineList* asLoaded = nullptr);

} // namespace rx
