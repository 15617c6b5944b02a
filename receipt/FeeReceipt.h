#pragma once
#include "db/Connection.h"
#include "db/OptimisticEdit.h"
#include "receipt/FeeCategories.h"
#include <QDateTime>
#include <optional>

// A category receipt of a case-record patient: one row of 收费收据表, unpaid ("未付") until
// the checkout settles it.
namespace receipt {

struct FeeReceipt {
    qint64 id = 0;
    qint64 caseNumber = 0; // 病历号
    QString patientName;   // 病人姓名
    QDateTime date;        // 日期
    CategoryAmounts amounts{};
    double total = 0.0; // 合计
    QString remark;     // 备注
    QString doctorName; // 医生姓名
    QString doctorNumber;
    QString department; // 科室
    QString nurse;      // 护士
    int refund = 0;     // FeeIO: 1 = a refund receipt
    // The stored row as it was loaded; an edit writes only while the row is still so.
    std::optional<db::LoadedRow> loaded;
};

// The total a receipt is stored with: the sum of the amounts, negative on a refund receipt.
double storedTotal(const CategoryAmounts& amounts, int refund);

// An unpaid fee receipt of this doctor (the name compared as the clinic's server compares
// text), for the fee receipt dialog. Paid receipts, other doctors' receipts and prescription
// receipts are not found. Fills ID, the amounts, 合计, 备注, 科室, 护士, FeeIO (as 0/1) and
// 病人姓名, and keeps the row as loaded; the other members stay default.
std::optional<FeeReceipt> loadUnpaidFeeReceipt(db::Connection& c, qint64 id, const QString& doctorName);

// Adds the receipt as a new unpaid row and returns its ID. 合计 is written as given; 收款人
// and an empty 备注 are stored as one blank; columns not named stay NULL.
qint64 addFeeReceipt(db::Connection& c, const FeeReceipt& r);

enum class UpdateResult {
    Updated,
    Changed,     // still unpaid, but changed at another desk since it was loaded: nothing written
    NotEditable, // settled, deleted or no fee receipt any more: nothing written
};
// Writes the receipt's fields over its row (收款人 untouched) while the row is still an
// unpaid fee receipt and, when r.loaded is set, still as it was loaded (r.loaded then follows
// what was written).
UpdateResult updateFeeReceipt(db::Connection& c, FeeReceipt& r);

enum class DeleteResult { Deleted, Gone, Settled };
// Deletes the receipt while it is still an unpaid fee receipt. Gone: no row with that ID;
// Settled: the row is there but has been paid meanwhile, and is kept.
DeleteResult deleteFeeReceipt(db::Connection& c, qint64 id);

// What the patient of a case has actually paid so far: the clinic library's document fee
// (CalculateDocumentFee) of the case's patient, its amount received.
// The patient is the one the host named when it names one, else the case's card's.
double amountReceived(db::Connection& c, qint64 caseNumber, const QString& patientNumber = {});

} // namespace receipt
