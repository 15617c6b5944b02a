#pragma once
#include "db/Connection.h"
#include <QStringList>

namespace desk {

// The cashiers who may sign in at the desk, in the order the clinic entered them (收款员表,
// without those marked 停用). Blank names are left out.
QStringList activeCashiers(db::Connection& c);

} // namespace desk
