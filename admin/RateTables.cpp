#include "admin/RateTables.h"
#include "admin/PriceList.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/TextMatch.h"
#include "db/Transaction.h"
#include <QSet>
#include <algorithm>

namespace ratetables
{
namespace
{

constexpr int kMaxName = 30;
// Money cards are read back through a single-precision float and kept to three decimals: up to
// this value that still gives the fen that was stored.
constexpr double kMaxCardValue = 10000.0;

QString s(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

Column col(const char* name, const char* label, Kind kind, int decimals = 2)
{
    return {s(name), s(label), kind, decimals, {}, {}};
}

bool isText(const Column& c)
{
    return c.kind == Kind::Name || c.kind == Kind::Text || (c.kind == Kind::Choice && !c.storedAs.isEmpty());
}

// The unique key of a row: its name columns, and for the points factors also the kind of name.
QString keyOf(const Table& t, const QVariantList& values)
{
    QString key;
    for (int i = 0; i < t.columns.size(); ++i)
        if (t.columns[i].kind == Kind::Name || (t.id == PointsFactors && t.columns[i].kind == Kind::Choice))
            key += db::textKey(values[i].toString()) + QLatin1Char('\n');
    return key;
}

QString shown(const Column& c, const QVariant& v)
{
    if (v.isNull())
        return c.kind == Kind::Choice && !c.storedAs.isEmpty() ? c.choices.first() : QString();
    if (c.kind == Kind::Choice) {
        if (!c.storedAs.isEmpty()) {
            // Anything but the first stored text reads as the second (a rank is listed only
            // when its note says so).
            const int i = int(c.storedAs.indexOf(v.toString().trimmed()));
            return c.choices.value(i < 0 ? int(c.choices.size()) - 1 : i);
        }
        const int i = int(db::toInteger(v));
        return i >= 0 && i < c.choices.size() ? c.choices[i] : v.toString();
    }
    if (isText(c))
        return v.toString();
    const double d = db::toNumber(v);
    if (c.kind == Kind::Amount || (c.kind == Kind::CardValue && d > 1.0))
        return money::format2(d);
    QString t = money::formatFixed(d, c.decimals);
    if (t.contains(QLatin1Char('.'))) {
        while (t.endsWith(QLatin1Char('0')))
            t.chop(1);
        if (t.endsWith(QLatin1Char('.')))
            t.chop(1);
    }
    return t;
}

// The value to store for what was typed, or why it cannot be.
QString checked(const Column& c, const QString& typed, QVariant& out)
{
    const QString t = typed.trimmed();
    double v = 0.0;
    const bool number = !t.isEmpty() && money::parseAmount(t, v) && money::isStorable(v);
    switch (c.kind) {
    case Kind::Name:
    case Kind::Text:
        if (t.isEmpty())
            return QStringLiteral("%1不能为空。").arg(c.label);
        if (t.size() > kMaxName)
            return QStringLiteral("%1不能超过%2个字。").arg(c.label).arg(kMaxName);
        out = t;
        return {};
    case Kind::Rate:
        if (!number || v < 0.0 || v > 1.0)
            return QStringLiteral("%1应在0到1之间。").arg(c.label);
        out = money::roundTo(v, c.decimals);
        return {};
    case Kind::Amount:
        if (!number || money::toFen(v) < 0)
            return QStringLiteral("%1应为不小于0的金额。").arg(c.label);
        out = money::round2(v);
        return {};
    case Kind::CardValue:
        if (!number || !(v > 0.0) || v > kMaxCardValue)
            return QStringLiteral("%1应大于0且不超过%2。").arg(c.label).arg(kMaxCardValue);
        out = v > 1.0 ? money::round2(v) : money::round3(v);
        return {};
    case Kind::Points:
        if (!number)
            return QStringLiteral("%1应为数字。").arg(c.label);
        out = money::roundTo(v, c.decimals);
        return {};
    case Kind::Factor:
        if (!number || v < 0.0)
            return QStringLiteral("%1应为不小于0的数。").arg(c.label);
        out = money::roundTo(v, c.decimals);
        return {};
    case Kind::Choice: {
        const int i = int(c.choices.indexOf(t));
        if (i < 0)
            return QStringLiteral("%1应为%2。").arg(c.label, c.choices.join(QStringLiteral("或")));
        out = c.storedAs.isEmpty() ? QVariant(i) : QVariant(c.storedAs[i]);
        return {};
    }
    }
    return {};
}

QList<QVariantList> storedRows(db::Connection& c, const Table& t)
{
    db::checkIdentifier(t.name);
    QStringList names;
    for (const Column& column : t.columns) {
        db::checkIdentifier(column.name);
        names << column.name;
    }
    for (const QString& column : t.order) db::checkIdentifier(column);
    db::Query q(c, QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                       .arg(names.join(QLatin1Char(',')), t.name, t.order.join(QLatin1Char(','))));
    q.exec();
    QList<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < t.columns.size(); ++i)
            row << (q.value(i).isNull()    ? QVariant()
                    : isText(t.columns[i]) ? QVariant(q.text(i))
                                           : QVariant(q.number(i)));
        rows << row;
    }
    return rows;
}

bool inBand(const QList<QVariantList>& bands, double value)
{
    for (const QVariantList& b : bands)
        if (!b[0].isNull() && !b[1].isNull() && b[0].toDouble() < value && b[1].toDouble() > value)
            return true;
    return false;
}

// Bands go up row by row: each lower bound below its upper one and not below the upper bound
// of the row before (a bound shared by two rows lies in neither, as the look-ups read it).
QString bandProblem(const QList<QVariantList>& rows)
{
    for (int r = 0; r < rows.size(); ++r) {
        if (money::toFen(rows[r][0].toDouble()) >= money::toFen(rows[r][1].toDouble()))
            return QStringLiteral("第%1行：下限应小于上限。").arg(r + 1);
        if (r > 0 && money::toFen(rows[r][0].toDouble()) < money::toFen(rows[r - 1][1].toDouble()))
            return QStringLiteral("第%1行：区间应从小到大排列，且不能与上一行重叠。").arg(r + 1);
    }
    return {};
}

// A points factor is found by the exact name a receipt gives its category or item: a name
// nothing is called would never earn a point.
QString unknownName(db::Connection& c, const QList<QVariantList>& rows)
{
    const prices::CategoryNames categories = prices::categoryNames(c);
    for (int r = 0; r < rows.size(); ++r) {
        const QString name = rows[r][1].toString();
        if (rows[r][0].toInt() == 0) {
            if (std::find(categories.begin(), categories.end(), name) == categories.end())
                return QStringLiteral("第%1行：没有名为“%2”的收费类别。").arg(r + 1).arg(name);
        } else if (db::toInteger(db::scalar(c, QStringLiteral("SELECT count(*) FROM 收费标准表 WHERE 收费项目=?"),
                                            {name})) == 0) {
            return QStringLiteral("第%1行：没有名为“%2”的收费项目。").arg(r + 1).arg(name);
        }
    }
    return {};
}

// What the rules would misread after the save: a rank members hold that is gone (their rate
// would silently become 1), or a member whose points fall out of every band (the next booking
// would take their card type away).
QString inUse(db::Connection& c, const Table& t, const QList<QVariantList>& before, const QList<QVariantList>& after)
{
    if (t.id == MemberRanks) {
        QSet<QString> kept, had;
        for (const QVariantList& r : after)
            kept.insert(db::textKey(r[0].toString()));
        for (const QVariantList& r : before)
            had.insert(db::textKey(r[0].toString()));
        db::Query q(c,
                    QStringLiteral(
                        "SELECT DISTINCT VIP_Rank_Name FROM 病人简历表 WHERE IS_VIP=1 AND VIP_Rank_Name IS NOT NULL"));
        q.exec();
        while (q.next()) {
            const QString rank = q.text(0);
            if (had.contains(db::textKey(rank)) && !kept.contains(db::textKey(rank)))
                return QStringLiteral("会员级别“%1”还有会员在用，不能删除或改名。").arg(rank.trimmed());
        }
    } else if (t.id == PointsBands) {
        db::Query q(c, QStringLiteral("SELECT VIP_CODE, VIP_grade_value FROM PrePay_Table "
                                      "WHERE VIP_grade_value IS NOT NULL ORDER BY ID"));
        q.exec();
        while (q.next()) {
            const double points = money::roundTo(q.number(1), 6);
            if (inBand(before, points) && !inBand(after, points))
                return QStringLiteral("会员“%1”的积分%2将不在任何积分段内，请保留其积分段。")
                    .arg(q.text(0), money::formatFixed(points, 2));
        }
    }
    return {};
}

} // namespace

