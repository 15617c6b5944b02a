#include "settle/PaymentMethods.h"

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
    if (available < toCollect) {
        split.amount = available;
        split.cash = toCollect - available;
    } else {
        split.amount = toCollect;
        split.cash = 0.0;
    }
}

} // namespace settle
