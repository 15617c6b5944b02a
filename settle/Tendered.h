#pragma once
#include <QString>
#include <QtGlobal>
#include <optional>

// 收款/找零: the cash the patient hands over and the change given back. Only the cash part of a
// settlement is counted at the drawer, so only it is compared; neither figure is revenue and
// neither is stored: the settlement records what it took, as it always has.
namespace settle
{

// The cash a settlement takes: everything collected when paid in cash, else the cash beside
// the method. In fen.
qint64 cashDueFen(int method, double collected, double cash);

struct TenderedCheck {
    bool ok = true;
    QString message;             // why it is refused
    std::optional<qint64> change; // in fen; nothing when no tendered amount was given
};

// What was typed into 收款 against the cash due. Empty means the cashier did not count it here;
// a tendered amount that is not a number, not to the fen, or below the cash due is refused.
// Nothing is asked when no cash is due (a refund pays cash out).
TenderedCheck checkTendered(const QString& typed, qint64 cashDue);

// %1: the cash due.
inline const QString kTenderedTooLow = QStringLiteral("收款金额少于应收现金%1元，不能结帐！");
inline const QString kTenderedNotAmount = QStringLiteral("收款金额必须是精确到分的数字！");

} // namespace settle
