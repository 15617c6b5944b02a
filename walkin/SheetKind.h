#pragma once
#include "db/Connection.h"
#include <QString>

// What kind of walk-in sheet an ID names. Both walk-in dialogs store into 无病历收费单: a sheet by
// category amounts keeps them in the twelve category columns, a sheet of catalogue items keeps
// one 收费明细表 line per item, a walk-in prescription carries IsPrescriptionFlag 2. A dialog
// opens only a sheet of its own kind, so that a correction never writes one kind over another.
namespace walkin {

enum class SheetKind {
    Missing,      // no sheet has that ID
    Empty,        // no amounts and no lines: either dialog may take it
    ByCategory,   // amounts in the category columns
    ByItems,      // catalogue item lines
    Prescription, // written by the prescription entry
};

SheetKind kindOfSheet(db::Connection& c, qint64 id);

// The message that refuses to open sheet `id` in the dialog for `wanted` (ByCategory or
// ByItems); empty when the dialog may open it. Throws db::Error when the sheet cannot be read.
QString refusalToOpen(db::Connection& c, qint64 id, SheetKind wanted);

} // namespace walkin
