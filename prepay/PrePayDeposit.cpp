#include "prepay/PrePayDeposit.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/TextMatch.h"
#include "db/Transaction.h"
#include "prepay/PrePayBalance.h"
#include "settle/PaymentMethods.h"

using namespace Qt::StringLiterals;

namespace prepay {

namespace {

DepositResult refused(const QString& message)
{
    DepositResult r;
    r.message = message;
    return r;
}

} // namespace

bool depositMethodAllowed(int method)
{
    return method >= 0 && method < settle::PaymentMethodCount && method != settle::PrePayment;
}

DepositResult depositPrePay(db::Connection& c, const Deposit& d)
{
    if (d.cashier.trimmed().isEmpty()) return refused(kDepositNoCashier);
    if (!money::isWholeFen(d.amount)) return refused(money::isStorable(d.amount) ? kDepositNotFen : money::kAmountOutOfRange);
    if (money::toFen(d.amount) <= 0) return refused(kDepositNotPositive);
    if (!depositMethodAllowed(d.method)) return refused(kDepositMethod);

    db::Transaction t(c);
    // The account's row is held for the deposit: a desk that removes the account meanwhile
    // either waits or has removed it, and the money is never booked into nothing. Two deposits
    // into one account both land, one after the other.
    if (db::execute(c, u"UPDATE PrePay_Table SET VIP_CODE=VIP_CODE WHERE ID=?"_s, {d.account}) != 1)
        return refused(kDepositNoAccount);
    if (!d.patientNumber.trimmed().isEmpty()
        && db::scalar(c, u"SELECT PrePayer_ID FROM PrePayUserSheet_Table WHERE PrePayer_ID=? AND "_s
                             + db::sameText(u"Patient_Code"_s),
                      {d.account, d.patientNumber})
               .isNull())
        return refused(kDepositNotAllowed);
    DepositResult r;
    r.time = db::GetServerTime(c);
    r.id = db::AddRecord(c, u"PrePayReg_Table"_s,
                         {{u"PrePayer_ID"_s, d.account},
                          {u"PrePay_Money"_s, money::round2(d.amount)},
                          {u"PreferMoney"_s, 0.0},
                          {u"PrePay_IO"_s, 0},
                          {u"PayMoney_Man"_s, d.payer.trimmed()},
                          {u"Checker"_s, d.cashier.trimmed()},
                          {u"PayTime"_s, r.time},
                          {u"note"_s, d.note},
                          {u"PrePayType"_s, d.method}});
    t.commit();
    r.ok = true;
    r.balance = GetPrePayTotalMoney(c, d.account);
    return r;
}

} // namespace prepay
