#include "discount/DiscountTypeList.h"
#include "db/Query.h"
#include "discount/DiscountLookUps.h"

namespace discount
{

QStringList DiscountTypeList::texts() const
{
    QStringList t;
    for (const auto& e : entries)
        t << e.text;
    return t;
}

int DiscountTypeList::findPrefix(const QString& prefix, int startAfter) const
{
    const int n = static_cast<int>(entries.size());
    if (n == 0)
        return -1;
    const int first = (startAfter < 0 || startAfter >= n) ? 0 : startAfter + 1;
    for (int k = 0; k < n; ++k) {
        const int i = (first + k) % n;
        if (entries[i].text.startsWith(prefix, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

int FillDiscountTypeList(db::Connection& c, const DiscountSettings& s, const QString& patientNumber,
                         DiscountTypeList& list)
{
    if (!s.DiscoutYesNo)
        return -1;
    list = DiscountTypeList{};

    // In family 0 the member is not looked up and counts as a non-member.
    MemberData member;
    if (s.FeeItemYesNo != 0) {
        list.entries.append({kNoDiscountEntry, DiscountEntryKind::NoDiscount});
        list.selected = 0;
        double rankRate = 1.0;
        LookUpMember(c, patientNumber, member, rankRate);
        if (s.VIPDiscoutYesNo || s.MoneyCardYesNo) {
            db::Query ranks(c,
                            QStringLiteral("SELECT DiscountName FROM Discount_table "
                                           "WHERE Note IS NULL OR rtrim(Note) = ? ORDER BY ID"),
                            {QStringLiteral("可见")});
            ranks.exec();
            while (ranks.next()) {
                if (ranks.isNull(QStringLiteral("DiscountName")))
                    continue;
                list.entries.append({ranks.text(QStringLiteral("DiscountName")), DiscountEntryKind::MemberRank});
                ++list.rankCount;
            }
            if (member.isMember == 1 && !member.rankName.isEmpty()) {
                const int found = list.findPrefix(member.rankName, 0);
                if (found >= 0)
                    list.selected = found;
            }
            db::Query cards(c, QStringLiteral("SELECT MoneyCard_Name FROM MoneyCard_Table ORDER BY ID"));
            cards.exec();
            while (cards.next()) {
                // Only the cards listed are counted, so that the counts match the entries.
                if (cards.isNull(QStringLiteral("MoneyCard_Name")))
                    continue;
                list.entries.append({cards.text(QStringLiteral("MoneyCard_Name")), DiscountEntryKind::MoneyCard});
                ++list.cardCount;
            }
        }
    }

    if (s.FeeDiscoutYesNo) {
        if (!s.FeeDiscoutOnlyForVIP || (member.isMember == 1 && !member.rankName.isEmpty())) {
            list.entries.append(
                {s.CurrentFeeDiscoutYesNo ? kCumulativeFeeEntry : kCurrentFeeEntry, DiscountEntryKind::FeeVolume});
            list.feeEntryPresent = 1;
            list.selected = static_cast<int>(list.entries.size()) - 1;
        } else {
            list.feeEntryPresent = 0;
        }
    }

    if (s.FeeItemYesNo == 4) {
        list.entries.append({kPointsEntry, DiscountEntryKind::MemberPoints});
        list.selected = static_cast<int>(list.entries.size()) - 1;
    }
    return 0;
}

} // namespace discount
