#include "discount/DiscountAmounts.h"
#include "common/Money.h"
#include "discount/DiscountChoice.h"
#include <algorithm>

namespace discount
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
        // becomes the part used, kept as the next evaluation will read it (four decimals). A
        // part that reads 1.0 or less that way would be taken for a rate the next time, so the
        // value then stays as it was. The note names what is set against the card.
        if (amount < 0.0 && r.amountDue >= 0.0) {
            const double used = money::round4(r.amountDue);
            if (used > 1.0)
                state.value = used;
            if (state.mode == MoneyCardAmount)
                state.note = moneyCardNote(state.cardName, std::min(state.value, r.amountDue));
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

} // namespace discount
