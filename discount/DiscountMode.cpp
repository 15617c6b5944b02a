#include "discount/DiscountMode.h"

namespace discount
{

QString discountModeName(int mode)
{
    static const char* const names[] = {"DiscountOff",   "NoDiscount",       "MemberRank",
                                        "CumulativeFee", "CurrentFee",       "MoneyCardAmount",
                                        "MemberPoints",  "FeeStandardItems", "SettingFive"};
    if (mode < DiscountOff || mode > SettingFive)
        return {};
    return QString::fromLatin1(names[mode + 1]);
}

} // namespace discount
