#pragma once
#include "discount/DiscountLookUps.h"
#include "discount/DiscountMode.h"
#include "discount/DiscountTypeList.h"
#include <QString>

namespace discount
{

// Labels of the "折扣" field; the blank is an ideographic space (U+3000).
inline const QString kRateLabel = QStringLiteral("折\u3000扣");
inline const QString kCardLabel = QStringLiteral("抵\u3000扣");

// What a checkout dialog holds of the discount while it is open.
struct DiscountState {
    double value = 1.0; // "折扣": a rate up to 1.0, above it an amount deducted
    QString note;       // "折扣说明"
    QString label = kRateLabel;
    int mode = DiscountOff;
    bool valueEditable = false; // only a money card amount may be typed over
    DiscountTypeList list;      // entries, selection and counts
    int typeIndex = -1;         // the list selection of the last evaluation
    QString cardName;
    double cardValue = 0.0;
    double feeRate = 1.0; // the last fee-volume rate; kept when no band matches
    MemberData member;
};

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
