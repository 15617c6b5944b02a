#include "settle/Tendered.h"
#include "common/Money.h"
#include "settle/PaymentMethods.h"

namespace settle
{

qint64 cashDueFen(int method, double collected, double cash)
{
    return money::toFen(method == Cash ? collected : cash);
}

TenderedCheck checkTendered(const QString& typed, qint64 cashDue)
{
    TenderedCheck r;
    if (typed.trimmed().isEmpty() || cashDue <= 0) return r;
    double value = 0.0;
    // More than two decimals would be money nobody can hand over: refused rather than rounded.
    if (!money::parseAmount(typed, value) || !money::isWholeFen(value)) {
        r.ok = false;
        r.message = kTenderedNotAmount;
        return r;
    }
    const qint64 tendered = money::toFen(value);
    if (tendered < cashDue) {
        r.ok = false;
        r.message = kTenderedTooLow.arg(money::format2(money::fromFen(cashDue)));
        return r;
    }
    r.change = tendered - cashDue;
    return r;
}

} // namespace settle
