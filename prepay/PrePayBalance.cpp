#include "prepay/PrePayBalance.h"
#include "db/Query.h"
#include "db/TolerantRead.h"
#include "prepay/Failure.h"
#include <exception>

namespace prepay {

namespace {

// One sum of the account, read on its own: a sum that cannot be read (a column an older
// clinic database lacks, say) counts 0 and leaves the others as they are.
double sumOf(db::Connection& c, const QString& sql, const QVariantList& values, QString* failure)
{
    double sum = 0.0;
    db::tolerantRead(
        c,
        [&] {
            db::Query q(c, sql);
            q.bindAll(values);
            q.exec();
            sum = q.next() ? q.number(QStringLiteral("TotalMoney")) : 0.0;
        },
        [&](const std::exception& e) {
            sum = 0.0;
            noteFailure(failure, e);
        });
    return sum;
}

const QString deposits =
    QStringLiteral("SELECT Sum(PrePay_Money) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=0");
const QString depositBonus =
    QStringLiteral("SELECT Sum(PreferMoney) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=0");
const QString withdrawals =
    QStringLiteral("SELECT Sum(PrePay_Money) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=1");
const QString withdrawalBonus =
    QStringLiteral("SELECT Sum(PreferMoney) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=1");
const QString uses = QStringLiteral("SELECT Sum(Payed_Money) AS TotalMoney FROM PrePayUseReg_Table WHERE PrePayer_ID=?");
const QString otherUses = QStringLiteral(
    "SELECT Sum(Payed_Money) AS TotalMoney FROM PrePayUseReg_Table WHERE PrePayer_ID=? AND PaySheetID <> ?");

} // namespace

double GetPrePayTotalMoney(db::Connection& c, qint32 account, QString* failure)
{
    const double in = sumOf(c, deposits, {account}, failure);
    const double inBonus = sumOf(c, depositBonus, {account}, failure);
    const double out = sumOf(c, withdrawals, {account}, failure);
    const double outBonus = sumOf(c, withdrawalBonus, {account}, failure);
    const double used = sumOf(c, uses, {account}, failure);
    return (inBonus + in) - (out + outBonus) - used;
}

double GetPrePayBalanceExceptSheet(db::Connection& c, qint32 account, qint32 paySheet, QString* failure)
{
    // The bonus counts as in the whole balance: a settlement that spent bonus money must find
    // it again when it is re-settled, or an unchanged re-settlement would be refused.
    const double in = sumOf(c, deposits, {account}, failure);
    const double inBonus = sumOf(c, depositBonus, {account}, failure);
    const double out = sumOf(c, withdrawals, {account}, failure);
    const double outBonus = sumOf(c, withdrawalBonus, {account}, failure);
    const double used = sumOf(c, otherUses, {account, paySheet}, failure);
    return (inBonus + in) - (out + outBonus) - used;
}

} // namespace prepay
