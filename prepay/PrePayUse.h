#pragma once
#include "db/Connection.h"
#include "db/Query.h"
#include <QDateTime>
#include <QString>
#include <memory>

namespace prepay {

// Books how much of a settlement (payment record paySheet) was paid from a prepaid account,
// in PrePayUseReg_Table. First settlement (resettle other than 1): adds the use. Re-settlement
// paid from prepayment (paidByPrePay 1): changes the record's use (adds it when the record
// was paid otherwise before). Re-settlement paid otherwise: removes the record's use.
//
// Runs as a unit of its own (a savepoint inside the caller's transaction), shows nothing and
// returns false when it could not be booked, so the caller can undo its settlement. A new use
// needs an account (above 0) and a finite amount.
bool RecordPrePayUse(db::Connection& c, int resettle, int paidByPrePay, const QString& patientCode, double amount,
                     const QString& cashier, const QDateTime& time, const QString& note, qint32 paySheet,
                     qint32 account);
// The same, throwing the db::Error that stopped it: a settlement needs to know whether the
// database undid its transaction in a way that may be run again.
void BookPrePayUse(db::Connection& c, int resettle, int paidByPrePay, const QString& patientCode, double amount,
                   const QString& cashier, const QDateTime& time, const QString& note, qint32 paySheet, qint32 account);

// A first settlement's use, sent ahead inside the caller's transaction (db::Query::send) and
// without a savepoint of its own: for a settlement that is undone whole when any step fails.
// Throws db::Error at once for a missing account or an amount that is not finite.
std::unique_ptr<db::Query> SendPrePayUse(db::Connection& c, const QString& patientCode, double amount, const QString& cashier,
                                         const QDateTime& time, const QString& note, qint32 paySheet, qint32 account);

} // namespace prepay
