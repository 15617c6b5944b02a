#pragma once
#include "settle/CaseCheckout.h"
#include "db/Connection.h"
#include "settle/PaymentRecord.h"
#include "receipt/FeeCategories.h"
#include "discount/DiscountAmounts.h"
#include "discount/DiscountChoice.h"
#include "discount/DiscountSettings.h"
#include "discount/DiscountState.h"
#include "settle/PaymentForm.h"
#include "settle/Settlement.h"
#include <QDateTime>
#include <QStringList>
#include <functional>
#include <optional>

namespace settle
{

inline const QString kNoDoctor = QStringLiteral("医生信息不应为空!");
inline const QString kSettled = QStringLiteral("收据结帐成功!");
inline const QString kRefundText = QStringLiteral("退费收据");

// The checkout of a category receipt ("收费结帐") without its widgets: the fields it shows,
// which controls are shown and enabled, and what each handler does. The dialog takes the
// fields from its controls, calls a handler, and shows the fields again.
class CheckoutForm : public CaseCheckout {
public:
    struct Inputs {
        int resettle = 0; // 1: the receipt was settled before and its payment record is rewritten
        QString patientNumber;
        qint64 caseNumber = 0;
        qint64 receiptId = 0;
        QString doctorNumber;
        QString patientName;
        QString cashier;
        int dateFixed = 0;
        qint32 state = 0; // the settlement state integer handed back to the host
    };
    enum class Ending { Stay, Accept };

    CheckoutForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Loads the receipt, the arrears, the discount and, for a re-settlement, the stored payment.
    // Read failures leave what was filled; the dialog opens regardless, but one of the receipt
    // or its payment record stops the settlement with its cause.
    void open();

    void categoryLeft();                  // a category field was left: "合   计"
    void collectedChanged(bool leaving);  // "实收金额" edited (or left), "现欠款(元)" entered
    void otherFreeChanged();              // "优惠金额" edited
    void discountChosen(int entry);       // the discount-type list
    void discountValueTyped(double typed); // "折  扣" edited (a money card amount)
    void arrearsLaterChanged(bool later); // "原欠款暂不结帐"
    void discountSwitched(bool on);       // "收费优惠"
    Ending settle(); // "结   帐"

    // Painted on the dialog: "退费收据" for a refund, the usable prepayment of a first settlement.
    QString refundText() const { return refund == 1 ? kRefundText : QString(); }
    QString prepayText() const;

    // Fields beyond the shared ones.
    receipt::CategoryLabels labels = receipt::defaultCategoryLabels();
    receipt::CategoryAmounts amounts{};
    QStringList departments;
    qint32 state = 0;

private:
    void openFirst();
    void openAgain();
    DiscountChoiceInputs choiceInputs() const;
    ReceiptAmounts receiptAmounts() const;
    void recomputeDiscount(); // algorithm of the receipt-wide discount, into "折后金额" and "实收金额"

    Inputs in_;
    double cumulativeFees_ = 0.0;
};

} // namespace settle
