#pragma once
#include "db/Connection.h"
#include "db/Query.h"
#include <QString>
#include <memory>
#include <optional>

namespace prepay {

// Balances of a prepaid account (PrePay_Table.ID), each sum read on its own from the sums the
// database keeps per account (PrePaySum_Table, moved by triggers with every movement row, so
// hosts that write the movement tables keep them too); a database without them is summed
// from the movements. A sum over no
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

// What a settlement may take from the account, read under the settlement's lock on it: every
// movement and bonus less every use, and with exceptSheet less every use but that payment
// record's (a re-settlement). Read in one statement from the account's kept sums, so it costs
// the same whatever the account's history; unlike the balances above a failed read throws
// db::Error instead of counting 0.
double UsablePrePay(db::Connection& c, qint32 account, std::optional<qint64> exceptSheet);
// What a first settlement may take, read in the statement that locks the account and its sums
// (PostgreSQL: FOR UPDATE on both rows, which waits for a desk or host that is booking on the
// account and then reads the sums as that one left them; SQLite: the transaction already holds
// the write lock). Nothing when the account has no sums row yet (or is not there): then lock
// and read it as two statements.
std::unique_ptr<db::Query> LockedUsablePrePayQuery(db::Connection& c, qint32 account);
std::optional<double> LockedUsablePrePay(db::Query& answered);

} // namespace prepay
