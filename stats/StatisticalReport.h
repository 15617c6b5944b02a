#pragma once
#include "db/Connection.h"
#include "receipt/FeeCategories.h"
#include "stats/StatLines.h"
#include <QDate>
#include <QStringList>

// "统计报表": the paid fee receipts and the walk-in fee sheets of a range of days in five fee
// categories and the grand total, as the cashier's account statement, per department or per
// doctor.
namespace stats {

enum class ReportMode { Account = 0, Department = 1, Doctor = 2 };

struct ReportRequest {
    QDate first;
    QDate last;
    ReportMode mode = ReportMode::Account;
    QString operatorName; // "收款员" of the account statement
};

// The columns every report sums, in their order: 西药费, 治疗费, 手术费, 诊疗费, 放射费, 合计.
inline constexpr int ReportColumns = 6;
const QStringList& reportColumns();
// The clinic's labels of the five categories, then "合计".
QStringList reportLabels(const receipt::CategoryLabels& labels);

// "项目#应收#实收#差额", the list's heading when the dialog opens and in the account statement.
QString accountHeading();

// Ranges longer than this many days are read in slices of at most that many days, reporting
// progress between them: a quarter is read in one go, a year in four, five years in twenty.
inline constexpr int SliceDays = 92;
bool isLongRange(const QDate& first, const QDate& last);

// The report's list lines, heading first. progress may stop it (Cancelled).
QStringList statisticalReport(db::Connection& c, const receipt::CategoryLabels& labels, const ReportRequest& request,
                              const Progress& progress = {});

} // namespace stats
