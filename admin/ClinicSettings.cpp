#include "admin/ClinicSettings.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"

namespace clinicsettings
{
namespace
{

const QStringList kDiscountColumns = {
    QStringLiteral("DiscoutYesNo"),           QStringLiteral("VIPDiscoutYesNo"),      QStringLiteral("FeeDiscoutYesNo"),
    QStringLiteral("CurrentFeeDiscoutYesNo"), QStringLiteral("FeeDiscoutOnlyForVIP"), QStringLiteral("MoneyCardYesNo"),
    QStringLiteral("CardOnlyForDisctItem"),   QStringLiteral("OtherFreeYesNo"),       QStringLiteral("FeeItemYesNo")};
const QStringList kManagementColumns = {QStringLiteral("FeeIOShowYesNo"), QStringLiteral("FeeToPrepayFlag"),
                                        QStringLiteral("FeeToPrepayDiscout"), QStringLiteral("FeeGadeYesNo"),
                                        QStringLiteral("MedicineFromKBFlag")};

QList<QVariantList> rowsOf(db::Connection& c, const QString& table, const QStringList& columns)
{
    db::checkIdentifier(table);
    for (const QString& column : columns) db::checkIdentifier(column);
    db::Query q(c, QStringLiteral("SELECT %1 FROM %2").arg(columns.join(QLatin1Char(',')), table));
    q.exec();
    QList<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < columns.size(); ++i)
            row << (q.value(i).isNull() ? QVariant() : QVariant(db::toNumber(q.value(i))));
        rows << row;
    }
    return rows;
}

bool isOn(const QVariant& v)
{
    return !v.isNull() && v.toDouble() != 0.0;
}
bool isZero(const QVariant& v)
{
    return !v.isNull() && v.toDouble() == 0.0;
}

// Rewrites a one-row table when its rows are still as loaded; false when another desk changed
// them first.
bool rewrite(db::Connection& c, const QString& table, const QStringList& columns, const QList<QVariantList>& loaded,
             const QVariantList& values)
{
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE %1 IN SHARE ROW EXCLUSIVE MODE").arg(table));
    if (rowsOf(c, table, columns) != loaded)
        return false;
    db::execute(c, QStringLiteral("DELETE FROM ") + table);
    db::FieldValues fields;
    for (int i = 0; i < columns.size(); ++i)
        fields.append({columns[i], values[i]});
    db::AddRecord(c, table, fields, {});
    return true;
}

} // namespace

const QString kChangedElsewhere = QStringLiteral("设置已被其他收费台修改，已重新读取，请核对后再保存。");

QStringList policyNames()
{
    return {QStringLiteral("根据收费标准中设定的折扣值打折"),
            QStringLiteral("按会员级别打折"),
            QStringLiteral("按收费金额打折"),
            QStringLiteral("按消费卡抵扣"),
            QStringLiteral("根据会员之家中的积分打折"),
            QStringLiteral("按所选折扣类型打折（方式5）")};
}

Loaded load(db::Connection& c)
{
    Loaded l;
    l.discountRows = rowsOf(c, QStringLiteral("DiscountSet_table"), kDiscountColumns);
    l.managementRows = rowsOf(c, QStringLiteral("Management_table"), kManagementColumns);
    Settings& s = l.settings;
    // The rules read the first row (the refund switch the last one that says anything).
    if (!l.discountRows.isEmpty()) {
        const QVariantList& d = l.discountRows.first();
        s.discounts = isOn(d[0]), s.memberRanks = isOn(d[1]), s.feeVolume = isOn(d[2]),
        s.feeVolumeCumulative = isOn(d[3]);
        s.feeVolumeMembersOnly = isOn(d[4]), s.moneyCards = isOn(d[5]), s.cardOnlyDiscountable = isOn(d[6]),
        s.otherFree = isOn(d[7]);
        s.policy = int(d[8].toDouble());
    }
    for (const QVariantList& m : l.managementRows)
        if (!m[0].isNull())
            s.refundSwitch = isOn(m[0]);
    if (!l.managementRows.isEmpty()) {
        const QVariantList& m = l.managementRows.first();
        s.feeToPrepay = isZero(m[1]);
        s.feeToPrepayPercent = money::formatFixed(m[2].toDouble(), 2);
        s.points = m[3].toDouble() == 1.0 || m[3].toDouble() == -1.0;
        s.stockKept = isZero(m[4]);
    }
    return l;
}

Outcome save(db::Connection& c, const Loaded& loaded, const Settings& s)
{
    if (s.policy < 0 || s.policy >= policyNames().size())
        return {false, QStringLiteral("请选择一种折扣方式。"), 0};
    double percent = 0.0;
    if (!money::parseAmount(s.feeToPrepayPercent, percent) || percent < 0.0 || percent > 100.0)
        return {false, QStringLiteral("转为预付费的比例应在0到100之间。"), 0};
    const auto flag = [](bool on) { return QVariant(on ? 1 : 0); };
    const QVariantList discount = {flag(s.discounts),
                                   flag(s.memberRanks),
                                   flag(s.feeVolume),
                                   flag(s.feeVolumeCumulative),
                                   flag(s.feeVolumeMembersOnly),
                                   flag(s.moneyCards),
                                   flag(s.cardOnlyDiscountable),
                                   flag(s.otherFree),
                                   QVariant(s.policy)};
    const QVariantList management = {flag(s.refundSwitch), flag(!s.feeToPrepay), QVariant(money::round2(percent)),
                                     flag(s.points), flag(!s.stockKept)};
    db::Transaction tx(c);
    if (!rewrite(c, QStringLiteral("DiscountSet_table"), kDiscountColumns, loaded.discountRows, discount) ||
        !rewrite(c, QStringLiteral("Management_table"), kManagementColumns, loaded.managementRows, management))
        return {false, kChangedElsewhere, 0};
    tx.commit();
    return {true, QString(), 0};
}

} // namespace clinicsettings
