#pragma once
#include "db/Connection.h"

namespace discount
{

// The one row of DiscountSet_table: which discount policies the clinic offers.
struct DiscountSettings {
    bool DiscoutYesNo = false;           // discounts are offered at all
    bool VIPDiscoutYesNo = false;        // member rank entries are listed
    bool FeeDiscoutYesNo = false;        // a fee-volume entry is listed
    bool CurrentFeeDiscoutYesNo = false; // fee volume: false = this receipt, true = cumulative
    bool OtherFreeYesNo = false;         // the "其它优惠" controls are offered
    bool MoneyCardYesNo = false;         // money card entries are listed
    bool CardOnlyForDisctItem = false;   // a card only covers discountable items
    bool FeeDiscoutOnlyForVIP = false;   // the fee-volume entry is for members only
    int FeeItemYesNo = -1;               // the policy family in force, 0-5
};

// Reads the settings row into s (a NULL column leaves its field as it was), forces the flag
// that FeeItemYesNo implies and sets mode to the initial mode of that family.
// Returns 0 when a row was read, 1 when the table is empty (s and mode untouched).
int LoadDiscountSettings(db::Connection& c, DiscountSettings& s, int& mode);

// The clinic's receipt type 1 prints receipts whose discount is fixed when they are written:
// the checkouts then show the discount but do not let it be changed.
bool ReceiptTypeFixesDiscounts(db::Connection& c);

// The initial mode of s.FeeItemYesNo; forces the flag that family needs.
int applyModeTable(DiscountSettings& s);

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
