#pragma once
#include "common/OpeningRead.h"
#include "db/Connection.h"
#include "db/OptimisticEdit.h"
#include "settle/PaymentForm.h"
#include "settle/PaymentMethods.h"
#include "settle/Settlement.h"
#include "settle/SettlementExtras.h"
#include "settle/Tendered.h"
#include <QString>
#include <functional>
#include <optional>

// How a checkout is paid, written once for every checkout (category receipts, standard-item
// receipts, prescriptions): the method and what it takes, the cash beside it, the voucher or
// prepaid account it draws on, the payment record a re-settlement rewrites, and what the
// settlement is asked to take. Each checkout form builds on it and keeps only its own amounts.
//
// The rules kept here:
// - a method is changed only through the payment dialog, after the prepayment check; a refusal
//   or a cancel leaves the method and its amounts as they were;
// - on a re-settlement a payment that cannot be taken back stays (a voucher spent by the first
//   settlement; for prescriptions every method but cash and prepayment), with its message;
// - the split holds for the amount it was made for: once what is collected changes, a method that
//   may change goes back to cash, and one that stays keeps its amount with cash making up the rest;
// - the settlement is asked to take exactly what the record says (Settle checks it again).
namespace settle
{

// A re-settlement cannot change a payment that cannot be taken back.
inline const QString& kVoucherKept = kVoucherLocked;
inline const QString kMethodKept = QStringLiteral("结帐形式非现金或者预付费，不能修改！");
// %1: the method, %2: what it took.
inline const QString kKeptPaymentExceeds = QStringLiteral("实收金额少于%1已付的%2元，不能结帐！");

class CheckoutCore
{
  public:
    // What the payment dialog answered: the split and the account and record it worked with.
    struct PaymentAnswer {
        PaymentSplit split;
        qint32 account = 0;
        qint32 paySheet = 0;
    };
    // Opens the payment dialog; nothing when it was cancelled.
    using PaymentDialog = std::function<std::optional<PaymentAnswer>(const PaymentForm::Inputs&)>;

    virtual ~CheckoutCore() = default;

    // True while the method list may not be changed (a re-settlement of a payment that stays).
    bool methodLocked() const;

    double collected = 0.0;      // "实收金额"
    int method = Cash;           // "付款方式"
    double methodAmount = 0.0;   // "收款金额": paid by the method (0 for cash)
    double cash = 0.0;           // "现金交款" beside the method (0 for cash)
    bool paymentVisible = false; // "收款金额", "现金交款" and their labels
    QString paymentLabel;        // the label of "收款金额"
    bool methodEnabled = true;
    qint32 account = 0;  // the prepaid account
    qint32 paySheet = 0; // the payment record (病历收费编号)
    qint64 voucherId = 0;
    int cardKind = 0;
    QString voucherNumber;
    double voucherLeftAfter = 0.0;
    int previousMethod = Cash;
    int settledMethod = Cash; // a re-settlement: the method of the record being rewritten
    // Why the last settlement failed, in the database's words (for the host's error record).
    QString failureDetail;
    // "收款": the cash the patient handed over, as typed (empty: not counted here). Never stored.
    QString tendered;

    // The cash this settlement takes, in fen, and what the tendered cash leaves as change
    // ("找零"; nothing while no valid tendered amount is typed).
    qint64 cashDue() const;
    std::optional<qint64> change() const;

  protected:
    // Which payments a re-settlement keeps: a spent voucher (category and standard-item
    // checkouts), or every method but cash and prepayment (prescriptions).
    enum class Kept { Voucher, AllButCashAndPrePayment };

    CheckoutCore(db::ConnectionPtr connection, bool resettling, Kept kept, int methodsOffered);

    // "付款方式" chose `index`: toCollect is what the payment dialog splits.
    void chooseMethod(int index, const PaymentDialog& paymentDialog, double toCollect, const QString& patientNumber,
                      double arrears);
    // Called after a new split set what is collected; a form works out its arrears here.
    virtual void collectedBySplit() {}
    // What is collected changed: see the rules above.
    void dropStaleSplit();
    // A re-settlement: the payment record as it stands (an opening read: a failure stops the
    // settlement) and the payment it holds. False when there is no record.
    bool loadSettledPayment(qint64 caseNumber, qint64 receiptId);
    // The loaded record's value of a column (null when there is none).
    QVariant settledValue(const QString& column) const;
    // Before a settlement: a receipt that could not be read is refused with its cause, and so is
    // a payment whose parts do not add up to what is collected. True when it may go on.
    bool readyToSettle();
    // The payment part of the request: method, amount, account, voucher, the record as loaded.
    void fillRequest(SettlementRequest& r) const;
    // The points (a first settlement only) and the fee-to-prepayment conversion of this
    // payment, booked inside the settlement; the form adds its points lines.
    SettlementBookings bookings(const PointsBooking& who, qint64 caseNumber) const;
    // After Settle: keeps what a host needs; false (and the message shown) when it failed.
    bool tookPayment(const SettlementResult& done);
    void showMethod();

    db::ConnectionPtr connection_;
    OpeningRead receiptRead_;                    // what the checkout settles on: a failed read stops the settlement
    std::optional<db::LoadedRow> settledRecord_; // a re-settlement: the record as it stood
    bool resettling_ = false;

  private:
    bool keeps(int m) const;
    Kept kept_;
    int methodsOffered_;
};

} // namespace settle
