#include "discount/DiscountSwitch.h"
#include "common/Settings.h"
#include "discount/DiscountTypeList.h"

namespace discount
{

bool ReadDiscountSwitch()
{
    int choice = 1;
    settings::readFeeDiscout(choice);
    return choice == 1;
}

DiscountSwitchView SetDiscountSwitch(db::Connection& c, const DiscountSettings& s, DiscountState& state, bool on,
                                     const DiscountChoiceInputs& in)
{
    DiscountSwitchView view;
    if (!on) {
        state.mode = DiscountOff;
        ApplyDiscountChoice(c, s, state, 0, in);
    } else {
        FillDiscountTypeList(c, s, in.patientNumber, state.list);
        // With no entry selected there is nothing to evaluate: the state stays as it is.
        ApplyDiscountChoice(c, s, state, state.list.selected, in);
        view.discountFields = s.FeeItemYesNo >= 0;
        view.otherFree = s.OtherFreeYesNo;
    }
    settings::writeFeeDiscout(on ? 1 : 0);
    return view;
}

} // namespace discount
