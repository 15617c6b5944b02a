#include "settle/PaymentMethods.h"
#include "common/Money.h"
#include <algorithm>

using namespace Qt::StringLiterals;

namespace settle
{

QStringList paymentMethodTexts()
{
    return {u"现金"_s, u"预付费交款"_s, u"银行卡刷卡"_s, u"支票"_s,
            u"转帐"_s, u"消费券/卡"_s,  u"医保支付"_s,  u"新农合支付"_s};
}

QString paymentMethodText(int method)
{
    const QStringList texts = paymentMethodTexts();
    return method >= 0 && method < texts.size() ? texts[method] : QString();
}

QString paymentMethodLabel(int method)
{
    if (method <= Cash || method >= PaymentMethodCount) return {};
    return paymentMethodText(method) + u"金额"_s;
}

void SplitOver(PaymentSplit& split, double toCollect, double available)
{
    split.available = available;
    // In fen: the method never pays more than it holds (to the fen shown), and what it pays and
    // the cash add up to exactly what is collected, so the stored parts agree with the whole.
    const qint64 collect = money::toFen(toCollect);
    const qint64 paid = std::min(money::toFen(available), collect);
    split.amount = money::fromFen(paid);
    split.cash = money::fromFen(collect - paid);
}

} // namespace settle
