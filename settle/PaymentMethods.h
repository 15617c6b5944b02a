#pragma once
#include <QString>
#include <QStringList>

// How a settlement is paid: cash, or one of seven other methods for all or part of it, the rest
// in cash. The index is what the payment record stores as MoneyPayed_type.
namespace settle
{

enum PaymentMethod : int {
    Cash = 0,
    PrePayment = 1,   // "预付费交款": from the patient's prepaid account
    BankCard = 2,
    Cheque = 3,
    Transfer = 4,
    Voucher = 5,      // "消费券/卡": a voucher or consumption card, possibly an IC card
    MedicalInsurance = 6,
    RuralInsurance = 7,
};
inline constexpr int PaymentMethodCount = 8;

// The entries of every method list, index = method.
QStringList paymentMethodTexts();
QString paymentMethodText(int method);
// The label of the amount paid by the method ("预付费交款金额" …); empty for cash.
QString paymentMethodLabel(int method);

// The payment dialog's answer: how much the method pays and how much is left for cash.
struct PaymentSplit {
    int method = Cash;
    double amount = 0.0;    // "金额": paid by the method
    double cash = 0.0;      // "现金付款"
    double available = 0.0; // "可用金额": usable prepayment or the voucher's remaining value
    // A voucher only.
    QString voucherNumber;
    qint64 voucherId = 0;
    int cardKind = 0; // Card_Kind_Type; 1 = an IC card
    double icBalance = 0.0;
};

// The method pays what it can of toCollect, up to available; cash pays the rest (both to the fen).
void SplitOver(PaymentSplit& split, double toCollect, double available);

} // namespace settle
