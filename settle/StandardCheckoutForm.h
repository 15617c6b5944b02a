#pragma once
#include "db/Connection.h"
#include "receipt/StandardItems.h"
#include "settle/CheckoutForm.h"
#include "discount/DiscountChoice.h"
#include "discount/DiscountSettings.h"
#include "discount/DiscountState.h"
#include "settle/FeeDetailSheet.h"
#include "settle/PaymentForm.h"
#include <QDateTime>
#include <QStringList>
#include <functional>
#include <optional>

namespace settle {

// The checkout of a standard-item receipt ("收费结帐") without its widgets: the receipt's lines
// with their discounts, the doctor's approved discount, and one settlement transaction that
// also books points per fee item, converts fees into prepayment and saves the lines back.
class StandardCheckoutForm : public CheckoutCore {
public:
    struct Inputs {
        int resettle = 0; // 1: settled before, its payment record is rewritten
        qint64 caseNumber = 0;
        qint64 receiptId = 0; // 0: the case's unpaid receipt
        QString doctorName, department, doctorNumber;
        QString patientName, patientNumber, cashier;
        int dateFixed = 0;
        bool viewOnly = false; // StandartPayResult: looked at and printed, never settled
    };
    enum class Ending { Stay, Accept };

    StandardCheckoutForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Loads the receipt and its lines, the old arrears, the discount (the doctor's or the
    // clinic's list) and, for a re-settlement, the stored payment. Read failures are not reported.
    void open();

    void discountChosen(int entry);         // the discount-type list
    void discountValueTyped(double typed);  // "折  扣" typed over (a money card amount)
    void collectedChanged();                // "实收金额" edited, "现欠款" entered
    void otherFreeChanged();                // "优惠金额" edited
    void arrearsLaterChanged(bool later);   // "原欠款暂不结帐"
    void discountSwitched(bool on);         // "收费优惠"
    void methodChosen(int index, const PaymentDialog& paymentDialog);
    void doctorChosen(int index, const QString& entryText);
    Ending settle(); // "结   帐"

    // What the "收  费  明  细" sheet prints.
    FeeDetailSheet detailSheet() const;

    // Fields.
    QDateTime date;
    receipt::StandardItemList lines;
    double total = 0.0;        // "合   计": the lines undiscounted
    double oldArrears = 0.0;   // "原欠款"
    bool arrearsLater = false; // "原欠款暂不结帐"
    double amountDue = 0.0;    // "应收金额"
    double discounted = 0.0;   // "折后金额"
    double arrearsLeft = 0.0;  // "现欠款(元)"
    DiscountState discount;
    bool switchOn = true;
    QStringList otherFreeReasons;
    QString otherFreeReason;
    double otherFree = 0.0;
    QString otherFreeNote;
    QString receiptNote;  // "备注"
    QString settleNote;   // "结帐备注"
    QString doctor, department, nurse;
    QStringList doctors, nurses;
    QString patientName, patientNumber, doctorNumber, cashier;
    QString receiptTitle;
    int doctorType = -1;        // Doctor_Discout: the discount the doctor had approved
    double doctorValue = 1.0;   // Doctor_Discout_Value
    int refund = 0;

    // What is shown and enabled.
    bool dateEnabled = true;
    bool arrearsLaterVisible = false;
    bool discountVisible = false;   // "折  扣", "折后金额", "折扣说明" and their labels
    bool typeListVisible = false;   // the clinic's discount-type list
    bool discountFieldVisible = true; // "折  扣" itself: the lines' own rates hide it
    bool discountEnabled = true;    // the discount controls: off where receipts fix their discount
    bool switchVisible = false;
    bool otherFreeVisible = false;
    bool settleVisible = true;      // "结   帐"
    bool printEnabled = false;

    // Kept while open.
    qint64 receiptId = 0;
    qint64 caseNumber = 0;
    int resettle = 0;
    double usablePrePay = 0.0;
    DiscountSettings settings;
    int settled = 0;          // the result flag: 1 once settled

private:
    void openFirst();
    void openAgain();
    void applyDoctorDiscount();
    DiscountChoiceInputs choiceInputs() const;
    void workOutDue(); // the discount over the lines into "折后金额" and "应收金额"
    void recompute();  // and what is collected follows it
    void collectedBySplit() override;

    bool viewOnly_ = false;
    int dateFixed_ = 0;
};

} // namespace settle
