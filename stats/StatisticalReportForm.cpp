#include "stats/StatisticalReportForm.h"

namespace stats {

StatisticalReportForm::StatisticalReportForm(db::ConnectionPtr connection, Inputs inputs)
    : labels(receipt::defaultCategoryLabels()), connection_(std::move(connection)), inputs_(std::move(inputs))
{
    first = last = QDate::currentDate();
    lines = {accountHeading()};
    shown_ = {first, last, ReportMode::Account, inputs_.operatorName};
}

void StatisticalReportForm::open()
{
    first = last = connection_->serverTime().date();
    shown_.first = shown_.last = first;
    receipt::LoadCategoryLabels(*connection_, labels);
}

void StatisticalReportForm::statistics(const Progress& progress)
{
    const ReportRequest request{first, last, mode, inputs_.operatorName};
    lines = statisticalReport(*connection_, labels, request, progress);
    shown_ = request;
}

ReportPage StatisticalReportForm::page(const QDateTime& printedAt) const
{
    return {inputs_.clinic, inputs_.operatorName, shown_.first, shown_.last, printedAt, shown_.mode, lines};
}

} // namespace stats
