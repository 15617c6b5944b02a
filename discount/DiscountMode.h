#pragma once
#include <QString>

namespace discount
{

// Which policy produced the discount value. The dialogs keep the mode as a plain int: a
// FeeItemYesNo outside 0-5 becomes the mode as it is, and the mode is stored as a 16-bit
// Discout_Type with the payment record.
enum DiscountMode : int {
    DiscountOff = -1,     // the "收费优惠" switch is off
    NoDiscount = 0,       // "非会员无折扣"
    MemberRank = 1,       // Discount_table
    CumulativeFee = 2,    // DiscountAccout_table, by the patient's cumulative fees
    CurrentFee = 3,       // DiscountCurrente_table, by this receipt's amount
    MoneyCardAmount = 4,  // a money card amount is deducted
    MemberPoints = 5,     // Grade_shengji_Calculate_table, by member points
    FeeStandardItems = 6, // each fee item carries its catalogue rate
    SettingFive = 7,      // FeeItemYesNo 5; evaluated like the rate modes
};

// "DiscountOff" … "SettingFive"; an empty text for a mode outside -1..7.
QString discountModeName(int mode);

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
