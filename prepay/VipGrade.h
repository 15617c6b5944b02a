#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QString>

namespace prepay {

// Said whenever a booking could not be made: the cashier then corrects the points by hand.
inline const QString kPointsNotBooked = QStringLiteral("会员积分自动修改不成功，请手工修改该会员的积分！");

// Books member points for an account (PrePay_Table.ID; 0 or less: the account whose
// VIP_CODE is memberCode). Writes the points record (Grade_Record_table) and the new total;
// when the total moves into another band of Grade_shengji_Calculate_table (bounds exclusive) it
// also sets the new band's card type on the account, adds an upgrade row (Grade_shengji_table) and
// gives every patient linked to the account that rank name. A total in no band keeps the
// grade. points is negative for a refund.
//
// All of it is one unit (a savepoint inside the caller's transaction): when any step fails
// nothing is kept and "会员积分自动修改不成功，请手工修改该会员的积分！" is shown through the
// Prompter. A member code with no account writes nothing. Returns 0. failure, when given,
// receives why nothing was booked (an account look-up that failed, the step that failed).
// The booking of VipGradeSet inside the caller's transaction, showing nothing: throws db::Error
// when the points cannot be booked (no member account, a total out of range, a failed
// statement), so that the caller's whole unit (a settlement) goes back with them.
void BookPoints(db::Connection& c, const QString& memberCode, const QString& patientName, double points,
                qint16 autoFlag, const QString& operatorName, const QDateTime& date, qint32 account,
                const QString& note, qint32 receiptId);

int VipGradeSet(db::Connection& c, const QString& memberCode, const QString& patientName, double points,
                qint16 autoFlag, const QString& operatorName, const QDateTime& date, qint32 account,
                const QString& note, qint32 receiptId, QString* failure = nullptr);

} // namespace prepay
