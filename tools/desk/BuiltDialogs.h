#pragma once
#include <QString>

// The dialog exports whose dialogs are built. The desk offers only these; an export whose
// dialog is still a stand-in shows its action disabled and is never opened. When a dialog
// lands, set its flag here: nothing else in the desk needs to change.
namespace desk {

struct BuiltDialog {
    const char* exportName;
    bool built;
};

inline constexpr BuiltDialog builtDialogs[] = {
    {"ReceiptSet", true},
    {"StandartPaySet0", true},
    {"MedicineRescriptionSet", true},
    {"ReceiptPay", true},
    {"StandartPay", true},
    {"RescriptionReceiptPay", true},
    {"ReceiptEditResult", true},
    {"StandartPayResult", true},
    {"PayForNoCard", true},
    {"StandartPayForNoCard", true},
    {"HEBEITableStatic", true},
    {"SDTableStatic", true},
    {"SDTableDisable", true},
    {"SetSysthesisChoice", true},
    {"SetSysthesisStandartItemChoice", true},
    {"BeijingReceiptPrint1", true},
};

inline bool isBuilt(const QString& exportName)
{
    for (const BuiltDialog& d : builtDialogs)
        if (exportName == QLatin1String(d.exportName)) return d.built;
    return false;
}

} // namespace desk
