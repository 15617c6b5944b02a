#pragma once
#include "discount/DiscountSettings.h"
#include "discount/DiscountState.h"
#include "settle/CheckoutCore.h"
#include "settle/PaymentRecord.h"
#include <QDateTime>
#include <QStringList>

namespace settle {

// What the two checkouts of a case-record patient's receipt (收费结帐 of a category receipt and
// of a standard-item receipt) show and settle alike: the amounts from 合计 to 现欠款, the
// discount and the other relief, the people, and the payment record the settlement writes.
// How each works its amounts out stays with the form: their rules differ.
class CaseCheckout : public CheckoutCore {
public:
    void doctorChosen(int index, const QString& entryText); // the 医生 list
    void methodChosen(int index, const PaymentDialog& paymentDialog); // "付款方式"

    // Fields.
    QDateTime date;
    double total = 0.0;        // "合   计"
    double oldArrears = 0.0;   // "原欠款"
    bool arrearsLater = false; // "原欠款暂不结帐"
    double amountDue = 0.0;    // "应收金额"
    double discounted = 0.0;   // "折后金额"
    double arrearsLeft = 0.0;  // "现欠款(元)"
    DiscountState discount;    // "折  扣", "折扣说明", the type list
    bool switchOn = true;      // "收费优惠"
    QStringList otherFreeReasons; // the "其它优惠" list
    QString otherFreeReason;
    double otherFree = 0.0;    // "优惠金额"
    QString otherFreeNote;     // "优惠备注"
    QString receiptNote;       // "备   注"
    QString settleNote;        // "结帐备注"
    QString doctor, department, nurse;
    QStringList doctors, nurses;
    QString patientName, patientNumber, doctorNumber, cashier;
    QString receiptTitle;
    int refund = 0;
    // What is shown and enabled.
    bool dateEnabled = true;
    bool arrearsLaterVisible = false;
    bool discountVisible = false; // "折  扣", "折后金额", "折扣说明" and their labels
    bool discountEnabled = true;
    bool switchVisible = false;
    bool otherFreeVisible = false;
    bool printEnabled = false;    // "打  印", "打印预览" after a settlement
    // Kept while the dialog is open.
    double usablePrePay = 0.0;
    DiscountSettings settings;

protected:
    using CheckoutCore::CheckoutCore;

    // The payment record this settlement writes for the receipt.
    PaymentRecord paymentRecord(qint64 caseNumber, qint64 receiptId) const;
    void collectedBySplit() override;
};

} // namespace settle
