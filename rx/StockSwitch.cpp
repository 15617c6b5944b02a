#include "rx/StockSwitch.h"
#include "db/Query.h"
#include "db/TolerantRead.h"

namespace rx {

qint32 CheckRelationBetweenMedicineAndKB(db::Connection& c, QString* failure)
{
    qint32 result = 1;
    // Also read inside the prescription's save: a failed read must not abort it.
    db::tolerantRead(
        c,
        [&] {
            db::Query q(c, QStringLiteral("SELECT MedicineFromKBFlag FROM Management_table"));
            q.exec();
            // The flag is a 16-bit setting; whatever the column holds is read as one.
            if (q.next() && !q.isNull(QStringLiteral("MedicineFromKBFlag")))
                result = static_cast<qint16>(q.integer(QStringLiteral("MedicineFromKBFlag")));
        },
        [&](const std::exception& e) {
            if (failure) *failure = QString::fromUtf8(e.what());
        });
    return result;
}

} // namespace rx
