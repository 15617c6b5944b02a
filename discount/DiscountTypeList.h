#pragma once
#include "db/Connection.h"
#include "discount/DiscountSettings.h"
#include <QList>
#include <QString>
#include <QStringList>

namespace discount
{

inline const QString kNoDiscountEntry = QStringLiteral("非会员无折扣");
inline const QString kCurrentFeeEntry = QStringLiteral("按本次收费打折");
inline const QString kCumulativeFeeEntry = QStringLiteral("按累计收费打折");
inline const QString kPointsEntry = QStringLiteral("根据会员之家中的积分打折");

enum class DiscountEntryKind { NoDiscount, MemberRank, MoneyCard, FeeVolume, MemberPoints };

struct DiscountEntry {
    QString text;
    DiscountEntryKind kind;
};

// The discount-type drop-down as the checkout dialogs show it: entries in the order added
// (never sorted), the selected entry (-1 = none) and the counts the dialogs keep.
struct DiscountTypeList {
    QList<DiscountEntry> entries;
    int selected = -1;
    int rankCount = 0;
    int feeEntryPresent = 0; // 0 or 1
    int cardCount = 0;

    QStringList texts() const;
    // Like a drop-down's prefix search: the first entry after startAfter whose text begins
    // with prefix, ignoring case, wrapping round to the start; -1 when none does.
    int findPrefix(const QString& prefix, int startAfter = -1) const;
};

// Rebuilds the list for the patient from the settings. Returns -1 and leaves the list as it
// was when discounts are not offered (DiscoutYesNo 0), else 0.
int FillDiscountTypeList(db::Connection& c, const DiscountSettings& s, const QString& patientNumber,
                         DiscountTypeList& list);

} // namespace discount

// The checkouts apply the policies as their own.
namespace settle {
using namespace discount;
}
