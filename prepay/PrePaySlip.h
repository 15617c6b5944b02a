#pragma once
#include "print/Canvas.h"
#include "print/PageRoutine.h"
#include <QDateTime>
#include <QString>

// The slip a patient takes home after paying into a prepaid account.
namespace prepay {

struct PrePaySlip {
    QString clinic;
    qint64 number = 0; // the deposit's row
    qint32 account = 0;
    QString patientName;
    QString patientNumber;
    double amount = 0.0;
    QString method;
    QString payer;
    QString cashier;
    QDateTime time;
    double balance = 0.0; // after the deposit
};

// The page routine; context is a PrePaySlip.
void drawPrePaySlip(print::Canvas& dc, const print::PrintInfo& info, void* context);

} // namespace prepay
