#include "settle/CheckoutCore.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "db/Query.h"
#include "prepay/PrePayCheck.h"
#include "settle/CollectedSplit.h"
#include "settle/PaymentRecord.h"

using namespace Qt::StringLiterals;

namespace settle
{

CheckoutCore::CheckoutCore(db::ConnectionPtr connection, bool resettling, Kept kept, int methodsOffered)
    : connection_(std::move(connection)), resettling_(resettling), kept_(kept), methodsOffered_(methodsOffered)
{
}

bool CheckoutCore::keeps(int m) const
{
    return kept_ == Kept::Voucher ? m == Voucher : m > PrePayment;
}

bool CheckoutCore::methodLocked() const
{
    return resettling_ && keeps(settledMethod);
}

void CheckoutCore::showMethod()
{
    paymentVisible = method != Cash;
    paymentLabel = paymentMethodLabel(method);
    if (!paymentVisible)
        methodAmount = cash = 0.0;
    methodEnabled = !methodLocked();
}

void CheckoutCore::chooseMethod(int index, const PaymentDialog& paymentDialog, double toCollect,
                                const QString& patientNumber, double arrears)
{
    // A payment the first settlement made and that cannot be taken back stays as it is, and a
    // re-settlement cannot start one: it would record a payment that took nothing.
    if (resettling_ && (keeps(index) || methodLocked())) {
        Prompter::current().inform(kept_ == Kept::Voucher ? kVoucherKept : kMethodKept);
        method = previousMethod;
        return;
    }
    if (index <= Cash || index >= methodsOffered_) {
        method = previousMethod = Cash;
        voucherId = 0;
        cardKind = 0;
        voucherNumber.clear();
        showMethod();
        return;
    }
    // No prepayment to use: the refusal is said and the method stays as it was, so the record
    // never claims a payment from prepayment that took nothing.
    if (index == PrePayment) {
        qint32 use = 1;
        int refused = 1;
        try {
            refused = prepay::GetPrePayInfo1(*connection_, resettling_ ? 1 : 0, use, patientNumber, account, paySheet);
        } catch (const std::exception&) {
        }
        if (refused != 0) {
            method = previousMethod;
            return;
        }
    }
    PaymentForm::Inputs p;
    p.toCollect = toCollect;
    p.patientNumber = patientNumber;
    p.resettle = resettling_ ? 1 : 0;
    p.account = account;
    p.paySheet = paySheet;
    p.method = index;
    p.cash = cash;
    p.arrears = arrears;
    const std::optional<PaymentAnswer> answer = paymentDialog ? paymentDialog(p) : std::nullopt;
    if (!answer) {
        method = previousMethod;
        return;
    }
    const PaymentSplit& s = answer->split;
    method = previousMethod = index;
    const bool voucher = index == Voucher;
    voucherId = voucher ? s.voucherId : 0;
    cardKind = voucher ? s.cardKind : 0;
    voucherNumber = voucher ? s.voucherNumber : QString();
    if (voucher)
        voucherLeftAfter = money::fromFen(money::toFen(s.available) - money::toFen(s.amount));
    if (index == PrePayment) {
        account = answer->account;
        paySheet = answer->paySheet;
    }
    methodAmount = money::round2(s.amount);
    cash = money::round2(s.cash);
    collected = money::fromFen(money::toFen(cash) + money::toFen(methodAmount));
    showMethod();
    collectedBySplit();
}

void CheckoutCore::dropStaleSplit()
{
    if (!splitIsStale(method, methodAmount, cash, collected))
        return;
    // A payment that stays keeps what it took; cash makes up the rest of the new amount.
    if (methodLocked() && method == settledMethod) {
        cash = money::fromFen(money::toFen(collected) - money::toFen(methodAmount));
        return;
    }
    chooseMethod(Cash, {}, collected, {}, 0.0);
}

bool CheckoutCore::loadSettledPayment(qint64 caseNumber, qint64 receiptId)
{
    receiptRead_([&] { settledRecord_ = LoadSettledRecord(*connection_, caseNumber, receiptId); });
    if (!settledRecord_)
        return false;
    method = previousMethod = settledMethod = int(db::toInteger(settledValue(u"MoneyPayed_type"_s)));
    collected = db::toNumber(settledValue(u"收款金额"_s));
    methodAmount = db::toNumber(settledValue(u"OtherTypePayedMoney"_s));
    cash = db::toNumber(settledValue(u"CashMoney"_s));
    voucherId = db::toInteger(settledValue(u"PreferID"_s));
    paySheet = qint32(db::toInteger(settledRecord_->key()));
    showMethod();
    return true;
}

QVariant CheckoutCore::settledValue(const QString& column) const
{
    return settledRecord_ ? settledRecord_->value(column) : QVariant();
}

bool CheckoutCore::readyToSettle()
{
    failureDetail.clear();
    Prompter& prompter = Prompter::current();
    if (receiptRead_.failed()) {
        failureDetail = receiptRead_.failure();
        prompter.inform(receiptRead_.message());
        return false;
    }
    // The cash handed over must cover the cash due before anything is booked.
    const TenderedCheck counted = checkTendered(tendered, cashDue());
    if (!counted.ok) {
        prompter.inform(counted.message);
        return false;
    }
    // A payment kept from the first settlement pays no more than is now collected: what it took
    // cannot be given back in cash.
    if (method != Cash && money::toFen(methodAmount) > 0 && money::toFen(cash) < 0) {
        const QString message = kKeptPaymentExceeds.arg(paymentMethodText(method), money::format2(methodAmount));
        failureDetail = message;
        prompter.inform(message);
        return false;
    }
    return true;
}

qint64 CheckoutCore::cashDue() const { return cashDueFen(method, collected, cash); }

std::optional<qint64> CheckoutCore::change() const { return checkTendered(tendered, cashDue()).change; }

void CheckoutCore::fillRequest(SettlementRequest& r) const
{
    r.resettle = resettling_;
    r.settledRecord = settledRecord_;
    r.method = method;
    r.methodAmount = method == Cash ? 0.0 : methodAmount;
    r.prepayAccount = account;
    r.voucher = {voucherId, voucherNumber, cardKind, r.methodAmount};
}

SettlementBookings CheckoutCore::bookings(const PointsBooking& who, qint64 caseNumber) const
{
    SettlementBookings b;
    b.who = who;
    b.firstSettlement = !resettling_;
    b.conversion.resettle = resettling_;
    b.conversion.method = method;
    b.conversion.cash = cash;
    b.conversion.collected = collected;
    b.conversion.patientNumber = who.patientNumber;
    b.conversion.patientName = who.patientName;
    b.conversion.cashier = who.cashier;
    b.conversion.caseNumber = caseNumber;
    b.conversion.receiptId = who.receiptId;
    return b;
}

bool CheckoutCore::tookPayment(const SettlementResult& done)
{
    if (!done.ok) {
        failureDetail = done.detail.isEmpty() ? done.message : done.detail;
        if (!done.message.isEmpty())
            Prompter::current().inform(done.message);
        return false;
    }
    paySheet = qint32(done.paySheet);
    if (method == Voucher && !resettling_)
        voucherLeftAfter = done.voucherLeft;
    return true;
}

} // namespace settle
