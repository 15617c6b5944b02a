#pragma once
#include <QDateTime>

// Hosts pass dates as OLE Automation dates: days since 1899-12-30, the fraction being the time
// of day (for dates before 1899-12-30 the fraction still counts forward from midnight).
namespace oledate {

QDateTime toDateTime(double oleDate); // local time, to the second; invalid outside years 100-9999
double fromDateTime(const QDateTime& t);

} // namespace oledate
