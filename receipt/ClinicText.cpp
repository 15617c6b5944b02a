#include "receipt/ClinicText.h"

namespace receipt::clinictext {

QString like(const db::Connection& c, const QString& column)
{
    return c.isSQLite() ? QStringLiteral("%1 LIKE ?").arg(column) : QStringLiteral("%1 ILIKE ? ESCAPE ''").arg(column);
}

QString isBlank(const QString& column) { return QStringLiteral("(%1 IS NULL OR rtrim(%1)='')").arg(column); }

} // namespace receipt::clinictext
