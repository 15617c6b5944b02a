#include "common/OleDate.h"
#include <cmath>

namespace oledate {

namespace {
const QDate epoch(1899, 12, 30);
}

QDateTime toDateTime(double oleDate)
{
    // The range an OLE date can hold (year 100 to 9999); anything else is no date.
    if (!std::isfinite(oleDate) || oleDate < -657434.0 || oleDate >= 2958466.0) return QDateTime();
    double days = std::trunc(oleDate);
    double fraction = std::fabs(oleDate - days);
    qint64 secs = std::llround(fraction * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        days += 1; // the fraction counts forward from midnight on either side of the epoch
    }
    const QDate d = epoch.addDays(static_cast<qint64>(days));
    // The last second of 9999-12-31 can round up to midnight of a year 10000 no column holds.
    if (d.year() > 9999) return QDateTime();
    return QDateTime(d, QTime(0, 0).addSecs(static_cast<int>(secs)));
}

double fromDateTime(const QDateTime& t)
{
    const qint64 days = epoch.daysTo(t.date());
    const double fraction = QTime(0, 0).secsTo(t.time()) / 86400.0;
    return days >= 0 ? days + fraction : days - fraction;
}

} // namespace oledate
