#pragma once
#include "print/Canvas.h"
#include "print/PageRoutine.h"
#include <QDateTime>
#include <QStringList>

// The day's payment form "缴   款   书" of "缴款统计".
namespace stats {

struct PaymentForm {
    QString payingUnit;
    QDateTime date; // the statistics date as the picker holds it: its time makes the serial
    QString cashier;
    QStringList lines; // the list: heading, one line per category or class, "合计"
};

// The page routine; context is a PaymentForm.
void drawPaymentForm(print::Canvas& dc, const print::PrintInfo& info, void* context);

} // namespace stats
