#pragma once
#include "db/Connection.h"
#include "receipt/FeeCategories.h"
#include "stats/ReportPages.h"
#include "stats/StatisticalReport.h"

namespace stats {

// "统计报表" without widgets: the range, the mode and the result list, and what was counted
// last (the printout follows the list, not a mode chosen since).
class StatisticalReportForm {
public:
    struct Inputs {
        QString clinic;
        QString operatorName;
    };

    StatisticalReportForm(db::ConnectionPtr connection, Inputs inputs);

    // The server's day as both ends, the clinic's labels, the heading line in the list.
    void open();
    // "统  计": replaces the list; Cancelled or a database error leave it as it was.
    void statistics(const Progress& progress = {});
    ReportPage page(const QDateTime& printedAt) const;
    // Whether a range is long enough to be read in slices with progress shown.
    bool isLong() const { return isLongRange(first, last); }

    QDate first;
    QDate last;
    ReportMode mode = ReportMode::Account;
    QStringList lines;
    receipt::CategoryLabels labels;

private:
    db::ConnectionPtr connection_;
    Inputs inputs_;
    ReportRequest shown_; // the request behind the lines
};

} // namespace stats
