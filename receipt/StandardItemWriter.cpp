#include "receipt/StandardItemWriter.h"
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"

namespace receipt {

namespace {

const QString lines = QStringLiteral("收费明细表");

QVariant text(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }

QString ownerColumn(ReceiptKind kind)
{
    return kind == ReceiptKind::CaseRecord ? QStringLiteral("收据编号") : QStringLiteral("无病案编号");
}

// The row of a loaded line, while it still holds what was loaded. The readers take a line
// without a rate as one at the full rate.
db::Where asLoaded(ReceiptKind kind, qint64 ownerId, const StandardItem& item)
{
    return db::stillAsRead(QStringLiteral("ID"), item.rowId,
                           {{ownerColumn(kind), ownerId},
                            {QStringLiteral("数量"), item.loaded.quantity},
                            {QStringLiteral("金额"), item.loaded.amount},
                            {QStringLiteral("Discout_Value"), item.loaded.rate},
                            {QStringLiteral("收费项目"), item.loaded.name}},
                           {{QStringLiteral("Discout_Value"), 1.0}});
}

db::FieldValues lineFields(const StandardItem& item)
{
    return {{QStringLiteral("收费类型"), text(item.className)},
            {QStringLiteral("收费项目"), text(item.name)},
            {QStringLiteral("单位"), text(item.unit)},
            {QStringLiteral("标准"), item.unitPrice},
            {QStringLiteral("数量"), item.quantity},
            {QStringLiteral("金额"), item.discountedAmount},
            {QStringLiteral("日期"), item.date}};
}

db::FieldValues discountFields(const StandardItem& item)
{
    return {{QStringLiteral("IsDiscout"), static_cast<qint16>(item.discountable)},
            {QStringLiteral("Discout_Value"), item.rate},
            {QStringLiteral("StandartFee"), item.unitPrice * item.quantity}};
}

} // namespace

std::vector<qint64> saveStandardItems(db::Connection& c, ReceiptKind kind, qint64 ownerId,
                                      const StandardItemList& items)
{
    db::Transaction t(c);
    std::vector<qint64> newIds;
    for (const StandardItem& item : items.lines()) {
        if (item.rowId > 0) {
            if (db::ModefyRecord(c, lines, lineFields(item) + discountFields(item), asLoaded(kind, ownerId, item)) == 0)
                throw SaveConflict(QStringLiteral("item line %1 was changed or removed at another desk").arg(item.rowId));
        } else {
            db::FieldValues fields = lineFields(item);
            fields << qMakePair(QStringLiteral("收据类型"), QVariant::fromValue(static_cast<qint16>(kind)))
                   << qMakePair(ownerColumn(kind), QVariant(ownerId));
            newIds.push_back(db::AddRecord(c, lines, fields + discountFields(item)));
        }
    }
    for (const StandardItem& item : items.removed())
        if (db::DeleteRecord(c, lines, asLoaded(kind, ownerId, item)) == 0)
            throw SaveConflict(QStringLiteral("item line %1 was changed or removed at another desk").arg(item.rowId));
    t.commit();
    return newIds;
}

std::optional<db::LoadedRow> loadStandardReceiptRow(db::Connection& c, qint64 id)
{
    // What the receipt dialog shows and writes; 日期 is left out, it is set on every save.
    static const QStringList columns{
        QStringLiteral("病历号"),   QStringLiteral("病人姓名"), QStringLiteral("合计"),   QStringLiteral("医生编号"),
        QStringLiteral("医生姓名"), QStringLiteral("备注"),     QStringLiteral("付款"),   QStringLiteral("科室"),
        QStringLiteral("FeeIO"),    QStringLiteral("护士"),     QStringLiteral("Doctor_Discout"),
        QStringLiteral("Doctor_Discout_Value")};
    db::Query q(c,
                QStringLiteral("SELECT ID,%1 FROM 收费收据表 WHERE ID=? AND rtrim(付款)='未付' AND IsPrescriptionFlag IS NULL")
                    .arg(columns.join(QLatin1Char(','))),
                {id});
    q.exec();
    if (!q.next()) return std::nullopt;
    return db::LoadedRow::capture(q, QStringLiteral("收费收据表"), QStringLiteral("ID"), columns);
}

SavedLines writeStandardReceipt(db::Connection& c, const StandardReceiptHeader& h, const StandardItemList& items)
{
    const settle::ItemTotals totals = totalsOf(items);
    SavedLines saved;
    saved.total = h.refund == 1 ? -totals.discounted : totals.discounted;

    db::Transaction t(c);
    const db::FieldValues header{
        {QStringLiteral("病历号"), h.caseNumber},
        {QStringLiteral("病人姓名"), text(h.patientName)},
        {QStringLiteral("合计"), saved.total},
        {QStringLiteral("医生编号"), text(h.doctorNumber)},
        {QStringLiteral("医生姓名"), text(h.doctorName)},
        {QStringLiteral("备注"), text(h.remark)},
        {QStringLiteral("日期"), h.date},
        {QStringLiteral("付款"), QStringLiteral("未付")},
        {QStringLiteral("科室"), text(h.department)},
        {QStringLiteral("FeeIO"), static_cast<qint16>(h.refund)},
        {QStringLiteral("护士"), text(h.nurse)},
        {QStringLiteral("Doctor_Discout"), static_cast<qint16>(h.discountType)},
        {QStringLiteral("Doctor_Discout_Value"), h.discountValue},
    };
    if (h.id > 0) {
        // Changed, settled, deleted or turned into a prescription receipt at another desk: keep it.
        if (!h.loaded) throw SaveConflict(QStringLiteral("receipt %1 was not loaded before its edit").arg(h.id));
        const db::Where unpaid{QStringLiteral("rtrim(付款)='未付' AND IsPrescriptionFlag IS NULL"), {}};
        if (db::modifyIfUnchanged(c, *h.loaded, header, unpaid) != db::EditResult::Written)
            throw SaveConflict(QStringLiteral("receipt %1 was changed at another desk or is no longer unpaid").arg(h.id));
        saved.id = h.id;
    } else {
        saved.id = db::AddRecord(c, QStringLiteral("收费收据表"), header);
    }
    saved.newIds = saveStandardItems(c, ReceiptKind::CaseRecord, saved.id, items);
    t.commit();
    return saved;
}

} // namespace receipt
