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
class StandardCheckoutForm : public CaseCheckout {
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
    Ending settle(); // "结   帐"

    // What the "收  费  明  细" sheet prints.
    FeeDetailSheet detailSheet() const;

    // Fields beyond the shared ones.
    receipt::StandardItemList lines;
    int doctorType = -1;        // Doctor_Discout: the discount the doctor had approved
    double doctorValue = 1.0;   // Doctor_Discout_Value
    bool typeListVisible = false;   // the clinic's discount-type list
    bool discountFieldVisible = true; // "折  扣" itself: the lines' own rates hide it
    bool settleVisible = true;      // "结   帐"
    // Kept while open.
    qint64 receiptId = 0;
    qint64 caseNumber = 0;
    int resettle = 0;
    int settled = 0;          // the result flag: 1 once settled

private:
    void openFirst();
    void openAgain();
    void applyDoctorDiscount();
    DiscountChoiceInputs choiceInputs() const;
    void workOutDue(); // the discount over the lines into "折后金额" and "应收金额"
    void recompute();  // and what is collected follows it

    bool viewOnly_ = false;
    int dateFixed_ = 0;
};

} // namespace settle
