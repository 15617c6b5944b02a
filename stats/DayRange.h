#pragma once
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantList>

namespace stats {

// The fees of whole days: from the first day's 00:00:00 up to, not including, the 00:00:00 of
// the day after the last. A fee stamped at midnight or at 23:59:59 is counted once, on its day.
struct DayRange {
    QDateTime from;
    QDateTime until; // exclusive

    static DayRange days(const QDate& first, const QDate& last);
    bool isEmpty() const { return from >= until; }
    // "日期 >= ? AND 日期 < ?" for that column, to be bound with values().
    static QString condition(const QString& column = QStringLiteral("日期"));
    QVariantList values() const { return {from, until}; }
    // The range cut into at most `pieces` slices of whole days, in date order, so that a long
    // report can show its progress and stop between slices. Short ranges stay one slice.
    QList<DayRange> slices(int pieces) const;
};

} // namespace stats
