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
        // Never pay out the unused part of a card: the receipt costs nothing and the value
        // becomes the part used. A part of 1.0 or less cannot be kept that way (it would read
        // as a rate the next time), so the value then stays as it was.
        if (amount < 0.0 && r.amountDue >= 0.0) {
            if (r.amountDue > 1.0)
                state.value = r.amountDue;
            amount = 0.0;
        }
    }
    return money::round3(amount);
}

std::optional<double> ApplyTypedCardAmount(DiscountState& state, double typed, const ReceiptAmounts& r)
{
    if (state.mode != MoneyCardAmount || typed <= 1.0 || money::round4(typed) > state.cardValue)
        return std::nullopt;
    state.value = money::round4(typed);
    const double amount = ReceiptDiscountedAmount(state, r);
    state.note = moneyCardNote(state.cardName, state.value);
    return amount;
}

} // namespace settle
