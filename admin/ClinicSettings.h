#pragma once
#include "admin/CashierRegister.h"
#include <QList>
#include <QString>
#include <QVariantList>

// The settings rows the discount, checkout, member and stock rules read: DiscountSet_table and
// Management_table, one row each. A manager edits them here instead of by SQL; a save is
// guarded by the rows as they were loaded and leaves each table with exactly one row.
namespace clinicsettings
{

using cashiers::Outcome;

struct Settings {
    // DiscountSet_table
    bool discounts = false;            // DiscoutYesNo
    bool memberRanks = false;          // VIPDiscoutYesNo
    bool feeVolume = false;            // FeeDiscoutYesNo
    bool feeVolumeCumulative = false;  // CurrentFeeDiscoutYesNo: 1 by cumulative fees
    bool feeVolumeMembersOnly = false; // FeeDiscoutOnlyForVIP
    bool moneyCards = false;           // MoneyCardYesNo
    bool cardOnlyDiscountable = false; // CardOnlyForDisctItem
    bool otherFree = false;            // OtherFreeYesNo
    int policy = 0;                    // FeeItemYesNo, 0 to 5
    // Management_table
    bool refundSwitch = false;  // FeeIOShowYesNo
    bool feeToPrepay = false;   // FeeToPrepayFlag = 0 (0, not 1, switches it on)
    QString feeToPrepayPercent; // FeeToPrepayDiscout, 0 to 100
    bool points = false;        // FeeGadeYesNo: 1 (or -1) on
    bool stockKept = false;     // MedicineFromKBFlag = 0
};

// The policy families FeeItemYesNo chooses, in the rules' words, by value.
QStringList policyNames();

struct Loaded {
    Settings settings;
    QList<QVariantList> discountRows, managementRows; // as stored, for the guard of a save
};

// The refusal of a save when another desk changed the settings first.
extern const QString kChangedElsewhere;

Loaded load(db::Connection& c);
Outcome save(db::Connection& c, const Loaded& loaded, const Settings& changed);

} // namespace clinicsettings
