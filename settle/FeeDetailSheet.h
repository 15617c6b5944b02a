#pragma once
#include "print/Canvas.h"
#include "print/PageRoutine.h"
#include <QDateTime>
#include <QString>

// The "收  费  明  细" sheet the standard checkout prints for a settled receipt.
namespace settle {

struct FeeDetailSheet {
    QString title; // the clinic's receipt title
    QString patientName;
    QString patientNumber;
    QString doctorName;
    QString department;
    QString doctorNumber;
    double amountDue = 0.0;  // 应收金额
    double oldArrears = 0.0; // 原欠款
    double collected = 0.0;  // 实收金额
    double arrears = 0.0;    // 现欠款
    QString cashier;
    QDateTime date; // of the settlement
};

// The page routine; context is a FeeDetailSheet. Old arrears and arrears are printed only
// when above 0.
void drawFeeDetailSheet(print::Canvas& dc, const print::PrintInfo& info, void* context);

} // namespace settle
