#include "discount/DiscountSettings.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "discount/DiscountMode.h"

namespace discount
{

namespace
{

void readFlag(const db::Query& q, const char* column, bool& flag)
{
    const QString name = QString::fromLatin1(column);
    if (!q.isNull(name))
        flag = q.integer(name) != 0;
}

} // namespace

int applyModeTable(DiscountSettings& s)
{
    switch (s.FeeItemYesNo) {
    case 0:
        return FeeStandardItems;
    case 1:
        s.VIPDiscoutYesNo = true;
        return MemberRank;
    case 2:
        s.FeeDiscoutYesNo = true;
        return s.CurrentFeeDiscoutYesNo ? CumulativeFee : CurrentFee;
    case 3:
        // Family 3 lists the cards but starts in the by-this-receipt mode.
        s.MoneyCardYesNo = true;
        return CurrentFee;
    case 4:
        return MemberPoints;
    case 5:
        return SettingFive;
    default:
        return s.FeeItemYesNo;
    }
}

int LoadDiscountSettings(db::Connection& c, DiscountSettings& s, int& mode)
{
    db::Query q(c, QStringLiteral("SELECT * FROM DiscountSet_table"));
    q.exec();
    if (!q.next())
        return 1;
    readFlag(q, "DiscoutYesNo", s.DiscoutYesNo);
    readFlag(q, "VIPDiscoutYesNo", s.VIPDiscoutYesNo);
    readFlag(q, "FeeDiscoutYesNo", s.FeeDiscoutYesNo);
    readFlag(q, "CurrentFeeDiscoutYesNo", s.CurrentFeeDiscoutYesNo);
    readFlag(q, "OtherFreeYesNo", s.OtherFreeYesNo);
    readFlag(q, "MoneyCardYesNo", s.MoneyCardYesNo);
    readFlag(q, "CardOnlyForDisctItem", s.CardOnlyForDisctItem);
    readFlag(q, "FeeDiscoutOnlyForVIP", s.FeeDiscoutOnlyForVIP);
    if (!q.isNull(QStringLiteral("FeeItemYesNo")))
        s.FeeItemYesNo = static_cast<qint16>(q.integer(QStringLiteral("FeeItemYesNo")));
    mode = applyModeTable(s);
    return 0;
}

bool ReceiptTypeFixesDiscounts(db::Connection& c)
{
    const QVariant type =
        db::SelectFieldValue(c, QStringLiteral("SELECT ReceiptType FROM ReceiptType_Table"), {}, QStringLiteral("ReceiptType"));
    return type.isValid() && db::toInteger(type) == 1;
}

} // namespace discount
