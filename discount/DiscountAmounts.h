#pragma once
#include "discount/DiscountState.h"
#include <optional>

namespace discount
{

inline const QString kCardAmountTooHigh = QStringLiteral("抵扣金额不能大于卡的金额！");

// The amounts of a category receipt that the discount works on.
struct ReceiptAmounts {
    double total = 0.0;        // "合   计", the 12 categories
    double oldArrears = 0.0;   // "原欠款"
    bool arrearsLater = false; // "原欠款暂不结帐"
    double amountDue = 0.0;    // "应收金额"
};

// "折后金额" (and "实收金额") of a category receipt under the state's discount. Outside mode 6
// the value is first kept to four decimals and stored back. A card larger than a non-negative
// amount due is only used up to that amount: the result is 0, the value becomes the amount due
// to four decimals (unless that reads 1.0 or less, which would be taken for a rate) and a card's
// note names the amount used. Calling it again gives the same.
double ReceiptDiscountedAmount(DiscountState& state, const ReceiptAmounts& r);

// The cashier typed a money card amount into "折扣". In mode 4 an amount above 1.0 and no
// more than the card's value becomes the value (four decimals), the note is printed again and
// the new discounted amount returned. Anything else leaves the state as it was and returns
// nothing; the dialog then says kCardAmountTooHigh when the amount was above the card's value.
std::optional<double> ApplyTypedCardAmount(DiscountState& state, double typed, const ReceiptAmounts& r);

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
