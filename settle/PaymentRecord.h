#pragma once
#include "db/Connection.h"
#include "db/OptimisticEdit.h"
#include "db/RecordOps.h"
#include <optional>
#include <QDateTime>
#include <QString>

// The payment record of a settled case-record receipt (病历收费单): one row per receipt,
// added by the first settlement and rewritten by every re-settlement.
namespace settle
{

// What the checkout of a category receipt stores.
struct PaymentRecord {
    qint64 caseNumber = 0;    // 病历号
    qint64 receiptId = 0;     // ReceiptID
    double total = 0.0;       // 总计应收费用: "合   计"
    double amountDue = 0.0;   // 实收费用: "应收金额"
    double arrearsLeft = 0.0; // 余额: "现欠款(元)"
    QString note;             // 备注: "结帐备注"
    QString cashier;          // 收款人
    QDateTime date;           // 日期
    double collected = 0.0;   // 收款金额: "实收金额"
    double oldArrears = 0.0;  // 原欠金额: "原欠款"
    int mode = -1;            // Discout_Type
    double discount = 1.0;    // Discout: "折  扣"
    QString discountNote;     // Discout_Note
    double otherFree = 0.0;   // OtherFreeFee: "优惠金额"
    QString otherFreeReason;  // OtherFreeFeeReason
    QString otherFreeNote;    // OtherFreeFeeNote: "优惠备注"
    QString cardName;         // MoneyCard_Name
    double cardValue = 0.0;   // MoneyCard_Value
    int cardOnlyForDiscountable = 0;
    int method = 0;           // MoneyPayed_type
    double methodAmount = 0.0; // OtherTypePayedMoney: "收款金额"
    double cash = 0.0;        // CashMoney: "现金交款"
    int arrearsLater = 0;     // GetLaterLeftMoneyFlag: "原欠款暂不结帐"
    qint64 voucherId = 0;     // PreferID, a voucher payment only
};

// The fields of a category receipt's payment record, in the order the checkout writes them.
// The discount columns follow the mode: a money card (mode 4) stores the card, the rate modes
// store the rate, and the item-rate modes (6, 7) leave the rate and note as they were.
// PreferID is written only for a voucher payment that names its voucher (a re-settlement keeps
// the voucher of the first settlement).
db::FieldValues CheckoutPaymentFields(const PaymentRecord& r);

// What a re-settlement found when its checkout opened: the payment record as it stood (what it
// took and how). The re-settlement rewrites the record only while it still stands so; when
// another desk settled or re-settled the receipt meanwhile it is refused, so that nothing is
// reversed or charged from a record this desk never saw. Nothing when there is no record.
std::optional<db::LoadedRow> LoadSettledRecord(db::Connection& c, qint64 caseNumber, qint64 receiptId);

// A re-settlement found the payment record changed (or gone) since its checkout opened.
struct SettledElsewhere : std::runtime_error {
    SettledElsewhere() : std::runtime_error("the payment record changed at another desk since the checkout opened") {}
};

// Adds the record (first settlement) or rewrites the receipt's record (re-settlement: the
// record as loaded, `settled`, and only while it still stands so) and returns its number,
// 病历收费编号. Throws SettledElsewhere when a re-settlement finds the record changed since it
// was loaded, or written meanwhile when none was there to load; db::Error when it could not be
// written (also with no record loaded and none there now).
qint64 WritePaymentRecord(db::Connection& c, bool resettle, qint64 caseNumber, qint64 receiptId,
                          const db::FieldValues& fields, const std::optional<db::LoadedRow>& settled = std::nullopt);
// A first settlement's record, sent ahead inside its transaction (db::Query::send); its number
// is read from the answer with NewPaymentRecordNumber.
std::unique_ptr<db::Query> SendNewPaymentRecord(db::Connection& c, const db::FieldValues& fields);
qint64 NewPaymentRecordNumber(db::Query& sent);

} // namespace settle
