#pragma once
#include "db/Connection.h"
#include <QList>
#include <QPair>
#include <QString>

namespace db {

// A small dental clinic to try the module on: departments, doctors and nurses, the fee
// catalogue, medicines with stock, discount settings, members and prepaid accounts,
// vouchers, tickets, and a dozen patients with receipts in every state. Dates are relative
// to the server's today. Loads in one transaction into a freshly migrated database, and
// refuses (changing nothing) a database that already holds clinic data.
void loadDemoClinic(Connection& c);

// What a loaded clinic holds, area by area, for a person to read.
QList<QPair<QString, qint64>> demoClinicSummary(Connection& c);

} // namespace db
