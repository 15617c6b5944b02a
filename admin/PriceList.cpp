#include "admin/PriceList.h"
#include "common/Money.h"
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "db/Transaction.h"
#include "receipt/FeeCategories.h"

namespace prices
{
namespace
{

constexpr int kMaxName = 50;
constexpr int kMaxLabel = 10; // a category's label sits in a narrow column of the receipt

Outcome refused(const QString& message)
{
    return {false, message, 0};
}

const QString kChangedElsewhere = QStringLiteral("该收费项目已被其他收费台修改，请重新打开后再试。");
const QString kGone = QStringLiteral("该收费项目已被其他收费台删除。");

// A text as the guard of an edit binds it: an empty text, never NULL, which would match nothing.
QString text(const db::Query& q, int column)
{
    return q.text(column).isNull() ? QStringLiteral("") : q.text(column);
}

Item readItem(const db::Query& q)
{
    Item i;
    i.id = q.integer(0);
    i.office = text(q, 1);
    i.className = text(q, 2);
    i.typeCode = text(q, 3);
    i.name = text(q, 4);
    i.itemCode = text(q, 5);
    i.unit = text(q, 6);
    i.price = q.number(7);
    i.remark = text(q, 8);
    i.discountable = q.integer(9) == 1;
    i.rate = q.isNull(QStringLiteral("Discout_Value")) ? 1.0 : q.number(10);
    i.retired = q.integer(11) != 0;
    // As the readers turned NULL into 0 or "": what the guard of an edit compares.
    i.asRead = {{QStringLiteral("Office"), i.office},
                {QStringLiteral("收费分类"), i.className},
                {QStringLiteral("TypeCode"), i.typeCode},
                {QStringLiteral("收费项目"), i.name},
                {QStringLiteral("ItemCode"), i.itemCode},
                {QStringLiteral("单位"), i.unit},
                {QStringLiteral("单价"), i.price},
                {QStringLiteral("备注"), i.remark},
                {QStringLiteral("IS_Discount"), q.integer(9)},
                {QStringLiteral("Discout_Value"), q.number(10)},
                {QStringLiteral("停用"), q.integer(11)}};
    return i;
}

// The fields to write, or a refusal in the manager's words.
QString checked(const ItemInput& in, db::FieldValues& fields)
{
    const QString name = in.name.trimmed();
    if (name.isEmpty())
        return QStringLiteral("收费项目名称不能为空。");
    if (name.size() > kMaxName)
        return QStringLiteral("收费项目名称不能超过%1个字。").arg(kMaxName);
    double price = 0.0;
    if (in.price.trimmed().isEmpty() || !money::parseAmount(in.price, price) || price < 0.0 ||
        !money::isStorable(price))
        return QStringLiteral("单价应为不小于0的金额。");
    double rate = 1.0;
    if (!in.rate.trimmed().isEmpty() && (!money::parseAmount(in.rate, rate) || !(rate > 0.0 && rate <= 1.0)))
        return QStringLiteral("折扣值应大于0且不大于1。");
    fields = {{QStringLiteral("Office"), in.office.trimmed()},
              {QStringLiteral("收费分类"), in.className.trimmed()},
              {QStringLiteral("TypeCode"), in.typeCode.trimmed()},
              {QStringLiteral("收费项目"), name},
              {QStringLiteral("ItemCode"), in.itemCode.trimmed()},
              {QStringLiteral("单位"), in.unit.trimmed()},
              {QStringLiteral("单价"), money::round2(price)},
              {QStringLiteral("备注"), in.remark.trimmed()},
              {QStringLiteral("IS_Discount"), in.discountable ? 1 : 0},
              {QStringLiteral("Discout_Value"), money::round4(rate)}};
    return {};
}

QString fieldText(const db::FieldValues& fields, const QString& column)
{
    for (const auto& [name, value] : fields)
        if (name == column)
            return value.toString();
    return {};
}

// Names and codes are checked and written in one transaction; on PostgreSQL the catalogue is
// locked against other writers first, so that two desks adding the same item cannot both pass.
// A receipt line finds its item by class and name, a search by code: neither may find two.
QString clash(db::Connection& c, const db::FieldValues& fields, qint64 except)
{
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE 收费标准表 IN SHARE ROW EXCLUSIVE MODE"));
    const QString cls = fieldText(fields, QStringLiteral("收费分类"));
    const QString name = fieldText(fields, QStringLiteral("收费项目"));
    const QString code = fieldText(fields, QStringLiteral("ItemCode"));
    const QString live = QStringLiteral(" AND coalesce(停用,0)=0 AND ID<>?");
    if (db::toInteger(db::scalar(
            c,
            QStringLiteral(
                "SELECT count(*) FROM 收费标准表 WHERE lower(rtrim(coalesce(收费分类,'')))=lower(rtrim(?)) AND ") +
                db::sameText(QStringLiteral("收费项目")) + live,
            {cls, name, except})) > 0)
        return QStringLiteral("收费分类“%1”中已有收费项目“%2”。").arg(cls, name);
    if (!code.isEmpty() && db::toInteger(db::scalar(c,
                                                    QStringLiteral("SELECT count(*) FROM 收费标准表 WHERE ") +
                                                        db::sameText(QStringLiteral("ItemCode")) + live,
                                                    {code, except})) > 0)
        return QStringLiteral("项目编码“%1”已被使用。").arg(code);
    return {};
}

// One write of a loaded item, guarded by the row as it was read.
Outcome guardedWrite(db::Connection& c, const Item& loaded, const db::FieldValues& fields)
{
    if (db::ModefyRecord(c, QStringLiteral("收费标准表"), fields,
                         db::stillAsRead(QStringLiteral("ID"), loaded.id, loaded.asRead)) == 1)
        return {true, QString(), loaded.id};
    const bool there = !db::scalar(c, QStringLiteral("SELECT ID FROM 收费标准表 WHERE ID=?"), {loaded.id}).isNull();
    return refused(there ? kChangedElsewhere : kGone);
}

} // namespace

ItemInput Item::input() const
{
    return {office,       className,           typeCode, name, itemCode, unit, money::format2(price), remark,
            discountable, money::format3(rate)};
}

QList<Item> list(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT ID,Office,收费分类,TypeCode,收费项目,ItemCode,单位,单价,备注,IS_Discount,"
                                  "Discout_Value,停用 FROM 收费标准表 ORDER BY ID"));
    q.exec();
    QList<Item> items;
    while (q.next())
        items.append(readItem(q));
    return items;
}

