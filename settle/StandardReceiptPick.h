#pragma once
#include "db/Connection.h"
#include <QString>

// Which receipt the standard checkout settles, checked before its dialog opens. A receipt ID of
// 0 asks for the case's unpaid receipt of catalogue items (never a receipt by categories or a
// prescription, which have no item lines to settle); a negative ID names none. The receipt must
// belong to the case the host names, since the payment record is filed under that case, and
// must hold item lines with amounts: a total summed from no lines would settle nothing.
namespace settle {

struct StandardReceiptPick {
    qint64 receiptId = 0;
    QString refusal; // the cashier's message; empty when the receipt may be settled
};

// Throws db::Error when the receipt cannot be read.
StandardReceiptPick PickStandardReceipt(db::Connection& c, qint64 caseNumber, qint64 receiptId, bool resettle);

} // namespace settle
