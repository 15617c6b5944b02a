#include "receipt/FeeReceipt.h"
#include "db/DocumentFee.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include "common/Money.h"
#include "receipt/ClinicText.h"
#include <cstdlib>

namespace receipt {

namespace {

const QString table = QStringLiteral("收费收据表");
const QString unpaid = QStringLiteral("未付");

// Rows the fee receipt dialog may change: unpaid, and not a prescription receipt.
const QString editable = QStringLiteral("ID=? AND rtrim(付款)='未付' AND IsPrescriptionFlag IS NULL");

// Texts are stored as typed, an empty one as "" (a null QString would be bound as NULL).
QVariant text(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }
QVariant blankWhenEmpty(const QString& s) { return s.isEmpty() ? QStringLiteral(" ") : s; }

} // namespace

double storedTotal(const CategoryAmounts& amounts, int refund)
{
    const double sum = sumOf(amounts);
    return refund == 1 ? -sum : sum;
}

std::optional<FeeReceipt> loadUnpaidFeeReceipt(db::Connection& c, qint64 id, const QString& doctorName)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 收费收据表 WHERE ID=? AND %1 AND rtrim(付款)='未付' "
                                  "AND IsPrescriptionFlag IS NULL")
                       .arg(clinictext::equals(QStringLiteral("医生姓名"))),
                {id, doctorName});
    q.exec();
    if (!q.next()) return std::nullopt;
    FeeReceipt r;
    r.id = q.integer(QStringLiteral("ID"));
    r.amounts = categoryAmountsOf(q);
    r.total = q.number(QStringLiteral("合计"));
    r.remark = q.text(QStringLiteral("备注"));
    r.department = q.text(QStringLiteral("科室"));
    r.nurse = q.text(QStringLiteral("护士"));
    r.refund = static_cast<int>(std::llabs(q.integer(QStringLiteral("FeeIO"))));
    r.patientName = q.text(QStringLiteral("病人姓名"));
    r.loaded = db::LoadedRow::capture(q, table, QStringLiteral("ID"));
    return r;
}

qint64 addFeeReceipt(db::Connection& c, const FeeReceipt& r)
{
    // One statement, yet in a transaction of its own: a failure at its very end (a full disk at
    // the commit) then undoes it for certain, and the ID it returned is never handed out.
    db::Transaction t(c);
    const qint64 id = db::AddRecord(c, table,
                         db::FieldValues{
                             {QStringLiteral("病历号"), r.caseNumber},
                             {QStringLiteral("病人姓名"), text(r.patientName)},
                             {QStringLiteral("合计"), r.total},
                             {QStringLiteral("医生编号"), text(r.doctorNumber)},
                             {QStringLiteral("医生姓名"), text(r.doctorName)},
                             {QStringLiteral("收款人"), QStringLiteral(" ")},
                             {QStringLiteral("日期"), r.date},
                             {QStringLiteral("付款"), unpaid},
                             {QStringLiteral("备注"), blankWhenEmpty(r.remark)},
                             {QStringLiteral("科室"), text(r.department)},
                             {QStringLiteral("FeeIO"), static_cast<qint16>(r.refund)},
                             {QStringLiteral("护士"), text(r.nurse)},
                         } + categoryFields(r.amounts));
    t.commit();
    return id;
}

UpdateResult updateFeeReceipt(db::Connection& c, FeeReceipt& r)
{
    const db::FieldValues fields = categoryFields(r.amounts) + db::FieldValues{
        {QStringLiteral("病历号"), r.caseNumber},
        {QStringLiteral("病人姓名"), text(r.patientName)},
        {QStringLiteral("合计"), r.total},
        {QStringLiteral("医生编号"), text(r.doctorNumber)},
        {QStringLiteral("医生姓名"), text(r.doctorName)},
        {QStringLiteral("护士"), text(r.nurse)},
        {QStringLiteral("日期"), r.date},
        {QStringLiteral("付款"), unpaid},
        {QStringLiteral("备注"), blankWhenEmpty(r.remark)},
        {QStringLiteral("科室"), text(r.department)},
        {QStringLiteral("FeeIO"), static_cast<qint16>(r.refund)},
    };
    if (!r.loaded)
        return db::ModefyRecord(c, table, fields, {editable, {r.id}}) > 0 ? UpdateResult::Updated
                                                                          : UpdateResult::NotEditable;
    const db::EditResult result = db::modifyIfUnchanged(c, *r.loaded, fields, {editable, {r.id}});
    if (result == db::EditResult::Written) {
        r.loaded->assign(fields);
        return UpdateResult::Updated;
    }
    if (result == db::EditResult::Gone) return UpdateResult::NotEditable;
    const bool stillEditable =
        !db::scalar(c, QStringLiteral("SELECT ID FROM 收费收据表 WHERE ") + editable, {r.id}).isNull();
    return stillEditable ? UpdateResult::Changed : UpdateResult::NotEditable;
}

DeleteResult deleteFeeReceipt(db::Connection& c, qint64 id)
{
    db::Transaction t(c);
    const int deleted = db::DeleteRecord(c, table, {editable, {id}});
    DeleteResult result = DeleteResult::Deleted;
    if (deleted == 0)
        result = db::scalar(c, QStringLiteral("SELECT ID FROM 收费收据表 WHERE ID=?"), {id}).isNull() ? DeleteResult::Gone
                                                                                                : DeleteResult::Settled;
    t.commit();
    return result;
}

double amountReceived(db::Connection& c, qint64 caseNumber, const QString& patientNumber)
{
    const QString patient =
        !clinictext::blank(patientNumber)
            ? patientNumber
            : db::toText(db::SelectFieldValue(c, QStringLiteral("SELECT 病人编号 FROM 病历卡表 WHERE 病历号=?"),
                                              {caseNumber}, QStringLiteral("病人编号")));
    // Without a patient number only this case's payments are the patient's for certain: a
    // blank number would gather every other case that has none.
    if (clinictext::blank(patient))
        return money::round2(db::toNumber(
            db::scalar(c, QStringLiteral("SELECT SUM(收款金额) FROM 病历收费单 WHERE 病历号=?"), {caseNumber})));
    return db::CalculateDocumentFee(c, patient).received;
}

} // namespace receipt
