#include "discount/DiscountLookUps.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"

namespace discount
{

namespace
{

// Rates and card values are single-precision in the clinic's tables: widen what a float
// holds, then keep three decimals.
double floatRounded3(double stored)
{
    return money::round3(static_cast<double>(static_cast<float>(stored)));
}

int lookUpBandRate(db::Connection& c, const QString& table, double& rate, double amount)
{
    // The amount was printed into the condition with five decimals.
    const double bound = money::round5(amount);
    db::Query q(c, QStringLiteral("SELECT Discout FROM %1 WHERE MinMoney < ? AND MaxMoney > ?").arg(table),
                {bound, bound});
    q.exec();
    if (!q.next())
        return 1;
    if (!q.isNull(QStringLiteral("Discout")))
        rate = money::round5(q.number(QStringLiteral("Discout")));
    return 0;
}

} // namespace

int LookUpMember(db::Connection& c, const QString& patientNumber, MemberData& member, double& rankRate)
{
    db::Query q(c,
                QStringLiteral("SELECT IS_VIP,VIP_Rank_Name,VIP_Code FROM 病人简历表 "
                               "WHERE lower(rtrim(病人编号)) = lower(rtrim(?))"),
                {patientNumber});
    q.exec();
    member.isMember = q.next() ? static_cast<int>(q.integer(QStringLiteral("IS_VIP"))) : 0;
    if (member.isMember == 1) {
        member.rankName = q.text(QStringLiteral("VIP_Rank_Name"));
        member.memberCode = q.text(QStringLiteral("VIP_Code"));
        rankRate = LookUpRankRate(c, member.rankName);
    } else {
        member.rankName.clear();
        rankRate = 1.0;
    }
    return 0;
}

double LookUpRankRate(db::Connection& c, const QString& rankName)
{
    db::Query q(
        c,
        QStringLiteral("SELECT DiscountValue FROM Discount_table WHERE lower(rtrim(DiscountName)) = lower(rtrim(?))"),
        {rankName});
    q.exec();
    if (!q.next() || q.isNull(QStringLiteral("DiscountValue")))
        return 1.0;
    return floatRounded3(q.number(QStringLiteral("DiscountValue")));
}

double LookUpMoneyCardValue(db::Connection& c, const QString& cardName)
{
    db::Query q(c,
                QStringLiteral("SELECT MoneyCard_Value FROM MoneyCard_Table "
                               "WHERE lower(rtrim(MoneyCard_Name)) = lower(rtrim(?))"),
                {cardName});
    q.exec();
    if (!q.next() || q.isNull(QStringLiteral("MoneyCard_Value")))
        return 0.0;
    return floatRounded3(q.number(QStringLiteral("MoneyCard_Value")));
}

int LookUpCurrentFeeRate(db::Connection& c, double& rate, double amount)
{
    return lookUpBandRate(c, QStringLiteral("DiscountCurrente_table"), rate, amount);
}

int LookUpCumulativeFeeRate(db::Connection& c, double& rate, double amount)
{
    return lookUpBandRate(c, QStringLiteral("DiscountAccout_table"), rate, amount);
}

double LookUpPointsRate(db::Connection& c, const QString& patientNumber, bool* hasAccount)
{
    if (hasAccount)
        *hasAccount = false;
    QVariant points;
    try {
        const QVariantList found = db::FindRecordValue(
            c,
            QStringLiteral(
                "SELECT VIP_grade_value FROM PrePay_Table WHERE ID IN "
                "(SELECT VIP_ID FROM VIP_PtnSheet_Table WHERE lower(rtrim(Patient_Code)) = lower(rtrim(?)))"),
            {patientNumber}, QStringLiteral("VIP_grade_value"));
        if (found.isEmpty())
            return 1.0;
        if (hasAccount)
            *hasAccount = true;
        points = found.first();
    } catch (const db::Error&) {
        // A failed points read means no points discount, as it always has.
        return 1.0;
    }
    if (points.isNull() || db::toNumber(points) <= 0)
        return 1.0;
    // The points were printed into the condition with "%f".
    const double bound = money::roundTo(db::toNumber(points), 6);
    const QVariant rate = db::scalar(
        c,
        QStringLiteral(
            "SELECT Discout_value FROM Grade_shengji_Calculate_table WHERE VIP_min_value < ? AND VIP_max_value > ?"),
        {bound, bound});
    return rate.isNull() ? 1.0 : db::toNumber(rate);
}

} // namespace discount
