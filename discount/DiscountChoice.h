#pragma once
#include "db/Connection.h"
#include "discount/DiscountSettings.h"
#include "discount/DiscountState.h"

namespace discount
{

inline const QString kFeeStandardNote = QStringLiteral("根据收费标准中设定的折扣值打折");

// The note of a money card: "%s,%.2f元".
QString moneyCardNote(const QString& cardName, double value);

// What the evaluation needs from the receipt being settled.
struct DiscountChoiceInputs {
    QString patientNumber;
    double amountDue = 0.0;      // "应收金额"
    double cumulativeFees = 0.0; // the patient's fees so far (CalculateDocumentFee, first amount)
};

// Evaluates list entry `entry` into the state's value, note, label, mode and card data, and
// stores the list selection as the type index. The caller then recomputes the discounted
// amount (ReceiptDiscountedAmount, or the item functions for a standard-item receipt).
// Returns false and changes nothing for no entry (-1) or an index outside the list.
bool ApplyDiscountChoice(db::Connection& c, const DiscountSettings& s, DiscountState& state, int entry,
                         const DiscountChoiceInputs& in);

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
