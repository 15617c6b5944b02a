#include "rx/StockSwitch.h"
#include "db/Query.h"
#include "db/TolerantRead.h"
#include <cmath>
#include <limits>

namespace rx {

namespace {

// The flag is a 16-bit setting. A value that is no number, or none that fits, cannot say "keep
// stock" and reads as off, as a failed conversion always did; a fraction rounds half to even,
// as the clinic's variant conversion did.
qint32 switchValue(const QVariant& v)
{
    if (v.isNull()) return 1;
    bool ok = false;
    const double d = v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return 1;
    const double whole = std::nearbyint(d);
    if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max()) return 1;
    return static_cast<qint32>(whole);
}

} // namespace

qint32 ReadStockSwitch(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT MedicineFromKBFlag FROM Management_table"));
    q.exec();
    return q.next() ? switchValue(q.value(QStringLiteral("MedicineFromKBFlag"))) : 1;
}

qint32 CheckRelationBetweenMedicineAndKB(db::Connection& c, QString* failure)
{
    qint32 result = 1;
    // Also read inside a caller's save: a failed read must not abort it.
    db::tolerantRead(
        c, [&] { result = ReadStockSwitch(c); },
        [&](const std::exception& e) {
            if (failure) *failure = QString::fromUtf8(e.what());
        });
    return result;
}

} // namespace rx
