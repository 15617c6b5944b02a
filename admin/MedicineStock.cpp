#include "admin/MedicineStock.h"
#include "common/Money.h"
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "db/Transaction.h"

namespace medicines
{
namespace
{

constexpr int kMaxText = 50;
constexpr double kMaxQuantity = 1e6; // far beyond any delivery a clinic takes in
const QString kTable = QStringLiteral("常用药品表");
const QString kChangedElsewhere = QStringLiteral("该药品已被其他收费台修改，请重新打开后再试。");
const QString kGone = QStringLiteral("该药品已被其他收费台删除。");
const QStringList kTextColumns = {QStringLiteral("类别"),     QStringLiteral("名称"),     QStringLiteral("规格"),
                                  QStringLiteral("单位"),     QStringLiteral("服用方式"), QStringLiteral("每次用量"),
                                  QStringLiteral("每日用量"), QStringLiteral("适应症"),   QStringLiteral("医保类型")};

Outcome refused(const QString& message)
{
    return {false, message, 0};
}

QStringList textsOf(const MedicineInput& m)
{
    return {m.category, m.name, m.spec, m.unit, m.usage, m.dose, m.daily, m.indication, m.insurance};
}

QString checked(const MedicineInput& in, db::FieldValues& fields)
{
    const QStringList texts = textsOf(in);
    if (in.name.trimmed().isEmpty())
        return QStringLiteral("药品名称不能为空。");
    for (qsizetype i = 0; i < texts.size(); ++i)
        if (texts[i].trimmed().size() > kMaxText)
            return QStringLiteral("%1不能超过%2个字。").arg(kTextColumns[i]).arg(kMaxText);
    double price = 0.0;
    if (in.price.trimmed().isEmpty() || !money::parseAmount(in.price, price) || price < 0.0 ||
        !money::isStorable(price))
        return QStringLiteral("单价应为不小于0的金额。");
    fields.clear();
    for (qsizetype i = 0; i < texts.size(); ++i)
        fields.append({kTextColumns[i], texts[i].trimmed()});
    fields.append({QStringLiteral("单价"), money::round2(price)});
    return {};
}

// On PostgreSQL the catalogue is locked against other writers first, so that two desks adding
// the same medicine cannot both pass the check.
QString clash(db::Connection& c, const QString& name, const QString& spec, qint64 except)
{
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE 常用药品表 IN SHARE ROW EXCLUSIVE MODE"));
    const qint64 n = db::toInteger(
        db::scalar(c,
                   QStringLiteral("SELECT count(*) FROM 常用药品表 WHERE ") + db::sameText(QStringLiteral("名称")) +
                       QStringLiteral(" AND lower(rtrim(coalesce(规格,'')))=lower(rtrim(?)) AND ID<>?"),
                   {name, spec, except}));
    return n > 0 ? QStringLiteral("已有药品“%1 %2”。").arg(name, spec).trimmed() : QString();
}

QString fieldText(const db::FieldValues& fields, const QString& column)
{
    for (const auto& [name, value] : fields)
        if (name == column)
            return value.toString();
    return {};
}

Outcome missedGuard(db::Connection& c, qint64 id)
{
    const bool there = !db::scalar(c, QStringLiteral("SELECT ID FROM 常用药品表 WHERE ID=?"), {id}).isNull();
    return refused(there ? kChangedElsewhere : kGone);
}

const QString kSameMedicine = QStringLiteral(
    "lower(rtrim(coalesce(名称,'')))=lower(rtrim(?)) AND lower(rtrim(coalesce(规格,'')))=lower(rtrim(?))");

} // namespace

MedicineInput Medicine::input() const
{
    return {category, name, spec, unit, money::format2(price), usage, dose, daily, indication, insurance};
}

QList<Medicine> list(db::Connection& c)
{
    // The columns in kTextColumns' order, then the price.
    db::Query q(c, QStringLiteral("SELECT ID,类别,名称,规格,单位,服用方式,每次用量,每日用量,适应症,医保类型,单价 "
                                  "FROM 常用药品表 ORDER BY ID"));
    q.exec();
    QList<Medicine> all;
    while (q.next()) {
        Medicine m;
        m.id = q.integer(0);
        QStringList t;
        for (int i = 0; i < kTextColumns.size(); ++i) {
            // Empty, never NULL: the guard of an edit binds it, and NULL would match nothing.
            t << (q.text(i + 1).isNull() ? QStringLiteral("") : q.text(i + 1));
            m.asRead.append({kTextColumns[i], t.last()});
        }
        m.price = q.number(int(kTextColumns.size()) + 1);
        m.asRead.append({QStringLiteral("单价"), m.price});
        m.category = t[0], m.name = t[1], m.spec = t[2], m.unit = t[3];
        m.usage = t[4], m.dose = t[5], m.daily = t[6], m.indication = t[7], m.insurance = t[8];
        all.append(m);
    }
    return all;
}

Outcome add(db::Connection& c, const MedicineInput& in)
{
    db::FieldValues fields;
    if (const QString why = checked(in, fields); !why.isEmpty())
        return refused(why);
    db::Transaction tx(c);
    if (const QString why =
            clash(c, fieldText(fields, QStringLiteral("名称")), fieldText(fields, QStringLiteral("规格")), 0);
        !why.isEmpty())
        return refused(why);
    const qint64 id = db::AddRecord(c, kTable, fields);
    tx.commit();
    return {true, QString(), id};
}

Outcome edit(db::Connection& c, const Medicine& loaded, const MedicineInput& in)
{
    db::FieldValues fields;
    if (const QString why = checked(in, fields); !why.isEmpty())
        return refused(why);
    const QString name = fieldText(fields, QStringLiteral("名称"));
    const QString spec = fieldText(fields, QStringLiteral("规格"));
    db::Transaction tx(c);
    if (const QString why = clash(c, name, spec, loaded.id); !why.isEmpty())
        return refused(why);
    if (db::ModefyRecord(c, kTable, fields, db::stillAsRead(QStringLiteral("ID"), loaded.id, loaded.asRead)) != 1)
        return missedGuard(c, loaded.id);
    // The batches follow their medicine, or its stock would vanish from the check and the
    // stock-out under the new name.
    db::execute(c, QStringLiteral("UPDATE 材料库存表 SET 名称=?, 规格=? WHERE ") + kSameMedicine,
                {name, spec, loaded.name, loaded.spec});
    tx.commit();
    return {true, QString(), loaded.id};
}

Outcome remove(db::Connection& c, const Medicine& loaded)
{
    db::Transaction tx(c);
    // Locked first on PostgreSQL, so that an intake at another desk cannot slip in between.
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE 材料入库表 IN SHARE ROW EXCLUSIVE MODE"));
    const double held = db::toNumber(
        db::scalar(c, QStringLiteral("SELECT sum(现存数量) FROM 材料库存表 WHERE 现存数量>0 AND ") + kSameMedicine,
                   {loaded.name, loaded.spec}));
    if (held > 0.0)
        return refused(QStringLiteral("药品“%1”还有库存，不能删除。").arg(loaded.name));
    if (db::DeleteRecord(c, kTable, db::stillAsRead(QStringLiteral("ID"), loaded.id, loaded.asRead)) != 1)
        return missedGuard(c, loaded.id);
    tx.commit();
    return {true, QString(), loaded.id};
}

Outcome receive(db::Connection& c, const Intake& in, const QDateTime& now)
{
    if (in.medicineId <= 0)
        return refused(QStringLiteral("请先选择药品。"));
    const QString lot = in.lot.trimmed();
    if (lot.size() > kMaxText)
        return refused(QStringLiteral("批号不能超过%1个字。").arg(kMaxText));
    bool ok = false;
    const double quantity = in.quantity.trimmed().toDouble(&ok);
    if (!ok || !(quantity > 0.0) || quantity > kMaxQuantity)
        return refused(QStringLiteral("入库数量应为大于0的数。"));
    if (!in.expires.isValid() || in.expires <= now.date())
        return refused(QStringLiteral("有效期应在今天之后。"));
    double price = 0.0;
    if (in.price.trimmed().isEmpty() || !money::parseAmount(in.price, price) || price < 0.0 ||
        !money::isStorable(price))
        return refused(QStringLiteral("入库价格应为不小于0的金额。"));
    const double total = money::round2(price * quantity);
    if (!money::isStorable(total))
        return refused(money::kAmountOutOfRange);

    db::Transaction tx(c);
    // Intakes are taken one at a time on PostgreSQL, so that two deliveries of a new batch at
    // once make one batch; stock-outs are not held up by it.
    if (!c.isSQLite())
        c.execute(QStringLiteral("LOCK TABLE 材料入库表 IN SHARE ROW EXCLUSIVE MODE"));
    db::Query medicine(c, QStringLiteral("SELECT 名称,规格,单位 FROM 常用药品表 WHERE ID=?"), {in.medicineId});
    medicine.exec();
    if (!medicine.next())
        return refused(kGone);
    const QString name = medicine.text(0), spec = medicine.text(1), unit = medicine.text(2);
    const QString expires = db::dateTimeText(QDateTime(in.expires, QTime(0, 0)));
    const qint64 found = db::toInteger(
        db::scalar(c,
                   QStringLiteral("SELECT min(库存编号) FROM 材料库存表 WHERE ") + kSameMedicine +
                       QStringLiteral(" AND lower(rtrim(coalesce(批号,'')))=lower(rtrim(?)) AND ExpireDate=?"),
                   {name, spec, lot, expires}));
    qint64 batch = found;
    if (found > 0)
        db::execute(c, QStringLiteral("UPDATE 材料库存表 SET 现存数量=coalesce(现存数量,0)+? WHERE 库存编号=?"),
                    {quantity, found});
    else
        batch = db::AddRecord(c, QStringLiteral("材料库存表"),
                              {{QStringLiteral("名称"), name},
                               {QStringLiteral("规格"), spec},
                               {QStringLiteral("批号"), lot},
                               {QStringLiteral("现存数量"), quantity},
                               {QStringLiteral("ExpireDate"), expires}},
                              QStringLiteral("库存编号"));
    db::AddRecord(c, QStringLiteral("材料入库表"),
                  {{QStringLiteral("KBID"), batch},
                   {QStringLiteral("名称"), name},
                   {QStringLiteral("规格"), spec},
                   {QStringLiteral("单位"), unit},
                   {QStringLiteral("批号"), lot},
                   {QStringLiteral("数量"), quantity},
                   {QStringLiteral("入库价格"), money::round2(price)},
                   {QStringLiteral("总价"), total},
                   {QStringLiteral("ExpireDate"), expires},
                   {QStringLiteral("日期"), db::dateTimeText(now)},
                   {QStringLiteral("经手人"), in.handler.trimmed()},
                   {QStringLiteral("备注"), in.remark.trimmed()}},
                  QStringLiteral("入库编号"));
    tx.commit();
    return {true, QString(), batch};
}

} // namespace medicines
