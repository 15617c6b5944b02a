#include "receipt/Catalogue.h"
#include "common/Money.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "receipt/ClinicText.h"
#include <QSet>

namespace receipt {

namespace {

const QString itemColumns =
    QStringLiteral("ID,收费分类,收费项目,单位,单价,备注,IS_Discount,Discout_Value");

// Retired items stay in the catalogue for the receipt lines that name them; the pickers and
// searches no longer offer them.
const QString offered = QStringLiteral(" AND coalesce(停用,0)=0");

CatalogueItem readItem(const db::Query& q)
{
    CatalogueItem item;
    item.id = q.integer(QStringLiteral("ID"));
    item.className = q.text(QStringLiteral("收费分类"));
    item.name = q.text(QStringLiteral("收费项目"));
    item.unit = q.text(QStringLiteral("单位"));
    item.price = q.number(QStringLiteral("单价"));
    item.remark = q.text(QStringLiteral("备注"));
    item.discountable = static_cast<int>(q.integer(QStringLiteral("IS_Discount")));
    item.rate = q.isNull(QStringLiteral("Discout_Value")) ? 1.0 : q.number(QStringLiteral("Discout_Value"));
    return item;
}

std::optional<CatalogueItem> firstItem(db::Connection& c, const QString& where, const QVariantList& values)
{
    db::Query q(c, QStringLiteral("SELECT %1 FROM 收费标准表 WHERE %2 ORDER BY ID").arg(itemColumns, where));
    q.bindAll(values).exec();
    if (!q.next()) return std::nullopt;
    return readItem(q);
}

} // namespace

QStringList OfferedClasses(db::Connection& c)
{
    return db::InitComboxUnflagged(c, QStringLiteral("收费标准表"), QStringLiteral("收费分类"), QStringLiteral("停用"));
}

QString catalogueItemText(const QString& name, const QString& unit, double price, qint64 id)
{
    return QStringLiteral("%1 %2 %3 (%4)").arg(name, unit, money::format2(price)).arg(id);
}

qint64 catalogueItemId(const QString& nodeText)
{
    const qsizetype open = nodeText.lastIndexOf(QLatin1Char('('));
    if (open < 0) return 0;
    qint64 id = 0;
    for (qsizetype i = open + 1; i < nodeText.size() && nodeText[i].isDigit() && nodeText[i].unicode() < 128; ++i)
        id = id * 10 + (nodeText[i].unicode() - '0');
    return id;
}

std::optional<CatalogueItem> itemOfNodeText(db::Connection& c, const QString& nodeText)
{
    const qint64 id = catalogueItemId(nodeText);
    if (id <= 0) return std::nullopt;
    return ItemById(c, id);
}

QStringList ItemsOfClass(db::Connection& c, const QString& className)
{
    QStringList items;
    db::Query q(c, QStringLiteral("SELECT 收费项目 FROM 收费标准表 WHERE %1%2 ORDER BY ID")
                       .arg(clinictext::equals(QStringLiteral("收费分类")), offered),
                {className});
    q.exec();
    while (q.next()) items << q.text(0);
    return items;
}

std::optional<CatalogueItem> ItemDetails(db::Connection& c, const QString& className, const QString& itemName)
{
    return firstItem(c,
                     clinictext::equals(QStringLiteral("收费分类")) + QStringLiteral(" AND ") +
                         clinictext::equals(QStringLiteral("收费项目")) + offered,
                     {className, itemName});
}

std::optional<CatalogueItem> ItemById(db::Connection& c, qint64 id)
{
    return firstItem(c, QStringLiteral("ID=?"), {id});
}

QStringList SearchClasses(db::Connection& c, const QString& typed)
{
    const QString prefix = typed + QLatin1Char('%');
    db::Query q(c, QStringLiteral("SELECT 收费分类 FROM 收费标准表 WHERE (%1 OR %2)%3 ORDER BY ID")
                       .arg(clinictext::like(c, QStringLiteral("收费分类")), clinictext::like(c, QStringLiteral("TypeCode")), offered),
                {prefix, prefix});
    q.exec();
    QStringList classes;
    QSet<QString> seen;
    while (q.next()) {
        const QString name = q.text(0);
        const QString key = clinictext::key(name);
        // A blank class (NULL, "" or only blanks) is no class to pick: items without a class
        // are reached by their own name. Classes differing only in trailing blanks or ASCII
        // case are one class to the clinic's server, so they are offered once.
        if (key.isEmpty() || seen.contains(key)) continue;
        seen.insert(key);
        classes << name;
    }
    return classes;
}

ItemSearchResult SearchItems(db::Connection& c, const QString& typed)
{
    ItemSearchResult result;
    const QString exact = QStringLiteral("(") + clinictext::equals(QStringLiteral("收费项目")) + QStringLiteral(" OR ") +
                          clinictext::equals(QStringLiteral("ItemCode")) + QStringLiteral(")") + offered;
    result.item = firstItem(c, exact, {typed, typed});
    if (result.item) return result;

    const QString byName = clinictext::like(c, QStringLiteral("收费项目"));
    const QString byCode = clinictext::like(c, QStringLiteral("ItemCode"));
    const QString contains = QLatin1Char('%') + typed + QLatin1Char('%');
    db::Query q(c, QStringLiteral("SELECT 收费项目 FROM 收费标准表 WHERE (%1 OR %2)%3 ORDER BY ID").arg(byName, byCode, offered),
                {contains, contains});
    q.exec();
    while (q.next()) result.items << q.text(0);

    const QString prefix = typed + QLatin1Char('%');
    result.item = firstItem(c, QStringLiteral("(") + byName + QStringLiteral(" OR ") + byCode + QStringLiteral(")") + offered,
                            {prefix, prefix});
    return result;
}

} // namespace receipt
