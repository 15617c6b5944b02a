#pragma once
#include "db/Connection.h"
#include "receipt/FeeCategories.h"
#include <QDateTime>
#include <optional>

// A category receipt of a case-record patient seen with its payment record (病历收费单), as the
// receipt edit dialog ("收费收据") shows and saves it.
namespace receipt {

struct ReceiptWithPayment {
    qint64 id = 0;
    QString patientName;       // 病人姓名
    qint64 treatmentNumber = 0; // 病历号
    CategoryAmounts amounts{};
    double total = 0.0; // 合计
    QString remark;     // 备注
    QString doctorName; // 医生姓名
    QString doctorNumber;
    QString cashier;    // 收款人
    QString department; // 科室
    QString payState;   // 付款
    QDateTime date;     // 日期 written on save (the dialog's date, not the stored one)
    // The first payment record of the receipt, when there is one.
    bool hasPayment = false;
    qint64 paymentId = 0;  // 病历收费编号
    double received = 0.0; // 收款金额
    double owed = 0.0;     // 余额
    QString paymentRemark; // its 备注
};

// The receipt's row and its first payment record (NULL read as 0 or ""); nothing when the
// receipt is not there. `date` stays unset.
std::optional<ReceiptWithPayment> loadReceiptWithPayment(db::Connection& c, qint64 id);

// The remark a save writes: an amount still owed is noted after it (" 现欠款12.50").
QString remarkWithArrears(const QString& remark, double owed);

// Saves the receipt as the edit dialog's settle action does, in one transaction: with
// `loaded`, over the stored row and its payment record (when it has one), each only while it
// still holds what was loaded; without, as a new receipt row. The remark is written with its
// arrears note. Returns false, with nothing written, when a row was changed or removed
// meanwhile; throws db::Error (nothing written) when the database fails.
bool saveReceiptWithPayment(db::Connection& c, ReceiptWithPayment& receipt,
                            const std::optional<ReceiptWithPayment>& loaded);

} // namespace receipt
