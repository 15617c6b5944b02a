#include "receipt/ClinicText.h"

namespace receipt::clinictext {

QString like(const db::Connection& c, const QString& column)
{
    return db::likeText(c, column);
}

QString isBlank(const QString& column) { return QStringLiteral("(%1 IS NULL OR rtrim(%1)='')").arg(column); }

} // namespace receipt::clinictext
