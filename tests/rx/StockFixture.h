#pragma once
#include "db/Query.h"
#include "db/RecordOps.h"
#include "rx/MedicineLine.h"
#include <QDateTime>
#include <QStringList>

// Medicines and stock batches for the prescription tests. Batches are written as
// "quantity@days" (days from today until they expire; 0 expires today), optionally
// "#number:" in front to give the batch number.
namespace stockfixture {

inline void keepStock(db::Connection& c, bool on)
{
    db::execute(c, QStringLiteral("DELETE FROM Management_table"));
    db::execute(c, QStringLiteral("INSERT INTO Management_table (MedicineFromKBFlag) VALUES (?)"), {on ? 0 : 1});
}

inline void addBatches(db::Connection& c, const QString& name, const QString& spec, const QString& batches)
{
    const QDate today = c.serverTime().date();
    for (QString b : batches.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        db::FieldValues row{{QStringLiteral("名称"), name}, {QStringLiteral("规格"), spec}};
        if (b.startsWith(QLatin1Char('#'))) {
            const int colon = b.indexOf(QLatin1Char(':'));
            row.append({QStringLiteral("库存编号"), b.mid(1, colon - 1).toInt()});
            b = b.mid(colon + 1);
        }
        const QStringList parts = b.split(QLatin1Char('@'));
        row.append({QStringLiteral("现存数量"), parts[0].toDouble()});
        row.append({QStringLiteral("ExpireDate"), QDateTime(today.addDays(parts.value(1, QStringLiteral("30")).toInt()), QTime(12, 0))});
        db::AddRecord(c, QStringLiteral("材料库存表"), row, QStringLiteral("库存编号"));
    }
}

inline void addMedicine(db::Connection& c, const QString& category, const QString& name, const QString& spec, double price)
{
    db::AddRecord(c, QStringLiteral("常用药品表"),
                  {{QStringLiteral("类别"), category},
                   {QStringLiteral("名称"), name},
                   {QStringLiteral("规格"), spec},
                   {QStringLiteral("单位"), QStringLiteral("盒")},
                   {QStringLiteral("单价"), price},
                   {QStringLiteral("服用方式"), QStringLiteral("口服")},
                   {QStringLiteral("每次用量"), QStringLiteral("2粒")},
                   {QStringLiteral("每日用量"), QStringLiteral("3次")},
                   {QStringLiteral("适应症"), QStringLiteral("感染")},
                   {QStringLiteral("医保类型"), QStringLiteral("甲类")}});
}

// What each batch holds now, by batch number: "5,0,2".
inline QString batches(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT 现存数量 FROM 材料库存表 ORDER BY 库存编号"));
    q.exec();
    QStringList out;
    while (q.next()) out << QString::number(q.number(0));
    return out.join(QLatin1Char(','));
}

// The withdrawals, in the order written: "quantity from batch" ("5#1,1#2").
inline QString withdrawals(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT 数量, KBID FROM 材料出库表 ORDER BY 出库编号"));
    q.exec();
    QStringList out;
    while (q.next()) out << QStringLiteral("%1#%2").arg(q.number(0)).arg(q.integer(1));
    return out.join(QLatin1Char(','));
}

inline rx::MedicineLine line(const QString& name, const QString& spec, double quantity, double price = 10.0)
{
    rx::MedicineLine l;
    l.category = QStringLiteral("西药");
    l.name = name;
    l.spec = spec;
    l.unit = QStringLiteral("盒");
    l.price = price;
    l.quantity = quantity;
    l.amount = price * quantity;
    return l;
}

} // namespace stockfixture
