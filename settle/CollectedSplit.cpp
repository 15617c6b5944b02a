#include "settle/CollectedSplit.h"
#include "common/Money.h"
#include "settle/PaymentMethods.h"

namespace settle
{

double arrearsAfter(double discounted, double collected, double otherFree)
{
    return money::fromFen(money::toFen(discounted) - money::toFen(collected) - money::toFen(otherFree));
}

bool splitIsStale(int method, double methodAmount, double cash, double collected)
{
    return method != Cash && money::toFen(methodAmount) + money::toFen(cash) != money::toFen(collected);
}

} // namespace settle
