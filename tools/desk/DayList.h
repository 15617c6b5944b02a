#pragma once
#include "db/Connection.h"
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace desk {

// One line of the cashier's day: a receipt written or settled that day, or a walk-in sheet.
struct DayRow {
    bool walkIn = false;
    qint64 id = 0;
    qint64 caseNumber = 0; // the receipt's case; 0 on walk-in sheets
    QDateTime time;   // when it was written
    QString patient;
    QString kind;     // 收费, 标准收费, 处方, 退费 for refunds
    double total = 0; // 合计
    bool paid = false;
    double collected = 0; // taken in that day (a receipt settled on another day: 0)
    QString cashier;      // who took the money; "" while unpaid
};

struct DayList {
    QList<DayRow> rows; // by time
    int receipts = 0;
    int walkIns = 0;
    int unpaid = 0;
    double billed = 0;       // Σ 合计 of the receipts and sheets written that day
    double unpaidTotal = 0;  // Σ 合计 still unpaid
    double collected = 0;    // Σ taken in that day, by everyone
    double collectedBy = 0;  // of which by the given cashier
};

// Everything of `day`: the receipts written or settled that day and the walk-in sheets of
// that day, with their totals; collectedBy counts the money `cashier` took.
DayList loadDayList(db::Connection& c, const QDate& day, const QString& cashier);

// "收据 5 张，合计 1200.00，未付 2 张 300.00；无病案收费单 2 张；实收 900.00，本人实收 600.00"
QString dayTotalsText(const DayList& list);

} // namespace desk
