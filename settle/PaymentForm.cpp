#include "settle/PaymentForm.h"
#include "common/Prompter.h"
#include "db/ICCard.h"
#include "prepay/PrePayCheck.h"

using namespace Qt::StringLiterals;

namespace settle
{

PaymentForm::PaymentForm(db::ConnectionPtr connection, const Inputs& inputs)
    : account(inputs.account), paySheet(inputs.paySheet), connection_(std::move(connection)), in_(inputs)
{
    split.method = inputs.method;
    split.cash = inputs.cash;
}

void PaymentForm::open()
{
    const int m = split.method;
    amountLabel = paymentMethodLabel(m);
    if (m == PrePayment) {
        voucherControls = false;
        availableVisible = true;
        qint32 use = 1;
        double usable = 0.0;
        if (prepay::CheckPrePayAccount(*connection_, in_.resettle, use, in_.patientNumber, account, usable, paySheet) != 0)
            usable = 0.0;
        SplitOver(split, in_.toCollect, usable);
    } else if (m == Voucher || m == Cash) {
        voucherControls = true;
        availableVisible = true;
        verifyEnabled = false;
        okEnabled = false; // only a verified voucher pays
        split.amount = in_.toCollect;
    } else {
        voucherControls = false;
        availableVisible = false;
        split.amount = in_.toCollect;
        split.cash = 0.0;
    }
}

void PaymentForm::voucherNumberEdited()
{
    verifyEnabled = true;
    okEnabled = false;
    // The voucher debited and the card rewritten are the ones verified: never a number typed
    // after the verification. A card read for the old number says nothing of the new one.
    split.voucherId = 0;
    split.cardKind = 0;
    split.icBalance = 0.0;
    split.available = 0.0;
}

void PaymentForm::readCard()
{
    QString content = kSampleCardContent;
    if (db::ReadICCard(content) != 0) return;
    ICCardData card{split.voucherNumber, split.icBalance};
    if (const auto message = ParseICCard(content, card)) {
        split.voucherNumber = card.number;
        Prompter::current().inform(*message);
        return;
    }
    split.voucherNumber = card.number;
    split.icBalance = card.balance;
    verifyEnabled = true;
}

void PaymentForm::verify(const std::function<std::optional<QString>()>& askPassword)
{
    okEnabled = false;
    const VoucherRecord v = LoadVoucher(*connection_, split.voucherNumber);
    split.available = v.left;
    split.cardKind = v.kind;
    split.voucherId = v.id;
    if (const auto refusal = VerifyVoucher(v, connection_->serverTime().date(), askPassword, split.icBalance)) {
        Prompter::current().inform(*refusal);
        return;
    }
    okEnabled = true;
    SplitOver(split, in_.toCollect, v.left);
}

} // namespace settle
