#include "receipt/StandardItems.h"
#include "common/Money.h"
#include "db/Query.h"

namespace receipt {

namespace {

void check(int row, int size)
{
    if (row < 0 || row >= size) throw OutOfBounds("no item line " + std::to_string(row));
}

StandardItem::Loaded snapshot(const StandardItem& item)
{
    return {item.quantity, item.discountedAmount, item.rate, item.name};
}

} // namespace

const StandardItem& StandardItemList::at(int row) const
{
    check(row, size());
    return lines_[static_cast<size_t>(row)];
}

void StandardItemList::replace(int row, StandardItem item)
{
    check(row, size());
    StandardItem& line = lines_[static_cast<size_t>(row)];
    item.rowId = line.rowId;
    item.loaded = line.loaded;
    line = std::move(item);
}

void StandardItemList::remove(int row)
{
    check(row, size());
    auto it = lines_.begin() + row;
    if (it->rowId > 0) removed_.push_back(std::move(*it));
    lines_.erase(it);
}

void StandardItemList::markSaved(const std::vector<qint64>& newIds)
{
    auto id = newIds.begin();
    for (StandardItem& line : lines_) {
        if (line.rowId <= 0 && id != newIds.end()) line.rowId = *id++;
        line.loaded = snapshot(line);
    }
    removed_.clear();
}

settle::ItemTotals totalsOf(const StandardItemList& list) { return settle::SumItems(list.lines()); }

QString discountFlagText(int discountable)
{
    return discountable ? QStringLiteral("打折") : QStringLiteral("不打折");
}

QString rateText(const StandardItem& item)
{
    return item.discountable ? money::format2(item.rate) : QStringLiteral("1.00");
}

QStringList cellTexts(const StandardItem& item)
{
    return {item.className,
            item.name,
            item.unit,
            money::format2(item.unitPrice),
            money::format2(item.quantity),
            discountFlagText(item.discountable),
            rateText(item),
            money::format2(item.discountedAmount),
            money::format2(item.undiscountedAmount)};
}

int discountableFromText(const QString& text) { return text == QStringLiteral("不打折") ? 0 : 1; }

StandardItemList loadStandardItems(db::Connection& c, ReceiptKind kind, qint64 ownerId)
{
    const QString sql = kind == ReceiptKind::CaseRecord
                            ? QStringLiteral("SELECT * FROM 收费明细表 WHERE 收据编号=? ORDER BY ID")
                            : QStringLiteral("SELECT * FROM 收费明细表 WHERE 无病案编号=? ORDER BY ID");
    db::Query q(c, sql, {ownerId});
    q.exec();
    StandardItemList list;
    while (q.next()) {
        StandardItem item;
        item.rowId = q.integer(QStringLiteral("ID"));
        item.date = q.dateTime(QStringLiteral("日期"));
        item.className = q.text(QStringLiteral("收费类型"));
        item.name = q.text(QStringLiteral("收费项目"));
        item.unit = q.text(QStringLiteral("单位"));
        item.unitPrice = q.number(QStringLiteral("标准"));
        item.quantity = q.number(QStringLiteral("数量"));
        item.discountable = q.integer(QStringLiteral("IsDiscout")) != 0 ? 1 : 0;
        // A line stored without a rate took no discount.
        item.rate = q.isNull(QStringLiteral("Discout_Value")) ? 1.0 : q.number(QStringLiteral("Discout_Value"));
        item.discountedAmount = q.number(QStringLiteral("金额"));
        item.undiscountedAmount = item.unitPrice * item.quantity;
        item.loaded = snapshot(item);
        list.add(std::move(item));
    }
    return list;
}

} // namespace receipt