Outcome add(db::Connection& c, const ItemInput& in)
{
    db::FieldValues fields;
    if (const QString why = checked(in, fields); !why.isEmpty())
        return refused(why);
    db::Transaction tx(c);
    if (const QString why = clash(c, fields, 0); !why.isEmpty())
        return refused(why);
    fields.append({QStringLiteral("停用"), 0});
    const qint64 id = db::AddRecord(c, QStringLiteral("收费标准表"), fields);
    tx.commit();
    return {true, QString(), id};
}

Outcome edit(db::Connection& c, const Item& loaded, const ItemInput& in)
{
    db::FieldValues fields;
    if (const QString why = checked(in, fields); !why.isEmpty())
        return refused(why);
    db::Transaction tx(c);
    if (!loaded.retired)
        if (const QString why = clash(c, fields, loaded.id); !why.isEmpty())
            return refused(why);
    Outcome o = guardedWrite(c, loaded, fields);
    if (o.ok)
        tx.commit();
    return o;
}

Outcome retire(db::Connection& c, const Item& loaded)
{
    db::Transaction tx(c);
    // Lines name their item by class and name; a line of any receipt, paid or not, keeps it.
    const bool named =
        db::toInteger(db::scalar(
            c,
            QStringLiteral(
                "SELECT count(*) FROM 收费明细表 WHERE lower(rtrim(coalesce(收费类型,'')))=lower(rtrim(?)) AND ") +
                db::sameText(QStringLiteral("收费项目")),
            {loaded.className, loaded.name})) > 0;
    Outcome o;
    if (named) {
        o = guardedWrite(c, loaded, {{QStringLiteral("停用"), 1}});
        if (o.ok)
            o.message = QStringLiteral("收费项目“%1”已有收费明细，已停用。").arg(loaded.name);
    } else if (db::DeleteRecord(c, QStringLiteral("收费标准表"),
                                db::stillAsRead(QStringLiteral("ID"), loaded.id, loaded.asRead)) == 1) {
        o = {true, QStringLiteral("已删除收费项目“%1”。").arg(loaded.name), loaded.id};
    } else {
        o = guardedWrite(c, loaded, {}); // tells changed from gone
    }
    if (o.ok)
        tx.commit();
    return o;
}

Outcome restore(db::Connection& c, const Item& loaded)
{
    db::Transaction tx(c);
    const db::FieldValues fields = {{QStringLiteral("收费分类"), loaded.className},
                                    {QStringLiteral("收费项目"), loaded.name},
                                    {QStringLiteral("ItemCode"), loaded.itemCode}};
    if (const QString why = clash(c, fields, loaded.id); !why.isEmpty())
        return refused(why);
    Outcome o = guardedWrite(c, loaded, {{QStringLiteral("停用"), 0}});
    if (o.ok)
        tx.commit();
    return o;
}

CategoryNames categoryNames(db::Connection& c)
{
    CategoryNames names = receipt::defaultCategoryLabels();
    receipt::LoadCategoryLabels(c, names);
    return names;
}

Outcome renameCategories(db::Connection& c, const CategoryNames& loaded, const CategoryNames& raw)
{
    const CategoryNames defaults = receipt::defaultCategoryLabels();
    CategoryNames names;
    for (size_t i = 0; i < names.size(); ++i) {
        names[i] = raw[i].trimmed().isEmpty() ? defaults[i] : raw[i].trimmed();
        if (names[i].size() > kMaxLabel)
            return refused(QStringLiteral("类别名称不能超过%1个字。").arg(kMaxLabel));
        for (size_t j = 0; j < i; ++j)
            if (names[j] == names[i])
                return refused(QStringLiteral("类别名称“%1”重复。").arg(names[i]));
    }
    db::Transaction tx(c);
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE ReceiptItemName_Table IN SHARE ROW EXCLUSIVE MODE"));
    const CategoryNames now = categoryNames(c);
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] == loaded[i])
            continue;
        if (now[i] != loaded[i])
            return refused(QStringLiteral("类别名称已被其他收费台修改，请重新打开后再试。"));
        const int index = int(i) + 1;
        db::execute(c, QStringLiteral("DELETE FROM ReceiptItemName_Table WHERE ItemIndex=?"), {index});
        db::AddRecord(c, QStringLiteral("ReceiptItemName_Table"),
                      {{QStringLiteral("ItemIndex"), index}, {QStringLiteral("ItemName"), names[i]}}, {});
    }
    tx.commit();
    return {true, QString(), 0};
}

} // namespace prices
