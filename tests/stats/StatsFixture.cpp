#include "tests/stats/StatsFixture.h"
#include "db/RecordOps.h"
#include <QList>

namespace statsfixture {

void write(db::Connection& c, const QStringList& rows)
{
    QList<qint64> ids;
    for (const QString& row : rows) {
        const QStringList parts = row.split(QLatin1Char('|'));
        const QString table = parts.value(0);
        db::FieldValues fields;
        if (!parts.value(1).isEmpty()) fields.append({QStringLiteral("日期"), QDateTime::fromString(parts[1], QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
        if (!parts.value(2).isEmpty()) fields.append({QStringLiteral("收款人"), parts[2]});
        for (const QString& pair : parts.value(3).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString column = pair.section(QLatin1Char('='), 0, 0);
            const QString value = pair.section(QLatin1Char('='), 1);
            bool number = false;
            const double n = value.toDouble(&number);
            if (value.startsWith(QLatin1Char('#'))) fields.append({column, ids.value(value.mid(1).toInt() - 1)});
            else if (number) fields.append({column, n});
            else fields.append({column, value});
        }
        const QString key = table == QStringLiteral("病历收费单") ? QStringLiteral("病历收费编号") : QStringLiteral("ID");
        ids << db::AddRecord(c, table, fields, key);
    }
}

} // namespace statsfixture
