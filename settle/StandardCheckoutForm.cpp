#include "settle/StandardCheckoutForm.h"
#include "common/OpeningRead.h"
#include "settle/CollectedSplit.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "common/Settings.h"
#include "db/DocumentFee.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayCheck.h"
#include "receipt/ReceiptHeader.h"
#include "receipt/StandardItemWriter.h"
#include "discount/DiscountItems.h"
#include "discount/DiscountSwitch.h"
#include "discount/DiscountTypeList.h"
#include "settle/PaymentRecord.h"
#include "settle/Settlement.h"
#include "settle/SettlementExtras.h"
#include "discount/StandardDiscountTypes.h"

using namespace Qt::StringLiterals;

namespace settle {

namespace {

const QString settledText = u"收据结帐成功!"_s;

// The payment record of a standard-item receipt: the checkout's columns without 免收费用 and
// 免收条件, in the order this checkout writes them.
db::FieldValues standardPaymentFields(const PaymentRecord& p)
{
    const db::FieldValues all = CheckoutPaymentFields(p);
    const QStringList order{u"病历号"_s,           u"总计应收费用"_s,        u"原欠金额"_s,     u"实收费用"_s,
                            u"收款金额"_s,         u"余额"_s,                u"收款人"_s,       u"日期"_s,
                            u"ReceiptID"_s,        u"备注"_s,                u"Discout_Type"_s, u"Discout"_s,
                            u"Discout_Note"_s,     u"OtherFreeFee"_s,        u"OtherFreeFeeReason"_s,
                            u"MoneyCard_Name"_s,   u"MoneyCard_Value"_s,     u"MoneyCard_UsedValue"_s,
                            u"CardOnlyForDisctItem"_s, u"MoneyPayed_type"_s, u"OtherFreeFeeNote"_s,
                            u"OtherTypePayedMoney"_s, u"CashMoney"_s,        u"GetLaterLeftMoneyFlag"_s,
                            u"PreferID"_s};
    db::FieldValues out;
    for (const QString& column : order)
        for (const auto& field : all)
            if (field.first == column) out.append(field);
    return out;
}

} // namespace

StandardCheckoutForm::StandardCheckoutForm(db::ConnectionPtr connection, const Inputs& in)
    : CaseCheckout(std::move(connection), in.resettle == 1, Kept::Voucher, PaymentMethodCount),
      viewOnly_(in.viewOnly), dateFixed_(in.dateFixed)
{
    resettle = in.resettle == 1 ? 1 : 0;
    caseNumber = in.caseNumber;
    receiptId = in.receiptId;
    doctor = in.doctorName;
    department = in.department;
    doctorNumber = in.doctorNumber;
    patientName = in.patientName;
    patientNumber = in.patientNumber;
    cashier = in.cashier;
    date = QDateTime::currentDateTime();
}

void StandardCheckoutForm::open()
{
    db::Connection& c = *connection_;
    optionalRead([&] { receipt::LoadReceiptDate(c, date); });
    dateEnabled = dateFixed_ != 1;
    settleVisible = !viewOnly_;
    optionalRead([&] { doctors = db::InitCombox(c, u"主治医生表"_s, u"医生姓名"_s); });
    optionalRead([&] { receipt::FillNurseList(c, nurses); });
    optionalRead([&] { otherFreeReasons = db::InitCombox(c, u"优惠类型表"_s, u"优惠类型"_s); });
    if (receiptId <= 0)
        optionalRead([&] {
            receiptId = db::toInteger(db::scalar(
                c, u"SELECT ID FROM 收费收据表 WHERE 病历号=? AND rtrim(付款)='未付' ORDER BY ID"_s, {caseNumber}));
        });
    receiptRead_([&] { lines = receipt::loadStandardItems(c, receipt::ReceiptKind::CaseRecord, receiptId); });
    total = SumItems(lines.lines()).undiscounted;
    int mode = DiscountOff;
    optionalRead([&] {
        if (LoadDiscountSettings(c, settings, mode) == 0) discount.mode = mode;
    });
    optionalRead([&] {
        double rate = 1.0;
        LookUpMember(c, patientNumber, discount.member, rate);
    });
    if (resettle) openAgain();
    else openFirst();
    // The built-in title unless the clinic set its own.
    receiptTitle = settings::defaultReceiptTitle;
    optionalRead([&] { settings::readReceiptTitle(receiptTitle); });
    optionalRead([&] {
        account = prepay::FindPrePayAccount(c, patientNumber);
        if (account > 0) usablePrePay = prepay::GetPrePayTotalMoney(c, account);
    });
}

void StandardCheckoutForm::openFirst()
{
    db::Connection& c = *connection_;
    optionalRead([&] {
        db::Query q(c, u"SELECT FeeIO,护士,Doctor_Discout,Doctor_Discout_Value,备注 FROM 收费收据表 WHERE ID=?"_s,
                    {receiptId});
        q.exec();
        if (!q.next()) return;
        refund = q.integer(u"FeeIO"_s) != 0 ? 1 : 0;
        nurse = q.text(u"护士"_s);
        if (!q.isNull(u"Doctor_Discout"_s)) doctorType = int(q.integer(u"Doctor_Discout"_s));
        if (!q.isNull(u"Doctor_Discout_Value"_s)) doctorValue = q.number(u"Doctor_Discout_Value"_s);
        receiptNote = q.text(u"备注"_s);
    });
    optionalRead([&] { oldArrears = db::CalculateDocumentFee(c, patientNumber).arrears; });
    arrearsLaterVisible = oldArrears != 0.0;
    amountDue = collected = discounted = total + oldArrears;
    settled = 0;

    const bool hasDoctorType = doctorType >= 0 && doctorType <= 3;
    // The per-item setting leaves the receipt's own discounts to the doctor who wrote it.
    const bool discountsOn = settings.DiscoutYesNo && (settings.FeeItemYesNo != 5 || hasDoctorType);
    if (hasDoctorType) {
        applyDoctorDiscount();
    } else if (!discountsOn) {
        discount.mode = DiscountOff;
    } else {
        switchVisible = true;
        switchOn = ReadDiscountSwitch();
        if (switchOn) {
            optionalRead([&] {
                FillDiscountTypeList(c, settings, patientNumber, discount.list);
                ApplyDiscountChoice(c, settings, discount, discount.list.selected, choiceInputs());
            });
            discountVisible = typeListVisible = settings.FeeItemYesNo >= 0;
            otherFreeVisible = settings.OtherFreeYesNo;
        } else {
            discount.mode = DiscountOff;
        }
    }
    optionalRead([&] { discountEnabled = !ReceiptTypeFixesDiscounts(c); });
    recompute();
}

void StandardCheckoutForm::openAgain()
{
    db::Connection& c = *connection_;
    if (loadSettledPayment(caseNumber, receiptId)) {
        oldArrears = db::toNumber(settledValue(u"原欠金额"_s));
        amountDue = db::toNumber(settledValue(u"实收费用"_s));
        arrearsLeft = db::toNumber(settledValue(u"余额"_s));
        arrearsLater = db::toInteger(settledValue(u"GetLaterLeftMoneyFlag"_s)) == 1;
    }
    arrearsLaterVisible = oldArrears != 0.0;
    optionalRead([&] {
        db::Query q(c,
                    u"SELECT 收费收据表.FeeIO,收费收据表.护士,Doctor_Discout,Doctor_Discout_Value,收费收据表.医生姓名,"
                    "收费收据表.备注,病历收费单.收款人,Discout_Type,Discout,Discout_Note,MoneyCard_Name,MoneyCard_Value,"
                    "MoneyCard_UsedValue,CardOnlyForDisctItem,OtherFreeFeeReason,OtherFreeFee,OtherFreeFeeNote "
                    "FROM 病历收费单,收费收据表 WHERE 病历收费单.病历号=? AND 病历收费单.ReceiptID=? "
                    "AND 收费收据表.ID=病历收费单.ReceiptID"_s,
                    {caseNumber, receiptId});
        q.exec();
        if (!q.next()) return;
        refund = q.integer(u"FeeIO"_s) != 0 ? 1 : 0;
        nurse = q.text(u"护士"_s);
        if (!q.isNull(u"Doctor_Discout"_s)) doctorType = int(q.integer(u"Doctor_Discout"_s));
        if (!q.isNull(u"Doctor_Discout_Value"_s)) doctorValue = q.number(u"Doctor_Discout_Value"_s);
        doctor = q.text(u"医生姓名"_s);
        receiptNote = q.text(u"备注"_s);
        cashier = q.text(u"收款人"_s).isEmpty() ? cashier : q.text(u"收款人"_s);
        discount.mode = q.isNull(u"Discout_Type"_s) ? DiscountOff : int(q.integer(u"Discout_Type"_s));
        discount.value = q.isNull(u"Discout"_s) ? 1.0 : q.number(u"Discout"_s);
        discount.note = q.text(u"Discout_Note"_s);
        discount.cardName = q.text(u"MoneyCard_Name"_s);
        discount.cardValue = q.number(u"MoneyCard_Value"_s);
        if (discount.mode == MoneyCardAmount) discount.value = q.number(u"MoneyCard_UsedValue"_s);
        otherFreeReason = q.text(u"OtherFreeFeeReason"_s);
        otherFree = q.number(u"OtherFreeFee"_s);
        otherFreeNote = q.text(u"OtherFreeFeeNote"_s);
    });
    if ((discount.mode == NoDiscount && discount.value == 0.0) || discount.mode == DiscountOff) {
        discount.mode = DiscountOff;
        discount.value = 1.0;
    }
    if (doctorType >= 0 && doctorType <= 3) {
        applyDoctorDiscount();
    } else if (settings.DiscoutYesNo) {
        optionalRead([&] { FillDiscountTypeList(*connection_, settings, patientNumber, discount.list); });
        discount.list.selected = -1;
        discountVisible = typeListVisible = discount.mode != DiscountOff;
    }
    // What is due is worked out again as the first settlement did; what was collected and what
    // is still owed stay as they were settled.
    workOutDue();
}

void StandardCheckoutForm::applyDoctorDiscount()
{
    discountVisible = true;
    typeListVisible = false;
    discount.note = standardDiscountNote(doctorType);
    if (standardTypeHidesDiscountField(doctorType)) {
        // The lines keep the rates the receipt was written with.
        discount.mode = FeeStandardItems;
        discountFieldVisible = false;
    } else {
        discount.mode = MemberRank;
        discount.value = doctorValue;
    }
}

DiscountChoiceInputs StandardCheckoutForm::choiceInputs() const
{
    DiscountChoiceInputs in;
    in.patientNumber = patientNumber;
    in.amountDue = amountDue;
    optionalRead([&] { in.cumulativeFees = db::CalculateDocumentFee(*connection_, patientNumber).received; });
    return in;
}

void StandardCheckoutForm::workOutDue()
{
    auto& items = lines.lines();
    if (discount.mode == FeeStandardItems) {
        const ItemTotals t = SumItems(items);
        total = t.undiscounted;
        // A refund receipt pays money back whatever rates its lines carry, and old arrears left
        // for later stay out here as under every other discount.
        const double lineTotal = refund == 1 ? -t.discounted : t.discounted;
        discounted = amountDue = (arrearsLater ? 0.0 : oldArrears) + lineTotal - otherFree;
    } else {
        double v = money::round4(discount.value);
        double t = ApplyDiscountToItems(items, v, settings.CardOnlyForDisctItem);
        discount.value = v;
        if (t == 0.0 && discount.mode != MoneyCardAmount && discount.mode != NoDiscount && discount.mode != DiscountOff)
            t = total * v;
        if (refund == 1) t = -t;
        if (!arrearsLater) t += oldArrears;
        t -= otherFree;
        discounted = amountDue = t;
    }
}

void StandardCheckoutForm::recompute()
{
    workOutDue();
    collected = discounted;
    arrearsLeft = 0.0;
    dropStaleSplit();
}

void StandardCheckoutForm::discountChosen(int entry)
{
    bool applied = false;
    optionalRead([&] { applied = ApplyDiscountChoice(*connection_, settings, discount, entry, choiceInputs()); });
    if (applied) recompute();
}

void StandardCheckoutForm::discountValueTyped(double typed)
{
    if (discount.mode != MoneyCardAmount || typed <= 1.0) return;
    // The part of the card used on this receipt can be lowered, never raised above the card.
    discount.value = money::round4(std::min(typed, discount.cardValue));
    discount.note = moneyCardNote(discount.cardName, discount.value);
    recompute();
}

void StandardCheckoutForm::collectedChanged()
{
    arrearsLeft = arrearsAfter(discounted, collected, otherFree);
    dropStaleSplit();
}

void StandardCheckoutForm::otherFreeChanged()
{
    arrearsLeft = 0.0;
    collected = discounted - otherFree;
    dropStaleSplit();
}

void StandardCheckoutForm::arrearsLaterChanged(bool later)
{
    arrearsLater = later;
    if (doctorType >= 0 && doctorType <= 3) applyDoctorDiscount();
    else if (discount.typeIndex >= 0) discountChosen(discount.typeIndex);
    recompute();
}

void StandardCheckoutForm::discountSwitched(bool on)
{
    switchOn = on;
    optionalRead([&] {
        const DiscountSwitchView view = SetDiscountSwitch(*connection_, settings, discount, on, choiceInputs());
        discountVisible = typeListVisible = view.discountFields;
        otherFreeVisible = view.otherFree;
    });
    recompute();
}

StandardCheckoutForm::Ending StandardCheckoutForm::settle()
{
    if (viewOnly_ || !readyToSettle()) return Ending::Stay;
    db::Connection& c = *connection_;
    const QString arrearsNote = u"原欠款%1"_s.arg(money::format2(oldArrears));
    QString note = receiptNote;
    // A re-settlement finds the note of the first one already carrying it.
    if (oldArrears != 0.0 && !note.endsWith(arrearsNote)) note += arrearsNote;

    const ItemTotals t = SumItems(lines.lines());
    const PaymentRecord p = paymentRecord(caseNumber, receiptId);

    SettlementRequest r;
    fillRequest(r);
    r.receiptId = receiptId;
    r.caseNumber = caseNumber;
    r.receiptFields = {{u"病人姓名"_s, patientName},
                       {u"合计"_s, refund == 1 ? -t.discounted : t.discounted},
                       {u"收款人"_s, cashier},
                       {u"日期"_s, date},
                       {u"备注"_s, note},
                       {u"医生姓名"_s, doctor},
                       {u"科室"_s, department},
                       {u"医生编号"_s, doctorNumber},
                       {u"护士"_s, nurse}};
    r.paymentFields = standardPaymentFields(p);
    r.patientNumber = patientNumber;
    r.cashier = cashier;
    r.date = date;
    // Points, the conversion into prepayment and the lines with their discounts belong to the
    // settlement: any of them failing takes the whole settlement back.
    SettlementBookings b = bookings({patientNumber, discount.member.memberCode, patientName, cashier, date, receiptId}, caseNumber);
    b.feeItemType = 1;
    for (const receipt::StandardItem& line : lines.lines()) b.points.append({line.name, line.undiscountedAmount});
    b.discount = discount.value;
    b.refund = refund == 1;
    r.inTransaction = [&](db::Connection& tc, qint64 sheet) {
        BookWithSettlement(tc, b, sheet);
        receipt::saveStandardItems(tc, receipt::ReceiptKind::CaseRecord, receiptId, lines);
    };
    if (!tookPayment(Settle(c, r))) return Ending::Stay;
    lines.markSaved({});
    receiptNote = note;
    settled = 1;
    printEnabled = true;
    Prompter::current().inform(settledText);
    return Ending::Accept;
}

FeeDetailSheet StandardCheckoutForm::detailSheet() const
{
    return {receiptTitle, patientName, patientNumber, doctor,    department, doctorNumber,
            amountDue,    oldArrears,  collected,     arrearsLeft, cashier,  date};
}

} // namespace settle
