#pragma once
#include "db/Connection.h"
#include <QString>

namespace prepay {

// Balances of a prepaid account (PrePay_Table.ID), each sum read on its own. A sum over no
// rows counts 0, and a sum that cannot be read counts 0 and changes none of the others, so a
// number always comes back;
// an account that does not exist has balance 0. failure, when given, receives the first error
// that was counted as 0.

// Deposits and their bonus, less withdrawals and their bonus, less every use.
double GetPrePayTotalMoney(db::Connection& c, qint32 account, QString* failure = nullptr);

// Deposits and their bonus, less withdrawals and their bonus, less the uses of every payment
// record other than paySheet: what the account held before that settlement, for re-settling it.
double GetPrePayBalanceExceptSheet(db::Connection& c, qint32 account, qint32 paySheet,
                                   QString* failure = nullptr);

} // namespace prepay