const QString kChangedElsewhere = QStringLiteral("该表已被其他收费台修改，已重新读取，请核对后再保存。");

const QList<Table>& tables()
{
    static const QList<Table> all = [] {
        Column visible = col("Note", "在折扣类型中列出", Kind::Choice);
        visible.choices = visible.storedAs = {s("可见"), s("不可见")};
        Column byWhat = col("FeeItemType", "积分按", Kind::Choice);
        byWhat.choices = {s("收费类别"), s("收费项目")};
        const auto feeBands = [](TableId id, const char* name, const char* title) {
            return Table{id,
                         s(name),
                         s(title),
                         {col("MinMoney", "金额下限（不含）", Kind::Amount),
                          col("MaxMoney", "金额上限（不含）", Kind::Amount), col("Discout", "折扣", Kind::Rate, 5)},
                         {s("MinMoney"), s("MaxMoney"), s("Discout")},
                         true};
        };
        return QList<Table>{
            {MemberRanks,
             s("Discount_table"),
             s("会员级别折扣"),
             {col("DiscountName", "会员级别", Kind::Name), col("DiscountValue", "折扣", Kind::Rate, 3), visible},
             {s("ID")},
             false},
            feeBands(CurrentFeeBands, "DiscountCurrente_table", "按本次收费打折"),
            feeBands(CumulativeFeeBands, "DiscountAccout_table", "按累计收费打折"),
            {MoneyCards,
             s("MoneyCard_Table"),
             s("消费卡"),
             {col("MoneyCard_Name", "消费卡名称", Kind::Name),
              col("MoneyCard_Value", "抵扣金额（不大于1时为折扣）", Kind::CardValue, 3)},
             {s("ID")},
             false},
            {PointsBands,
             s("Grade_shengji_Calculate_table"),
             s("根据会员之家中的积分打折"),
             {col("VIP_min_value", "积分下限（不含）", Kind::Points),
              col("VIP_max_value", "积分上限（不含）", Kind::Points), col("Discout_value", "折扣", Kind::Rate, 5),
              col("VIP_card_type", "会员卡类型", Kind::Text)},
             {s("ID")},
             true},
            {PointsFactors,
             s("Grade_Calculte_table"),
             s("会员积分"),
             {byWhat, col("FeeItem", "名称", Kind::Name), col("FeeGradeCalculter", "每100元积分", Kind::Factor, 4)},
             {s("FeeItemType"), s("FeeItem")},
             false},
        };
    }();
    return all;
}

