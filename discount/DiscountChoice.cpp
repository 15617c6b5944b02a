#include "discount/DiscountChoice.h"
#include "common/Money.h"

namespace discount
{

QString moneyCardNote(const QString& cardName, double value)
{
    return cardName + QLatin1Char(',') + money::format2(value) + QStringLiteral("元");
}

bool ApplyDiscountChoice(db::Connection& c, const DiscountSettings& s, DiscountState& state, int entry,
                         const DiscountChoiceInputs& in)
{
    if (entry < 0 || entry >= state.list.entries.size())
        return false;
    const DiscountEntry chosen = state.list.entries[entry];
    state.list.selected = entry;
    state.valueEditable = false;

    switch (chosen.kind) {
    case DiscountEntryKind::NoDiscount:
        state.value = 1.0;
        state.cardValue = 0.0;
        state.mode = NoDiscount;
        state.note = kNoDiscountEntry;
        // A card label left over from an earlier choice would call the 1.0 a deduction.
        state.label = kRateLabel;
        break;
    case DiscountEntryKind::MemberRank:
        state.value = LookUpRankRate(c, chosen.text);
        state.mode = MemberRank;
        state.note = chosen.text + QStringLiteral("折扣") + money::format3(state.value);
        state.label = kRateLabel;
        break;
    case DiscountEntryKind::FeeVolume:
        if (!s.CurrentFeeDiscoutYesNo) {
            LookUpCurrentFeeRate(c, state.feeRate, in.amountDue);
            state.note = kCurrentFeeEntry + money::format3(state.feeRate);
            state.mode = CurrentFee;
        } else {
            LookUpCumulativeFeeRate(c, state.feeRate, in.cumulativeFees + in.amountDue);
            state.note = kCumulativeFeeEntry + money::format3(state.feeRate);
            state.mode = CumulativeFee;
        }
        if (const int at = state.list.findPrefix(chosen.text); at >= 0)
            state.list.selected = at;
        state.value = state.feeRate;
        state.label = kRateLabel;
        break;
    case DiscountEntryKind::MemberPoints:
        state.value = LookUpPointsRate(c, in.patientNumber);
        state.note = QStringLiteral("按会员之家的积分打折") + money::format3(state.value);
        state.mode = MemberPoints;
        state.label = kRateLabel;
        break;
    case DiscountEntryKind::MoneyCard:
        state.mode = MoneyCardAmount;
        state.cardName = chosen.text;
        state.value = state.cardValue = LookUpMoneyCardValue(c, chosen.text);
        state.note = moneyCardNote(state.cardName, state.value);
        state.label = kCardLabel;
        state.valueEditable = true;
        break;
    }

    if (s.FeeItemYesNo == 0) {
        state.note = kFeeStandardNote;
        state.mode = FeeStandardItems;
    }
    state.typeIndex = state.list.selected;
    return true;
}

} // namespace discount
