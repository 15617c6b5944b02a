#include "settle/CaseCheckout.h"
#include "common/OpeningRead.h"
#include "receipt/ReceiptHeader.h"
#include "settle/CollectedSplit.h"

namespace settle {

void CaseCheckout::doctorChosen(int index, const QString& entryText)
{
    receipt::DoctorFields d{doctor, doctorNumber, department};
    optionalRead([&] { receipt::SelectDoctor(*connection_, index, entryText, d); });
    doctor = d.name;
    doctorNumber = d.number;
    department = d.department;
}

void CaseCheckout::methodChosen(int index, const PaymentDialog& paymentDialog)
{
    chooseMethod(index, paymentDialog, collected, patientNumber, arrearsLeft);
}

void CaseCheckout::collectedBySplit() { arrearsLeft = arrearsAfter(discounted, collected, otherFree); }

PaymentRecord CaseCheckout::paymentRecord(qint64 caseNumber, qint64 receiptId) const
{
    PaymentRecord p;
    p.caseNumber = caseNumber;
    p.receiptId = receiptId;
    p.total = total;
    p.amountDue = amountDue;
    p.arrearsLeft = arrearsLeft;
    p.note = settleNote;
    p.cashier = cashier;
    p.date = date;
    p.collected = collected;
    p.oldArrears = oldArrears;
    p.mode = discount.mode;
    p.discount = discount.value;
    p.discountNote = discount.note;
    p.otherFree = otherFree;
    p.otherFreeReason = otherFreeReason;
    p.otherFreeNote = otherFreeNote;
    p.cardName = discount.cardName;
    p.cardValue = discount.cardValue;
    p.cardOnlyForDiscountable = settings.CardOnlyForDisctItem ? 1 : 0;
    p.method = method;
    p.methodAmount = methodAmount;
    p.cash = cash;
    p.arrearsLater = arrearsLater ? 1 : 0;
    p.voucherId = voucherId;
    return p;
}

} // namespace settle
