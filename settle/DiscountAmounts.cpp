#include "settle/DiscountAmounts.h"
#include "common/Money.h"
#include "settle/DiscountChoice.h"

namespace settle
{

double ReceiptDiscountedAmount(DiscountState& state, const ReceiptAmounts& r)
{
    if (state.mode == FeeStandardItems)
        return r.amountDue - state.cardValue;
    state.value = money::round4(state.value);
    double amount = 0.0;
    if (state.value <= 1.0) {
        amount = state.value * r.total;
        if (!r.arrearsLater)
            amount += r.oldArrears;
    } else {
        amount = r.amountDue - state.value;
        // Never pay out the unused part of a card.
        if (amount < 0.0 && r.amountDue >= 0.0) {
            state.value = r.amountDue;
            amount = 0.0;
        }
    }
    return money::round3(amount);
}

std::optional<double> ApplyTypedCardAmount(DiscountState& state, double typed, const ReceiptAmounts& r)
{
    if (state.mode != MoneyCardAmount || typed <= 1.0)
        return std::nullopt;
    state.value = money::round4(typed);
    const double amount = ReceiptDiscountedAmount(state, r);
    state.note = moneyCardNote(state.cardName, state.value);
    return amount;
}

} // namespace settle
