#pragma once
#include "db/Connection.h"
#include "receipt/FeeCategories.h"
#include "stats/PaymentForm.h"
#include <QDateTime>
#include <QStringList>

namespace stats {

// "缴款统计" without widgets: the day, the mode, the cashier and the result list.
class PaymentStatisticsForm {
public:
    struct Inputs {
        QString payingUnit;
        QString cashier;
    };
    enum Mode { NoMode = -1, ByClass = 0, ByCategory = 1 }; // the entries of the mode list

    PaymentStatisticsForm(db::ConnectionPtr connection, Inputs inputs);

    // Reads the server's time (the day picked first) and the clinic's category labels.
    void open();
    // "统 计": the list is replaced by the chosen mode's lines; with no mode chosen it is left
    // as it is (false). Database errors pass on and leave the list unchanged.
    bool statistics();
    // The payment form of the list as it stands.
    PaymentForm printForm() const;

    QDateTime date;
    int mode = NoMode;
    QString cashier;
    QStringList lines;
    receipt::CategoryLabels labels;

private:
    db::ConnectionPtr connection_;
    Inputs inputs_;
};

} // namespace stats
