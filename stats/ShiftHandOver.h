#pragma once
#include "db/Connection.h"
#include "print/Canvas.h"
#include "print/PageRoutine.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>

// The shift hand-over (交班): what one cashier, or the whole desk, took on one day, by how it
// was paid, for counting the drawer against it. Every figure is summed in fen from the amounts
// the settlements stored, so the page, the CSV and the drawer agree to the fen.
namespace stats {

struct HandOver {
    QDate day;
    QString cashier; // empty: every cashier of the day

    // What each payment method took (index = MoneyPayed_type). Cash is the cash actually taken:
    // a cash settlement's 收款金额, the cash part (CashMoney) beside any other method, every
    // walk-in sheet and every prepaid top-up paid in cash; refunds given back reduce it.
    std::array<qint64, 8> byMethod{};
    qint64 collected = 0;  // everything taken: settlements, walk-in sheets, top-ups
    int receipts = 0;      // settled receipts (payment records), refunds included
    int sheets = 0;        // walk-in sheets
    int refunds = 0;       // settled refund receipts
    qint64 refunded = 0;   // what they gave back, as a positive amount
    int topUps = 0;        // prepaid top-ups taken at the desk
    qint64 toppedUp = 0;
    int unpaid = 0;        // receipts of the day still unpaid (nobody's yet: the whole desk's)
    qint64 unpaidTotal = 0;

    qint64 cash() const { return byMethod[0]; }
};

// Reads the day; cashier empty for the whole desk. Throws db::Error.
HandOver shiftHandOver(db::Connection& c, const QDate& day, const QString& cashier);

// The hand-over as "项目#金额" lines (heading first): the list, the CSV and the page read them.
QStringList handOverLines(const HandOver& h);

// The printed hand-over; context is a HandOverPage.
struct HandOverPage {
    QString clinic;
    HandOver handOver;
};
void drawHandOver(print::Canvas& dc, const print::PrintInfo& info, void* context);

} // namespace stats
