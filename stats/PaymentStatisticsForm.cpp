#include "stats/PaymentStatisticsForm.h"
#include "stats/PaymentStatement.h"

namespace stats {

PaymentStatisticsForm::PaymentStatisticsForm(db::ConnectionPtr connection, Inputs inputs)
    : cashier(inputs.cashier), labels(receipt::defaultCategoryLabels()), connection_(std::move(connection)),
      inputs_(std::move(inputs))
{
    date = QDateTime::currentDateTime();
}

void PaymentStatisticsForm::open()
{
    date = connection_->serverTime();
    receipt::LoadCategoryLabels(*connection_, labels);
}

bool PaymentStatisticsForm::statistics()
{
    if (mode == ByCategory) lines = categoryStatement(*connection_, labels, date.date(), cashier);
    else if (mode == ByClass) lines = classStatement(*connection_, date.date(), cashier);
    else return false;
    return true;
}

PaymentForm PaymentStatisticsForm::printForm() const { return {inputs_.payingUnit, date, cashier, lines}; }

} // namespace stats
