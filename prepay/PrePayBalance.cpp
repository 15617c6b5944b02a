#include "prepay/PrePayBalance.h"
#include "db/Query.h"
#include "db/TolerantRead.h"
#include "prepay/Failure.h"
#include <exception>

namespace prepay {

namespace {

struct Movements {
    double in = 0, inBonus = 0, out = 0, outBonus = 0;
};

// The four sums of PrePayReg_Table in one pass over the account's rows; each column is NULL
// exactly when its own Sum over that direction would be, so the results are the same as
// reading them one by one.
Movements readMovements(db::Connection& c, qint32 account, QString* failure)
{
    Movements m;
    db::tolerantRead(
        c,
        [&] {
            db::Query q(c, QStringLiteral("SELECT Sum(CASE WHEN PrePay_IO=0 THEN PrePay_Money END) AS InMoney,"
                                          " Sum(CASE WHEN PrePay_IO=0 THEN PreferMoney END) AS InBonus,"
                                          " Sum(CASE WHEN PrePay_IO=1 THEN PrePay_Money END) AS OutMoney,"
                                          " Sum(CASE WHEN PrePay_IO=1 THEN PreferMoney END) AS OutBonus"
                                          " FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO IN (0,1)"),
                        {account});
            q.exec();
            if (q.next()) {
                m.in = q.number(QStringLiteral("InMoney"));
                m.inBonus = q.number(QStringLiteral("InBonus"));
                m.out = q.number(QStringLiteral("OutMoney"));
                m.outBonus = q.number(QStringLiteral("OutBonus"));
            }
        },
        [&](const std::exception& e) {
            // An unreadable sum counts 0; the uses are still read.
            m = {};
            noteFailure(failure, e);
        });
    return m;
}

double readUses(db::Connection& c, qint32 account, const qint32* exceptSheet, QString* failure)
{
    double uses = 0.0;
    db::tolerantRead(
        c,
        [&] {
            db::Query q(c, exceptSheet ? QStringLiteral("SELECT Sum(Payed_Money) AS TotalMoney FROM PrePayUseReg_Table"
                                                        " WHERE PrePayer_ID=? AND PaySheetID <> ?")
                                       : QStringLiteral("SELECT Sum(Payed_Money) AS TotalMoney FROM PrePayUseReg_Table"
                                                        " WHERE PrePayer_ID=?"));
            q.bind(account);
            if (exceptSheet) q.bind(*exceptSheet);
            q.exec();
            uses = q.next() ? q.number(QStringLiteral("TotalMoney")) : 0.0;
        },
        [&](const std::exception& e) {
            uses = 0.0;
            noteFailure(failure, e);
        });
    return uses;
}

} // namespace

double GetPrePayTotalMoney(db::Connection& c, qint32 account, QString* failure)
{
    const Movements m = readMovements(c, account, failure);
    const double uses = readUses(c, account, nullptr, failure);
    return (m.inBonus + m.in) - (m.out + m.outBonus) - uses;
}

double GetPrePayBalanceExceptSheet(db::Connection& c, qint32 account, qint32 paySheet, QString* failure)
{
    const Movements m = readMovements(c, account, failure);
    const double otherUses = readUses(c, account, &paySheet, failure);
    return m.in - m.out - otherUses;
}

} // namespace prepay
