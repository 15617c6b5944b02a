#include "rx/StockLevels.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "rx/Stock.h"

namespace rx
{
namespace
{

const QString kBatchColumns = QStringLiteral("SELECT 库存编号,名称,规格,批号,现存数量,ExpireDate FROM 材料库存表 ");

QList<Batch> batches(db::Query& q)
{
    q.exec();
    QList<Batch> out;
    while (q.next())
        out.append(
            {q.integer(0), q.text(1), q.text(2), q.text(3), q.number(4), q.dateTime(QStringLiteral("ExpireDate"))});
    return out;
}

} // namespace

QString medicineKey(const QString& name, const QString& spec)
{
    return db::textKey(name) + QLatin1Char('\n') + db::textKey(spec);
}

QHash<QString, double> GoodStock(db::Connection& c, const QDateTime& now)
{
    db::Query q(c, QStringLiteral("SELECT 名称,规格,现存数量 FROM 材料库存表 WHERE ExpireDate>?"),
                {db::dateTimeText(endOfDay(now))});
    q.exec();
    QHash<QString, double> held;
    while (q.next())
        held[medicineKey(q.text(0), q.text(1))] += q.number(2);
    return held;
}

QList<Batch> BatchesNearExpiry(db::Connection& c, const QDateTime& now, int days)
{
    db::Query q(c, kBatchColumns + QStringLiteral("WHERE 现存数量>0 AND ExpireDate<=? ORDER BY ExpireDate, 库存编号"),
                {db::dateTimeText(endOfDay(now).addDays(days))});
    return batches(q);
}

QList<Batch> BatchesOf(db::Connection& c, const QString& name, const QString& spec)
{
    db::Query q(c,
                kBatchColumns + QStringLiteral("WHERE ") + db::sameText(QStringLiteral("名称")) +
                    QStringLiteral(" AND ") + db::sameText(QStringLiteral("规格")) +
                    QStringLiteral(" ORDER BY 库存编号"),
                {name, spec});
    return batches(q);
}

} // namespace rx
