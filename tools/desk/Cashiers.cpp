#include "tools/desk/Cashiers.h"
#include "db/Query.h"

namespace desk {

QStringList activeCashiers(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT 收款员 FROM 收款员表 WHERE 停用 IS NULL OR 停用 = 0 ORDER BY ID"));
    q.exec();
    QStringList names;
    while (q.next()) {
        const QString name = q.text(0).trimmed();
        if (!name.isEmpty() && !names.contains(name)) names << name;
    }
    return names;
}

} // namespace desk
