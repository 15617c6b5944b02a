#pragma once
#include "db/Connection.h"
#include "discount/DiscountChoice.h"

namespace discount
{

// What the checkout dialogs show after the "收费优惠" switch turned.
struct DiscountSwitchView {
    bool discountFields = false; // "折扣", "折后金额", "折扣说明", the type list and their labels
    bool otherFree = false;      // the "其它优惠" controls
};

// The stored switch ("FeeDiscout"): on unless "0" is stored; a missing value is stored as on.
bool ReadDiscountSwitch();

// Turns the switch and stores its state. Off: mode -1, then entry 0 is evaluated. On: the list
// is rebuilt and its selection evaluated (no selection: nothing changes, the mode stays).
// The caller then recomputes the discounted amount.
DiscountSwitchView SetDiscountSwitch(db::Connection& c, const DiscountSettings& s, DiscountState& state, bool on,
                                     const DiscountChoiceInputs& in);

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
