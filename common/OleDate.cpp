#include "common/OleDate.h"
#include <cmath>

namespace oledate {

namespace {
const QDate epoch(1899, 12, 30);
}

QDateTime toDateTime(double oleDate)
{
    double days = std::trunc(oleDate);
    double fraction = std::fabs(oleDate - days);
    qint64 secs = std::llround(fraction * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        days += oleDate < 0 ? -1 : 1;
    }
    const QDate d = epoch.addDays(static_cast<qint64>(days));
    return QDateTime(d, QTime(0, 0).addSecs(static_cast<int>(secs)));
}

double fromDateTime(const QDateTime& t)
{
    const qint64 days = epoch.daysTo(t.date());
    const double fraction = QTime(0, 0).secsTo(t.time()) / 86400.0;
    return days >= 0 ? days + fraction : days - fraction;
}

} // namespace oledate
