#pragma once
#include "print/Canvas.h"
#include "print/PageRoutine.h"
#include "stats/StatisticalReport.h"
#include <QDateTime>
#include <QStringList>

// The printouts of "统计报表": the account statement, and the department and doctor tables.
namespace stats {

struct ReportPage {
    QString clinic;
    QString operatorName;
    QDate first;
    QDate last;
    QDateTime printedAt; // the serial of the account statement
    ReportMode mode = ReportMode::Account;
    QStringList lines;
};

// The page routine; context is a ReportPage.
void drawReportPage(print::Canvas& dc, const print::PrintInfo& info, void* context);

} // namespace stats
