#include "settle/SettlementExtras.h"
#include <algorithm>
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include "prepay/PrePayCheck.h"
#include "prepay/VipGrade.h"
#include "discount/DiscountLookUps.h"
#include "settle/PaymentMethods.h"
#include "settle/Settlement.h"

using namespace Qt::StringLiterals;

namespace settle
{

namespace
{

QVariant management(db::Connection& c, const QString& column)
{
    return db::SelectFieldValue(c, u"SELECT "_s + column + u" FROM Management_table"_s, {}, column);
}

// A failure of its own inside the conversion: the message the cashier sees.
struct ConversionFailed {
    QString message;
};

} // namespace

bool PointsEnabled(db::Connection& c)
{
    const QVariant v = management(c, u"FeeGadeYesNo"_s);
    if (v.isNull()) return false;
    const qint64 flag = db::toInteger(v);
    return flag == 1 || flag == -1;
}

double SettlementPoints(db::Connection& c, int feeItemType, const QList<PointsLine>& lines, double discount,
                        bool refund)
{
    double points = 0.0;
    for (const PointsLine& line : lines) {
        if (!(line.amount > 0.0)) continue;
        const QVariant factor = db::SelectFieldValue(
            c, u"SELECT FeeGradeCalculter FROM Grade_Calculte_table WHERE FeeItemType=? AND FeeItem=?"_s,
            {feeItemType, line.item}, u"FeeGradeCalculter"_s);
        points += db::toNumber(factor) * discount * line.amount * 0.01;
    }
    return refund ? -points : points;
}

double BookSettlementPoints(db::Connection& c, int feeItemType, const QList<PointsLine>& lines, double discount,
                            bool refund, const PointsBooking& who)
{
    if (!PointsEnabled(c)) return 0.0;
    bool hasAccount = false;
    LookUpPointsRate(c, who.patientNumber, &hasAccount);
    if (!hasAccount) return 0.0;
    const double points = SettlementPoints(c, feeItemType, lines, discount, refund);
    if (points == 0.0) return 0.0;
    // Inside the settlement: points that cannot be booked take the settlement back with them,
    // rather than leaving it settled without its points.
    try {
        prepay::BookPoints(c, who.memberCode, who.patientName, points, 0, who.cashier, who.date, 0, QString(),
                           qint32(who.receiptId));
    } catch (const db::Error& e) {
        throw SettlementRefused(prepay::kPointsNotBooked);
    }
    return points;
}

std::optional<QString> ConvertFeeToPrepay(db::Connection& c, const FeeToPrepay& f)
{
    const QVariant flag = management(c, u"FeeToPrepayFlag"_s);
    // 0, not 1, switches the conversion on.
    if (flag.isNull() || db::toInteger(flag) != 0) return std::nullopt;
    const double rate = db::toNumber(management(c, u"FeeToPrepayDiscout"_s)) * 0.01;
    // Stored to the fen: 10 % of 33.33 is 3.33, not 3.333.
    // A refund pays money back: it converts nothing (a negative deposit could take the account
    // below what its owner has already spent), and a first settlement of nothing opens no account.
    const double amount = std::max(0.0, money::round2(rate * (f.method == PrePayment ? f.cash : f.collected)));
    if (!f.resettle && money::toFen(amount) <= 0) return std::nullopt;
    try {
        db::Transaction tx(c);
        if (f.resettle) {
            const QVariant sheet = db::SelectFieldValue(
                c, u"SELECT 病历收费编号 FROM 病历收费单 WHERE 病历号=? AND ReceiptID=?"_s, {f.caseNumber, f.receiptId},
                u"病历收费编号"_s);
            db::ModefyRecord(c, u"PrePayReg_Table"_s, {{u"PrePay_Money"_s, amount}, {u"PayTime"_s, f.now}},
                             {u"IsFromFeeFlag=?"_s, {db::toInteger(sheet)}});
        } else {
            qint32 account = prepay::FindPrePayAccount(c, f.patientNumber);
            if (account == 0) {
                try {
                    account = qint32(db::AddRecord(c, u"PrePay_Table"_s,
                                                   {{u"VIP_date"_s, f.now},
                                                    {u"VIP_CODE"_s, f.patientNumber},
                                                    {u"PrePayer_Name"_s, f.patientName},
                                                    {u"PrePayer_type"_s, 0},
                                                    {u"Call"_s, QString()},
                                                    {u"VIP_address"_s, QString()},
                                                    {u"VIP_note"_s, QString()},
                                                    {u"VIP_grade_value"_s, 0.0},
                                                    {u"VIP_card_type"_s, QString()}}));
                } catch (const db::Error&) {
                    throw ConversionFailed{kMemberNotCreated};
                }
                try {
                    db::AddRecord(c, u"PrePayUserSheet_Table"_s,
                                  {{u"PrePayer_ID"_s, account},
                                   {u"Patient_Code"_s, f.patientNumber},
                                   {u"AgreeUsePrePay_Man"_s, f.cashier},
                                   {u"Checker"_s, f.cashier},
                                   {u"RegTime"_s, f.now},
                                   {u"note"_s, QString()}});
                } catch (const db::Error&) {
                    throw ConversionFailed{kMemberNotLinked};
                }
            }
            db::AddRecord(c, u"PrePayReg_Table"_s,
                          {{u"PrePayer_ID"_s, account},
                           {u"PrePay_Money"_s, amount},
                           {u"PrePay_IO"_s, 0},
                           {u"PayMoney_Man"_s, f.patientName},
                           {u"Checker"_s, f.cashier},
                           {u"PayTime"_s, f.now},
                           {u"note"_s, QString()},
                           {u"PrePayType"_s, -1},
                           {u"IsFromFeeFlag"_s, f.paySheet}});
        }
        tx.commit();
    } catch (const ConversionFailed& e) {
        return e.message;
    } catch (const std::exception&) {
        return u"发生错误!"_s;
    }
    return std::nullopt;
}

void BookWithSettlement(db::Connection& c, const SettlementBookings& b, qint64 paySheet)
{
    if (b.firstSettlement) BookSettlementPoints(c, b.feeItemType, b.points, b.discount, b.refund, b.who);
    FeeToPrepay f = b.conversion;
    f.now = c.serverTime();
    f.paySheet = paySheet;
    if (const std::optional<QString> refused = ConvertFeeToPrepay(c, f)) throw SettlementRefused(*refused);
}

} // namespace settle
