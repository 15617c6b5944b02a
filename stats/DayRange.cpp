#include "stats/DayRange.h"
#include <algorithm>

namespace stats {

DayRange DayRange::days(const QDate& first, const QDate& last)
{
    const QDateTime from(first, QTime(0, 0));
    // A last day before the first selects nothing (the report shows zeros).
    const QDateTime until = last < first ? from : QDateTime(last.addDays(1), QTime(0, 0));
    return {from, until};
}

QString DayRange::condition(const QString& column)
{
    return QStringLiteral("%1 >= ? AND %1 < ?").arg(column);
}

QList<DayRange> DayRange::slices(int pieces) const
{
    const qint64 dayCount = from.date().daysTo(until.date());
    if (pieces <= 1 || dayCount <= 1) return {*this};
    const qint64 step = std::max<qint64>(1, (dayCount + pieces - 1) / pieces);
    QList<DayRange> out;
    for (QDateTime start = from; start < until;) {
        QDateTime end(start.date().addDays(step), QTime(0, 0));
        if (end > until) end = until;
        out.append({start, end});
        start = end;
    }
    return out;
}

} // namespace stats
