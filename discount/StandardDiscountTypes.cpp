#include "discount/StandardDiscountTypes.h"

namespace discount
{

QStringList standardDiscountTypeTexts()
{
    return {QStringLiteral("根据领导批准的折扣打折"), QStringLiteral("根据VIP会员设定打折"),
            QStringLiteral("根据收费标准设定打折"), QStringLiteral("根据会员级别按项目打折")};
}

QString standardDiscountNote(int type)
{
    switch (type) {
    case LeaderApprovedRate:
        return QStringLiteral("根据领导批准的折扣打折");
    case VipMemberRate:
        return QStringLiteral("根据VIP折扣");
    case FeeStandardRate:
        return QStringLiteral("根据收费项目折扣");
    case MemberRankPerItem:
        return QStringLiteral("根据会员级别按项目打折");
    default:
        return {};
    }
}

bool standardTypeHidesDiscountField(int type)
{
    return type == FeeStandardRate || type == MemberRankPerItem;
}

} // namespace discount
