#include "receipt/ClinicText.h"

namespace receipt::clinictext {

QString equals(const QString& column) { return QStringLiteral("lower(rtrim(%1))=lower(rtrim(?))").arg(column); }

QString like(const db::Connection& c, const QString& column)
{
    return c.dialect() == db::Dialect::PostgreSQL ? QStringLiteral("%1 ILIKE ? ESCAPE ''").arg(column)
                                                  : QStringLiteral("%1 LIKE ?").arg(column);
}

QString isBlank(const QString& column) { return QStringLiteral("(%1 IS NULL OR rtrim(%1)='')").arg(column); }

QString key(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' ')) --end;
    QString k = text.left(end);
    for (QChar& ch : k)
        if (ch.unicode() >= 'A' && ch.unicode() <= 'Z') ch = QChar(ch.unicode() + ('a' - 'A'));
    return k;
}

} // namespace receipt::clinictext
