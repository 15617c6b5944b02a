#include "prepay/PrePayDepositForm.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayCheck.h"
#include "prepay/PrePayDeposit.h"
#include "settle/PaymentMethods.h"

using namespace Qt::StringLiterals;

namespace prepay {

PrePayDepositForm::PrePayDepositForm(db::ConnectionPtr connection, Inputs inputs)
    : connection_(std::move(connection)), in_(std::move(inputs))
{
    payer = in_.patientName;
}

QStringList PrePayDepositForm::methodTexts()
{
    QStringList texts;
    for (int m = 0; m < settle::PaymentMethodCount; ++m)
        if (depositMethodAllowed(m)) texts << settle::paymentMethodText(m);
    return texts;
}

int PrePayDepositForm::methodOf(int entry)
{
    for (int m = 0, seen = 0; m < settle::PaymentMethodCount; ++m)
        if (depositMethodAllowed(m) && seen++ == entry) return m;
    return -1;
}

void PrePayDepositForm::open()
{
    QString failure;
    account = FindPrePayAccount(*connection_, in_.patientNumber, &failure);
    if (!failure.isEmpty()) throw db::Error(failure);
    balance = account > 0 ? GetPrePayTotalMoney(*connection_, account) : 0.0;
}

bool PrePayDepositForm::deposit()
{
    Prompter& prompter = Prompter::current();
    double amount = 0.0;
    if (!money::parseAmount(amountText, amount)) {
        prompter.inform(u"请输入一个数字。"_s);
        return false;
    }
    if (account <= 0) {
        prompter.inform(kDepositNoAccount);
        return false;
    }
    Deposit d;
    d.account = account;
    d.patientNumber = in_.patientNumber;
    d.amount = amount;
    d.method = methodOf(methodEntry);
    d.payer = payer;
    d.cashier = in_.cashier;
    d.note = note;
    const DepositResult r = depositPrePay(*connection_, d);
    if (!r.ok) {
        prompter.inform(r.message);
        return false;
    }
    balance = r.balance;
    amountText.clear();
    slip = {in_.clinic, r.id, account, in_.patientName, in_.patientNumber, money::round2(amount),
            settle::paymentMethodText(d.method), d.payer.trimmed(), in_.cashier, r.time, r.balance};
    printEnabled = true;
    prompter.inform(kDepositDone);
    return true;
}

} // namespace prepay