const Table& table(TableId id)
{
    return tables()[id];
}

Loaded load(db::Connection& c, TableId id)
{
    const Table& t = table(id);
    Loaded l;
    l.table = id;
    l.stored = storedRows(c, t);
    for (const QVariantList& values : l.stored) {
        Row row;
        for (int i = 0; i < t.columns.size(); ++i)
            row << shown(t.columns[i], values[i]);
        l.rows << row;
    }
    return l;
}

Outcome save(db::Connection& c, const Loaded& loaded, const QList<Row>& typed)
{
    const Table& t = table(loaded.table);
    QList<QVariantList> rows;
    QSet<QString> keys;
    for (const Row& row : typed) {
        // A row nothing was typed into (its choices as offered) is no row.
        bool blank = true;
        for (int i = 0; i < t.columns.size(); ++i)
            if (t.columns[i].kind != Kind::Choice && !row.value(i).trimmed().isEmpty())
                blank = false;
        if (blank)
            continue;
        const int n = int(rows.size()) + 1;
        QVariantList values;
        for (int i = 0; i < t.columns.size(); ++i) {
            QVariant v;
            if (const QString why = checked(t.columns[i], row.value(i), v); !why.isEmpty())
                return {false, QStringLiteral("第%1行：").arg(n) + why, 0};
            values << v;
        }
        const QString key = keyOf(t, values);
        if (!key.isEmpty() && keys.contains(key))
            return {false,
                    QStringLiteral("第%1行：“%2”重复。").arg(n).arg(row.value(t.id == PointsFactors ? 1 : 0).trimmed()),
                    0};
        keys.insert(key);
        rows << values;
    }
    if (t.bands)
        if (const QString why = bandProblem(rows); !why.isEmpty())
            return {false, why, 0};

    db::Transaction tx(c);
    // One desk at a time: the check against the rows as loaded and the rewrite must not let
    // another desk's save slip in between.
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(t.name));
    if (storedRows(c, t) != loaded.stored)
        return {false, kChangedElsewhere, 0};
    if (t.id == PointsFactors)
        if (const QString why = unknownName(c, rows); !why.isEmpty())
            return {false, why, 0};
    if (const QString why = inUse(c, t, loaded.stored, rows); !why.isEmpty())
        return {false, why, 0};
    db::execute(c, QStringLiteral("DELETE FROM ") + t.name);
    for (const QVariantList& values : rows) {
        db::FieldValues fields;
        for (int i = 0; i < t.columns.size(); ++i)
            fields.append({t.columns[i].name, values[i]});
        db::AddRecord(c, t.name, fields, {});
    }
    tx.commit();
    return {true, QString(), 0};
}

} // namespace ratetables
