#pragma once
// The settlement of a case-record receipt, shared by every checkout (category receipts,
// standard-item receipts, prescriptions). How to use it:
//
//   settle::SettlementRequest r;
//   r.resettle = …;  r.receiptId = …;  r.caseNumber = …;
//   r.receiptFields = {{"收款人", cashier}, …};          // what the checkout sets on the receipt
//   r.paymentFields = settle::CheckoutPaymentFields(p);   // or the checkout's own column list
//                                                         // (it names the voucher, PreferID, itself)
//   r.method = split.method;  r.methodAmount = split.amount;
//   r.patientNumber = …;  r.cashier = …;  r.date = …;
//   r.prepayAccount = account;                            // method PrePayment
//   r.voucher = {split.voucherId, split.voucherNumber, split.cardKind, split.amount}; // Voucher
//   r.inTransaction = [&](db::Connection& c, qint64 paySheet) { … };  // stock-out, line save…
//   const settle::SettlementResult done = settle::Settle(connection, r);
//   if (!done.ok) Prompter::current().inform(done.message);   // nothing was written
//
// Settle runs one transaction: the receipt's stored amounts are judged (StoredAmounts.h), the receipt turns paid (a first settlement only if it is still
// unpaid: another desk that was first wins and this one fails with "收据结帐失败!"), the payment
// record is written, a prepayment use is booked after checking the account again under a lock,
// the voucher's value is reduced by a guarded relative update (never below 0; a voucher that no
// longer covers the amount refuses the settlement), an IC card is rewritten with the balance the
// database then holds, and the caller's own steps run. Any failure rolls all of it back.
// Member points and the fee-to-prepayment conversion are the caller's (see SettlementExtras.h).
#include "db/Connection.h"
#include "db/OptimisticEdit.h"
#include "db/RecordOps.h"
#include "settle/PaymentMethods.h"
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

namespace settle
{

inline const QString kReceiptNotSettled = QStringLiteral("收据结帐失败!");
// A checkout is a first settlement (0) or a re-settlement (1): any other flag is refused, since
// it would settle as a first one without what a first one books.
inline const QString kBadSettlementFlag = QStringLiteral("结帐标志只能是0(首次结帐)或1(重新结帐)!");
inline bool isSettlementFlag(int flag) { return flag == 0 || flag == 1; }
inline const QString kPaymentRecordFailed = QStringLiteral("进行收费登记时发生错误!");
inline const QString kVoucherRecordFailed = QStringLiteral("修改记录不成功!");
inline const QString kICCardWriteFailed = QStringLiteral("IC卡写入失败，本次结帐没有完成！");
// The payment's parts do not add up to what is collected, or the method would take another
// amount than the record says: nothing is settled.
inline const QString kSplitDisagrees = QStringLiteral("收款金额与付款方式、现金交款的金额不符，没有结帐！");
inline const QString kPrePayShort = QStringLiteral("该患者可使用的预付费金额不足%1元，不能结帐！");
// A voucher is spent by the first settlement and never given back: a re-settlement neither
// changes a voucher payment into another method nor turns another into one.
inline const QString kVoucherLocked = QStringLiteral("结帐形式消费券/卡，已经失效，不能修改！");

// What a voucher payment takes off the voucher.
struct VoucherDebit {
    qint64 id = 0;  // PreferManagement_table.ID
    QString number; // Card_Cover_Code, written onto an IC card
    int cardKind = 0; // 1: an IC card, rewritten after the debit
    double amount = 0.0;
};

struct SettlementRequest {
    bool resettle = false;               // false: first settlement; true: the receipt was settled before
    QString receiptTable = QStringLiteral("收费收据表");
    qint64 receiptId = 0;
    db::FieldValues receiptFields;       // set on the receipt together with 付款 = "已付"
    qint64 caseNumber = 0;               // selects the payment record of a re-settlement
    // A re-settlement: the payment record as its checkout loaded it (LoadSettledRecord). The
    // record is rewritten only while it still stands so; without it nothing is rewritten.
    std::optional<db::LoadedRow> settledRecord;
    db::FieldValues paymentFields;       // the payment record, in the checkout's column order
    int method = Cash;
    double methodAmount = 0.0;           // paid by the method
    QString patientNumber;
    QString cashier;
    QDateTime date;
    qint32 prepayAccount = 0;            // method PrePayment: the account paid from
    VoucherDebit voucher;                // method Voucher, first settlement
    // The caller's own steps, inside the transaction after the payment; throw to roll back
    // (SettlementRefused carries the message the cashier sees).
    std::function<void(db::Connection&, qint64 paySheet)> inTransaction;
};

struct SettlementRefused : std::runtime_error {
    explicit SettlementRefused(const QString& message) : std::runtime_error(message.toStdString()), text(message) {}
    QString text;
};

enum class SettlementFailure {
    None,
    ReceiptNotUnpaid, // first settlement: the receipt was no longer unpaid (or is gone)
    StoredAmounts,    // the receipt's rows hold an amount that is not one (StoredAmounts.h)
    Split,            // the record's method, cash and collected do not agree with what is taken
    PaymentRecord,
    PrePayShort,      // the account no longer covers the amount
    VoucherShort,     // the voucher no longer covers the amount
    VoucherUnusable,  // taken back or expired meanwhile
    VoucherLocked,    // a re-settlement would change whether the voucher paid
    VoucherRecord,
    ICCard,
    Caller,           // the caller's own step refused or failed
    Commit,
};

struct SettlementResult {
    bool ok = false;
    SettlementFailure failure = SettlementFailure::None;
    QString message;      // for the cashier; empty when ok
    QString detail;       // the database's own words, for the host's error record
    qint64 paySheet = 0;  // 病历收费编号
    double voucherLeft = 0.0; // the voucher's value after the debit
};

SettlementResult Settle(db::Connection& c, const SettlementRequest& r);

} // namespace settle
