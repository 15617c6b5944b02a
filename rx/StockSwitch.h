#pragma once
#include "db/Connection.h"
#include <QString>

namespace rx {

// The clinic's stock switch: 0 when prescriptions are checked against the medicine stock and
// taken out of it, any other value when the stock is not kept. Read from the first row of
// Management_table; no row, a NULL or an unreadable table all mean "not kept" (1), so a
// damaged setting never blocks a prescription. A database failure is put into *failure.
qint32 CheckRelationBetweenMedicineAndKB(db::Connection& c, QString* failure = nullptr);

// The same reading for a save that must not go on without it: a failure throws db::Error.
qint32 ReadStockSwitch(db::Connection& c);

} // namespace rx
