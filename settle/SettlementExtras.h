#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// What a checkout does besides the settlement itself: member points and the conversion of part
// of the fee into prepayment. The category checkout runs them after its commit, the standard
// checkout inside its transaction (both run as a unit of their own there).
namespace settle
{

inline const QString kMemberNotCreated = QStringLiteral("建立该患者的会员信息失败！");
inline const QString kMemberNotLinked = QStringLiteral("建立该患者的会员信息失败1！");

// One amount that earns points: a fee category (item type 0) or a fee item (type 1).
struct PointsLine {
    QString item;
    double amount = 0.0;
};

// Whether settlements earn points (FeeGadeYesNo of Management_table is 1 or -1).
bool PointsEnabled(db::Connection& c);

// The points a settlement earns: for each line above 0, its factor (Grade_Calculte_table,
// NULL 0) × discount × amount × 0.01; negated for a refund receipt.
double SettlementPoints(db::Connection& c, int feeItemType, const QList<PointsLine>& lines, double discount,
                        bool refund);

struct PointsBooking {
    QString patientNumber; // whose member account earns them
    QString memberCode;
    QString patientName;
    QString cashier;
    QDateTime date;
    qint64 receiptId = 0;
};

// Books the points of a settlement when the clinic counts them and the patient has a member
// account, inside the settlement's transaction: points that cannot be booked throw
// SettlementRefused ("会员积分自动修改不成功…") and the settlement goes back. Returns the points
// booked (0 when none).
double BookSettlementPoints(db::Connection& c, int feeItemType, const QList<PointsLine>& lines, double discount,
                            bool refund, const PointsBooking& who);

struct FeeToPrepay {
    bool resettle = false;
    int method = 0;
    double cash = 0.0;      // "现金交款"
    double collected = 0.0; // "实收金额"
    QString patientNumber;
    QString patientName;
    QString cashier;
    QDateTime now;
    qint64 paySheet = 0;    // the payment record the entry comes from
    qint64 caseNumber = 0;
    qint64 receiptId = 0;
};

// The fee-to-prepayment conversion (FeeToPrepayFlag 0 switches it on): FeeToPrepayDiscout % of
// what was paid goes into the patient's account, made on the spot when the patient has none; a
// re-settlement changes the entry of its payment record. Returns the message to show when the
// account could not be made (nothing of the conversion is then kept), nothing otherwise.
std::optional<QString> ConvertFeeToPrepay(db::Connection& c, const FeeToPrepay& f);

// What every checkout books inside its settlement besides the payment: the member points of a
// first settlement and the fee-to-prepayment conversion (its time and payment record are the
// settlement's). Throws SettlementRefused with the cashier's message; the settlement then goes
// back whole.
struct SettlementBookings {
    int feeItemType = 0; // 0: fee categories, 1: catalogue items
    QList<PointsLine> points;
    double discount = 1.0;
    bool refund = false;
    PointsBooking who;
    bool firstSettlement = true; // points are booked once, by the first settlement
    FeeToPrepay conversion;
};
void BookWithSettlement(db::Connection& c, const SettlementBookings& b, qint64 paySheet);

} // namespace settle
