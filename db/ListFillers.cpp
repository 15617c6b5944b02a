#include "db/ListFillers.h"
#include "common/Gbk.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/TextMatch.h"
#include <QSet>
#include <algorithm>

namespace db {

namespace {

QStringList listOf(Query& q)
{
    q.exec();
    QStringList out;
    QSet<QString> seen;
    while (q.next()) {
        if (q.isNull(QStringLiteral("v"))) continue;
        const QString value = q.text(QStringLiteral("v"));
        if (value.trimmed().isEmpty()) continue;
        const QString key = textKey(value);
        if (seen.contains(key)) continue;
        seen.insert(key);
        out << value;
    }
    std::stable_sort(out.begin(), out.end(), [](const QString& a, const QString& b) { return gbk::compare(a, b) < 0; });
    return out;
}

} // namespace

QStringList InitCombox(Connection& c, const QString& table, const QString& field)
{
    checkIdentifier(table);
    checkIdentifier(field);
    Query q(c, QStringLiteral("SELECT %1 AS v FROM %2").arg(field, table));
    return listOf(q);
}

QStringList InitComboxUnflagged(Connection& c, const QString& table, const QString& field, const QString& flag)
{
    checkIdentifier(table);
    checkIdentifier(field);
    checkIdentifier(flag);
    Query q(c, QStringLiteral("SELECT %1 AS v FROM %2 WHERE coalesce(%3,0)=0").arg(field, table, flag));
    return listOf(q);
}

QStringList InitComboxForSpecial(Connection& c, const QString& table, const QString& field,
                                 const QString& filterField, const QString& filterValue)
{
    checkIdentifier(table);
    checkIdentifier(field);
    Query q(c, QStringLiteral("SELECT %1 AS v FROM %2 WHERE ").arg(field, table) + sameText(filterField), {filterValue});
    return listOf(q);
}

std::optional<ComboMatch> CheckQueryCombox(Connection& c, const QString& table, const QString& field,
                                           const QString& typedText)
{
    if (typedText.trimmed().isEmpty()) return std::nullopt;
    const QStringList values = InitCombox(c, table, field);
    const QString key = textKey(typedText);
    for (const QString& v : values)
        if (textKey(v) == key) return ComboMatch{v, true};
    for (const QString& v : values)
        if (textKey(v).startsWith(key)) return ComboMatch{v, false};
    return std::nullopt;
}

} // namespace db
