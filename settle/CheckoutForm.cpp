#include "settle/CheckoutForm.h"
#include "common/OpeningRead.h"
#include "settle/CollectedSplit.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "common/Settings.h"
#include "db/DocumentFee.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayCheck.h"
#include "receipt/ReceiptHeader.h"
#include "discount/DiscountAmounts.h"
#include "discount/DiscountChoice.h"
#include "discount/DiscountSwitch.h"
#include "discount/DiscountTypeList.h"
#include "settle/PaymentRecord.h"
#include "settle/SettlementExtras.h"
#include <cmath>

using namespace Qt::StringLiterals;

namespace settle
{

namespace
{

// Arrears of less than a whole yuan are let off.
// Less than a whole yuan either way is let off; judged in fen, so that a yuan computed a hair
// short in doubles (0.9999999999999982) is still a yuan owed.
double wholeYuanArrears(double arrears)
{
    const qint64 fen = money::toFen(arrears);
    return fen > -100 && fen < 100 ? 0.0 : money::fromFen(fen);
}

} // namespace

CheckoutForm::CheckoutForm(db::ConnectionPtr connection, const Inputs& inputs)
    : CaseCheckout(std::move(connection), inputs.resettle == 1, Kept::Voucher, PaymentMethodCount),
      state(inputs.state), in_(inputs)
{
    patientName = inputs.patientName;
    patientNumber = inputs.patientNumber;
    doctorNumber = inputs.doctorNumber;
    cashier = inputs.cashier;
}

QString CheckoutForm::prepayText() const
{
    if (in_.resettle != 0 || !(usablePrePay > 0.0)) return {};
    return u"可用预付费：￥"_s + money::formatFixed(usablePrePay, 0);
}

DiscountChoiceInputs CheckoutForm::choiceInputs() const { return {patientNumber, amountDue, cumulativeFees_}; }

ReceiptAmounts CheckoutForm::receiptAmounts() const { return {total, oldArrears, arrearsLater, amountDue}; }

void CheckoutForm::recomputeDiscount()
{
    discounted = ReceiptDiscountedAmount(discount, receiptAmounts());
    collected = discounted;
    arrearsLeft = 0.0;
    dropStaleSplit();
}

void CheckoutForm::open()
{
    db::Connection& c = *connection_;
    date = QDateTime::currentDateTime();
    optionalRead([&] { receipt::LoadReceiptDate(c, date); });
    dateEnabled = in_.dateFixed != 1;
    optionalRead([&] { receipt::LoadCategoryLabels(c, labels); });
    optionalRead([&] { doctors = db::InitCombox(c, u"主治医生表"_s, u"医生姓名"_s); });
    optionalRead([&] { departments = db::InitCombox(c, u"科室表"_s, u"科室"_s); });
    optionalRead([&] { nurses = db::InitCombox(c, u"护士表"_s, u"护士"_s); });

    receiptRead_([&] {
        db::Query q(c, u"SELECT * FROM 收费收据表 WHERE ID=?"_s, {in_.receiptId});
        q.exec();
        if (!q.next()) return;
        patientName = q.text(u"病人姓名"_s);
        in_.caseNumber = q.integer(u"病历号"_s);
        amounts = receipt::categoryAmountsOf(q);
        doctorNumber = q.text(u"医生编号"_s);
        doctor = q.text(u"医生姓名"_s);
        // The settlement writes these back: read them, or the receipt would lose them.
        department = q.text(u"科室"_s);
        nurse = q.text(u"护士"_s);
        receiptNote = q.text(u"备注"_s);
        refund = int(std::abs(q.integer(u"FeeIO"_s)));
    });
    categoryLeft();

    int mode = DiscountOff;
    optionalRead([&] { LoadDiscountSettings(c, settings, mode); });
    discount.mode = mode;
    double rankRate = 1.0;
    optionalRead([&] { LookUpMember(c, patientNumber, discount.member, rankRate); });
    optionalRead([&] { cumulativeFees_ = db::CalculateDocumentFee(c, patientNumber).received; });
    switchVisible = false;

    if (in_.resettle == 0) openFirst();
    else openAgain();
    arrearsLaterVisible = oldArrears != 0.0;

    receiptTitle = settings::defaultReceiptTitle;
    settings::readReceiptTitle(receiptTitle);

    optionalRead([&] {
        account = prepay::FindPrePayAccount(c, patientNumber);
        if (account != 0) usablePrePay = prepay::GetPrePayTotalMoney(c, account);
    });
}

void CheckoutForm::openFirst()
{
    db::Connection& c = *connection_;
    optionalRead([&] { oldArrears = db::CalculateDocumentFee(c, patientNumber).arrears; });
    amountDue = collected = discounted = total + oldArrears;
    state = 0;
    if (!settings.DiscoutYesNo) {
        discountVisible = otherFreeVisible = false;
        discount.mode = DiscountOff;
    } else {
        int choice = 1;
        settings::readFeeDiscout(choice);
        switchOn = choice == 1;
        if (switchOn) {
            optionalRead([&] {
                FillDiscountTypeList(c, settings, patientNumber, discount.list);
                ApplyDiscountChoice(c, settings, discount, discount.list.selected, choiceInputs());
            });
            recomputeDiscount();
            discountVisible = settings.FeeItemYesNo >= 0;
            otherFreeVisible = settings.OtherFreeYesNo;
            if (otherFreeVisible) optionalRead([&] { otherFreeReasons = db::InitCombox(c, u"优惠类型表"_s, u"优惠类型"_s); });
        } else {
            discount.mode = DiscountOff;
        }
        switchVisible = true;
    }
    optionalRead([&] { discountEnabled = !ReceiptTypeFixesDiscounts(c); });
    paymentVisible = false;
}

void CheckoutForm::openAgain()
{
    db::Connection& c = *connection_;
    if (loadSettledPayment(in_.caseNumber, in_.receiptId)) {
        oldArrears = db::toNumber(settledValue(u"原欠金额"_s));
        amountDue = db::toNumber(settledValue(u"实收费用"_s));
        arrearsLeft = db::toNumber(settledValue(u"余额"_s));
        arrearsLater = db::toInteger(settledValue(u"GetLaterLeftMoneyFlag"_s)) == 1;
        settleNote = db::toText(settledValue(u"备注"_s));
    }
    double cardUsed = 0.0;
    optionalRead([&] { FillDiscountTypeList(c, settings, patientNumber, discount.list); });
    optionalRead([&] {
        db::Query q(c, u"SELECT 收费收据表.FeeIO,收费收据表.医生姓名,病历收费单.收款人,Discout_Type,Discout,Discout_Note,"
                       "MoneyCard_Name,MoneyCard_Value,MoneyCard_UsedValue,CardOnlyForDisctItem,OtherFreeFeeReason,"
                       "OtherFreeFee,OtherFreeFeeNote FROM 病历收费单,收费收据表 WHERE 病历收费单.病历号=? AND "
                       "病历收费单.ReceiptID=? AND 收费收据表.ID=病历收费单.ReceiptID"_s,
                    {in_.caseNumber, in_.receiptId});
        q.exec();
        if (!q.next()) return;
        refund = int(std::abs(q.integer(0)));
        doctor = q.text(1);
        // The cashier who took the money stays on the record a re-settlement rewrites.
        if (!q.isNull(u"收款人"_s)) cashier = q.text(2);
        discount.mode = q.isNull(u"Discout_Type"_s) ? DiscountOff : int(q.integer(3));
        discount.value = q.isNull(u"Discout"_s) ? 1.0 : q.number(4);
        discount.note = q.text(5);
        discount.cardName = q.text(6);
        discount.cardValue = q.number(7);
        cardUsed = q.number(8);
        settings.CardOnlyForDisctItem = q.integer(9) == 1;
        otherFreeReason = q.text(10);
        otherFree = q.number(11);
        otherFreeNote = q.text(12);
    });
    // The stored 其它优惠 can be seen and changed again wherever the clinic offers it.
    otherFreeVisible = settings.OtherFreeYesNo;
    if (otherFreeVisible) optionalRead([&] { otherFreeReasons = db::InitCombox(c, u"优惠类型表"_s, u"优惠类型"_s); });
    if ((discount.mode == NoDiscount && discount.value == 0.0) || discount.mode == DiscountOff) {
        discount.value = 1.0;
        discount.mode = DiscountOff;
    }
    if (discount.mode == DiscountOff) {
        discountVisible = false;
    } else {
        discountVisible = true;
        discount.list.selected = -1;
        if (discount.mode == MoneyCardAmount) {
            // The part of the card this receipt used; Discout holds no rate in this mode.
            discount.value = cardUsed;
            discount.label = kCardLabel;
        }
    }
    // What is due is worked out again as the first settlement did: the old arrears are neither
    // discounted nor dropped by reopening, and what is still owed stays owed.
    discounted = ReceiptDiscountedAmount(discount, receiptAmounts());
    showMethod();
}

// A refund receipt pays its categories back: its total, and so what is due and collected,
// is negative, or the payment record would count the refund as money received.
void CheckoutForm::categoryLeft()
{
    total = receipt::sumOf(amounts);
    if (refund == 1) total = -total;
}

void CheckoutForm::collectedChanged(bool leaving)
{
    const int m = discount.mode;
    if (!(m == MoneyCardAmount || (m >= DiscountOff && m <= CurrentFee) ||
          (!leaving && (m == MemberPoints || m == FeeStandardItems))))
        return;
    // Owed is what is due after the discount ("折后金额": the old arrears are never discounted)
    // less what is let off and collected.
    arrearsLeft = wholeYuanArrears(discounted - otherFree - collected);
    dropStaleSplit();
}

void CheckoutForm::otherFreeChanged()
{
    const int m = discount.mode;
    if ((m >= DiscountOff && m <= CurrentFee) || m == MemberPoints) {
        discounted = collected = discount.value * amountDue;
    } else if (m == MoneyCardAmount) {
        const double x = amountDue - discount.cardValue;
        if (x < 0.0) {
            discount.value = amountDue;
            discounted = collected = 0.0;
        } else {
            discount.value = discount.cardValue;
            discounted = collected = x;
        }
    } else {
        collected = discounted;
    }
    collected -= otherFree;
    arrearsLeft = 0.0;
    dropStaleSplit();
}

void CheckoutForm::discountChosen(int entry)
{
    bool chosen = false;
    optionalRead([&] { chosen = ApplyDiscountChoice(*connection_, settings, discount, entry, choiceInputs()); });
    if (chosen) recomputeDiscount();
}

void CheckoutForm::discountValueTyped(double typed)
{
    if (discount.mode != MoneyCardAmount) return;
    if (const auto amount = ApplyTypedCardAmount(discount, typed, receiptAmounts())) {
        discounted = collected = *amount;
        arrearsLeft = 0.0;
        dropStaleSplit();
    } else if (typed > 1.0) {
        Prompter::current().inform(kCardAmountTooHigh);
    }
}

void CheckoutForm::arrearsLaterChanged(bool later)
{
    arrearsLater = later;
    amountDue = collected = total + (later ? 0.0 : oldArrears);
    discountChosen(discount.typeIndex);
    recomputeDiscount();
}

void CheckoutForm::discountSwitched(bool on)
{
    switchOn = on;
    DiscountSwitchView view;
    optionalRead([&] { view = SetDiscountSwitch(*connection_, settings, discount, on, choiceInputs()); });
    discountVisible = view.discountFields;
    otherFreeVisible = view.otherFree;
    if (otherFreeVisible && otherFreeReasons.isEmpty())
        optionalRead([&] { otherFreeReasons = db::InitCombox(*connection_, u"优惠类型表"_s, u"优惠类型"_s); });
    recomputeDiscount();
}

CheckoutForm::Ending CheckoutForm::settle()
{
    Prompter& prompter = Prompter::current();
    if (!readyToSettle()) return Ending::Stay;
    if (doctor.isEmpty()) {
        prompter.inform(kNoDoctor);
        return Ending::Stay;
    }
    db::Connection& c = *connection_;
    optionalRead([&] {
        if (const auto match = db::CheckQueryCombox(c, u"优惠类型表"_s, u"优惠类型"_s, otherFreeReason))
            otherFreeReason = match->value;
    });

    const PaymentRecord p = paymentRecord(in_.caseNumber, in_.receiptId);

    SettlementRequest r;
    fillRequest(r);
    r.receiptId = in_.receiptId;
    r.caseNumber = in_.caseNumber;
    r.receiptFields = {{u"收款人"_s, cashier}, {u"备注"_s, receiptNote}, {u"日期"_s, date},
                       {u"医生姓名"_s, doctor}, {u"科室"_s, department}, {u"医生编号"_s, doctorNumber},
                       {u"护士"_s, nurse}};
    r.paymentFields = CheckoutPaymentFields(p);
    r.patientNumber = patientNumber;
    r.cashier = cashier;
    r.date = date;
    // Points and the conversion into prepayment belong to the settlement: any of them failing
    // takes the whole settlement back, and a settlement never stands without its points.
    SettlementBookings b = bookings({patientNumber, discount.member.memberCode, patientName, cashier, date, in_.receiptId}, in_.caseNumber);
    for (int i = 0; i < receipt::CategoryCount; ++i) b.points.append({labels[i], amounts[i]});
    b.discount = discount.value;
    b.refund = refund == 1;
    r.inTransaction = [&b](db::Connection& tc, qint64 sheet) { BookWithSettlement(tc, b, sheet); };

    if (!tookPayment(Settle(c, r))) return Ending::Stay;
    printEnabled = true;
    prompter.inform(kSettled);
    return Ending::Accept;
}

} // namespace settle
