#include "receipt/RowGuard.h"

namespace receipt {

db::Where stillAsLoaded(const QString& keyColumn, qint64 key, const db::FieldValues& loaded)
{
    db::checkIdentifier(keyColumn);
    db::Where where{keyColumn + QStringLiteral("=?"), {key}};
    for (const auto& [column, value] : loaded) {
        db::checkIdentifier(column);
        const bool number = value.typeId() != QMetaType::QString;
        where.sql += QStringLiteral(" AND coalesce(%1,%2)=?").arg(column, number ? QStringLiteral("0") : QStringLiteral("''"));
        where.values << value;
    }
    return where;
}

} // namespace receipt
