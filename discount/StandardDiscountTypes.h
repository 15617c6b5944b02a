#pragma once
#include "common/Prompter.h"
#include "discount/DiscountItems.h"
#include <QString>
#include <QStringList>
#include <ranges>

// The discount types of a standard-item receipt, stored as its Doctor_Discout.
namespace discount
{

enum StandardDiscountType : int {
    StandardDiscountOff = -1,
    LeaderApprovedRate = 0, // a rate approved by a superior ("允许折扣值")
    VipMemberRate = 1,      // the member rate passed in by the caller
    FeeStandardRate = 2,    // each item keeps its catalogue rate
    MemberRankPerItem = 3,  // member rank rates per item
};

inline const QString kRecalculateQuestion = QStringLiteral("是否按照新的折扣重新计算原有的收费项目?");

// The type list of the standard-item receipt, index = type.
QStringList standardDiscountTypeTexts();
// The discount note the standard checkout shows for a type; empty outside 0-3.
QString standardDiscountNote(int type);
// Types 2 and 3 hide "折扣" and its label: the items keep their own rates.
bool standardTypeHidesDiscountField(int type);

// The type changed to `type` with `rate` in force for it. For the types 0 and 1 with items
// listed the cashier is asked whether to recalculate them; Yes puts the rate onto every
// discountable item. Returns whether the items were recalculated.
template <class Items> bool ChangeStandardDiscountType(Items&& items, int type, double rate)
{
    if ((type != LeaderApprovedRate && type != VipMemberRate) || std::ranges::empty(items))
        return false;
    if (!Prompter::current().ask(kRecalculateQuestion))
        return false;
    ApplyRateToItems(items, rate);
    return true;
}

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
