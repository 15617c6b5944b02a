#include "walkin/WalkinStandardSheet.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"

namespace walkin {

namespace {
QVariant text(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }
} // namespace

receipt::SavedLines writeWalkinStandardSheet(db::Connection& c, const WalkinStandardSheet& s,
                                             const receipt::StandardItemList& items)
{
    receipt::SavedLines saved;
    saved.total = receipt::totalsOf(items).discounted;
    const QString table = QStringLiteral("无病历收费单");

    db::Transaction t(c);
    const db::FieldValues row{
        {QStringLiteral("病历号"), 0},
        {QStringLiteral("病人姓名"), text(s.patientName)},
        {QStringLiteral("合计"), saved.total},
        {QStringLiteral("医生编号"), text(s.doctorNumber)},
        {QStringLiteral("医生姓名"), text(s.doctorName)},
        {QStringLiteral("收款人"), text(s.cashier)},
        {QStringLiteral("日期"), s.date},
        {QStringLiteral("付款"), QStringLiteral("已付")},
        {QStringLiteral("科室"), text(s.department)},
        {QStringLiteral("性别"), text(s.sex)},
        {QStringLiteral("年龄"), static_cast<qint16>(s.age)},
        {QStringLiteral("应收金额"), saved.total},
        {QStringLiteral("收款金额"), saved.total},
        {QStringLiteral("余额"), 0.0},
        {QStringLiteral("护士"), text(s.nurse)},
        // Shown and typed in the dialog, so kept with the sheet.
        {QStringLiteral("备注"), text(s.remark)},
    };
    if (s.id > 0) {
        db::Where same{QStringLiteral("ID=? AND IsPrescriptionFlag IS NULL"), {s.id}};
        if (s.loadedTotal) {
            same.sql += QStringLiteral(" AND COALESCE(合计,0)=?");
            same.values << *s.loadedTotal;
        }
        if (db::ModefyRecord(c, table, row, same) == 0)
            throw receipt::SaveConflict(QStringLiteral("walk-in sheet %1 was changed or removed at another desk").arg(s.id));
        saved.id = s.id;
    } else {
        saved.id = db::AddRecord(c, table, row);
    }
    saved.newIds = receipt::saveStandardItems(c, receipt::ReceiptKind::Walkin, saved.id, items);
    t.commit();
    return saved;
}

} // namespace walkin
