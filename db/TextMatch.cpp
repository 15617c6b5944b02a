#include "db/TextMatch.h"
#include "db/RecordOps.h"

namespace db {

namespace {
void checkColumn(const QString& column)
{
    for (const QString& part : column.split(QLatin1Char('.'))) checkIdentifier(part);
}
} // namespace

QString sameText(const QString& column)
{
    checkColumn(column);
    return QStringLiteral("lower(rtrim(%1))=lower(rtrim(?))").arg(column);
}

QString likeText(const Connection& c, const QString& column)
{
    checkColumn(column);
    // PostgreSQL's LIKE treats a backslash as an escape; the clinic's never did, and SQLite's
    // doesn't, so it is switched off and a typed "\\" matches itself on both.
    return c.isSQLite() ? QStringLiteral("%1 LIKE ?").arg(column) : QStringLiteral("%1 ILIKE ? ESCAPE ''").arg(column);
}

QString textKey(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' ')) --end;
    QString key = text.left(end);
    for (QChar& ch : key)
        if (ch.unicode() < 128) ch = ch.toLower();
    return key;
}

} // namespace db
