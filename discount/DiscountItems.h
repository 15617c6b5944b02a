#pragma once

// Discounts applied item by item, for standard-item receipts. Line records of the receipts
// derive from DiscountItem; the functions take any range of them in list order.
namespace discount
{

struct DiscountItem {
    double quantity = 0.0;
    int discountable = 0;            // IsDiscout; shown "打折" when set, "不打折" when clear
    double rate = 1.0;               // Discout_Value
    double unitPrice = 0.0;          // 标准
    double discountedAmount = 0.0;   // 金额
    double undiscountedAmount = 0.0; // StandartFee
};

struct ItemTotals {
    double undiscounted = 0.0;
    double discounted = 0.0;
};

template <class Items> ItemTotals SumItems(const Items& items)
{
    ItemTotals t;
    for (const DiscountItem& item : items) {
        t.undiscounted += item.undiscountedAmount;
        t.discounted += item.discountedAmount;
    }
    return t;
}

// Applies a discount value to the items and returns the discounted total. A rate (up to 1.0)
// goes onto every discountable item. An amount (a card) covers the lines one after another
// until it is used up, skipping items not discountable when cardOnlyForDiscountable; the value
// then becomes the part of the card actually used.
template <class Items> double ApplyDiscountToItems(Items&& items, double& value, bool cardOnlyForDiscountable)
{
    const double v = value;
    const bool card = v > 1.0;
    double remainder = v;
    double total = 0.0;
    for (DiscountItem& item : items) {
        const double line = item.unitPrice * item.quantity;
        if (!card) {
            if (item.discountable) {
                item.rate = v;
                item.discountedAmount = item.unitPrice * v * item.quantity;
                total += item.discountedAmount;
            } else {
                total += line;
            }
        } else if (!item.discountable && cardOnlyForDiscountable) {
            total += line;
        } else if (remainder < line) {
            item.discountedAmount = line - remainder;
            total += item.discountedAmount;
            remainder = 0.0;
        } else {
            remainder -= line;
            item.discountedAmount = 0.0;
        }
    }
    if (card)
        value = v - remainder;
    return total;
}

// Puts a rate (up to 1.0) onto every discountable item, then sums the items.
template <class Items> ItemTotals ApplyRateToItems(Items&& items, double rate)
{
    if (rate <= 1.0) {
        for (DiscountItem& item : items) {
            if (!item.discountable)
                continue;
            item.rate = rate;
            item.discountedAmount = item.unitPrice * rate * item.quantity;
        }
    }
    return SumItems(items);
}

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
