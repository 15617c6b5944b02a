#include "rx/PrescriptionDetail.h"
#include "common/Money.h"
#include "db/Error.h"
#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include <stdexcept>
#include <vector>

namespace rx {

namespace {

const QString table = QStringLiteral("处方明细表");

QString documentColumn(FeeDocument kind)
{
    return kind == FeeDocument::Receipt ? QStringLiteral("ReceiptID") : QStringLiteral("NonDocReceiptID");
}

db::FieldValues rowOf(const MedicineLine& l, FeeDocument kind, qint32 documentId)
{
    return {
        {QStringLiteral("名称"), l.name},
        {QStringLiteral("规格"), l.spec},
        {QStringLiteral("单位"), l.unit},
        {QStringLiteral("单价"), l.price},
        {QStringLiteral("数量"), l.quantity},
        {QStringLiteral("金额"), l.amount},
        {QStringLiteral("类别"), l.category},
        {QStringLiteral("服用方式"), l.usage},
        {QStringLiteral("每次用量"), l.dose},
        {QStringLiteral("每日次数"), l.timesPerDay},
        // Read back by the list and entered in the dialog, so stored with the rest.
        {QStringLiteral("医保类型"), l.insurance},
        {QStringLiteral("备注"), l.remark},
        {documentColumn(kind), documentId},
        {QStringLiteral("MedcineOutFlag"), kind == FeeDocument::WalkInSheet ? 1 : 0},
    };
}

// The row of a stored line: under its own document and, when the lines as loaded are given,
// still as it was read (NULL read as 0 or "", as ShowMedicineList reads it).
db::Where rowOfLine(const MedicineLine& l, FeeDocument kind, qint32 documentId, const MedicineLineList* asLoaded)
{
    if (asLoaded)
        for (const MedicineLine& read : *asLoaded)
            if (read.rowId == l.rowId)
                return db::stillAsRead(QStringLiteral("ID"), l.rowId,
                                       {{documentColumn(kind), documentId},
                                        {QStringLiteral("名称"), read.name},
                                        {QStringLiteral("规格"), read.spec},
                                        {QStringLiteral("单价"), read.price},
                                        {QStringLiteral("数量"), read.quantity},
                                        {QStringLiteral("金额"), read.amount}});
    return {QStringLiteral("ID=? AND %1=?").arg(documentColumn(kind)), {l.rowId, documentId}};
}

} // namespace

QStringList medicineListRow(const MedicineLine& l)
{
    return {l.name,
            l.spec,
            l.unit,
            money::format2(l.price),
            money::format2(l.quantity),
            money::format2(l.amount),
            l.category,
            l.usage,
            l.dose,
            l.timesPerDay,
            l.insurance,
            l.remark,
            QString::number(l.rowId)};
}

double ShowMedicineList(db::Connection& c, FeeDocument kind, qint32 documentId, MedicineLineList& lines,
                        QList<QStringList>* rows)
{
    std::vector<MedicineLine> stored;
    if (documentId != 0) {
        db::Query q(c, QStringLiteral("SELECT * FROM 处方明细表 WHERE %1=? ORDER BY ID").arg(documentColumn(kind)),
                    {documentId});
        q.exec();
        while (q.next()) {
            MedicineLine l;
            l.name = q.text(QStringLiteral("名称"));
            l.spec = q.text(QStringLiteral("规格"));
            l.unit = q.text(QStringLiteral("单位"));
            l.price = q.number(QStringLiteral("单价"));
            l.quantity = q.number(QStringLiteral("数量"));
            l.amount = q.number(QStringLiteral("金额"));
            l.category = q.text(QStringLiteral("类别"));
            l.usage = q.text(QStringLiteral("服用方式"));
            l.dose = q.text(QStringLiteral("每次用量"));
            l.timesPerDay = q.text(QStringLiteral("每日次数"));
            l.insurance = q.text(QStringLiteral("医保类型"));
            l.remark = q.text(QStringLiteral("备注"));
            l.documentId = documentId;
            l.rowId = static_cast<qint32>(q.integer(QStringLiteral("ID")));
            stored.push_back(std::move(l));
        }
    }
    double total = 0.0;
    if (rows) rows->clear();
    for (MedicineLine& l : stored) {
        total += l.amount;
        if (rows) rows->append(medicineListRow(l));
        lines.prepend(std::move(l));
    }
    return total;
}

double InputMedicineList(MedicineLineList& lines, const MedicineLine& line)
{
    lines.prepend(line);
    return lines.total();
}

void AMDDetailMedicineRecord(db::Connection& c, FeeDocument kind, MedicineLineList& lines, MedicineLineList& removed,
                             qint32 documentId, const MedicineLineList* asLoaded)
{
    // Lines belong to a fee document: stored under 0 or a negative ID they would be orphans that
    // no list shows and no checkout settles.
    if (documentId <= 0 && !lines.empty())
        throw std::invalid_argument(
            QStringLiteral("处方明细必须属于一张单据，单据编号 %1 不正确，没有保存").arg(documentId).toStdString());
    std::vector<qint32> rowIds;
    rowIds.reserve(static_cast<size_t>(lines.size()));
    // Inside a caller's save the rows exist only once the caller commits; the lists are then
    // left as they were, since a rollback there would leave them naming rows that are gone.
    const bool ownSave = c.transactionDepth() == 0;
    db::Transaction t(c);
    for (const MedicineLine& l : lines) {
        db::FieldValues row = rowOf(l, kind, documentId);
        if (l.rowId > 0) {
            // Whether a stored line has left stock is the stock-out's to say: saving the lines
            // again keeps it, or a settled line would be taken out of stock a second time.
            row.removeIf([](const auto& f) { return f.first == QStringLiteral("MedcineOutFlag"); });
            if (db::ModefyRecord(c, table, row, rowOfLine(l, kind, documentId, asLoaded)) == 0) {
                const QString why = QStringLiteral("处方明细表 row %1 was changed or removed at another desk").arg(l.rowId);
                if (asLoaded) throw LinesChanged(why);
                throw db::Error(why);
            }
            rowIds.push_back(l.rowId);
        } else {
            rowIds.push_back(static_cast<qint32>(db::AddRecord(c, table, row)));
        }
    }
    for (const MedicineLine& l : removed)
        if (l.rowId > 0 && db::DeleteRecord(c, table, rowOfLine(l, kind, documentId, asLoaded)) == 0 && asLoaded)
            throw LinesChanged(QStringLiteral("处方明细表 row %1 was changed or removed at another desk").arg(l.rowId));
    t.commit();
    if (!ownSave) return;

    size_t i = 0;
    for (MedicineLine& l : lines) {
        l.rowId = rowIds[i++];
        l.documentId = documentId;
    }
    removed.clear();
}

} // namespace rx
