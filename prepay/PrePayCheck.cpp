#include "prepay/PrePayCheck.h"
#include "common/Prompter.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "db/TolerantRead.h"
#include "prepay/Failure.h"
#include "prepay/PrePayBalance.h"
#include <exception>

namespace prepay {

qint32 FindPrePayAccount(db::Connection& c, const QString& patientCode, QString* failure)
{
    qint32 account = 0;
    db::tolerantRead(
        c,
        [&] {
            // Oldest link first, so "the last one" is the newest, the same on every database.
            db::Query q(c, QStringLiteral("SELECT PrePayer_ID FROM PrePayUserSheet_Table WHERE ")
                               + db::sameText(QStringLiteral("Patient_Code")) + QStringLiteral(" ORDER BY ID"),
                        {patientCode});
            q.exec();
            while (q.next()) {
                if (!q.isNull(QStringLiteral("PrePayer_ID")))
                    account = static_cast<qint32>(q.integer(QStringLiteral("PrePayer_ID")));
            }
        },
        [&](const std::exception& e) {
            // Unreadable counts as no account: the check then refuses prepayment.
            account = 0;
            noteFailure(failure, e);
        });
    return account;
}

int CheckPrePayAccount(db::Connection& c, int resettle, qint32& usePrePay, const QString& patientCode,
                       qint32& account, double& balance, qint32 paySheet, QString* failure)
{
    if (usePrePay != 1) return 0;

    account = FindPrePayAccount(c, patientCode, failure);
    if (account == 0) {
        Prompter::current().inform(QStringLiteral("该患者没有可支配的预付费金额！"));
        usePrePay = 0;
        return 1;
    }

    const double usable = resettle == 0 ? GetPrePayTotalMoney(c, account, failure)
                                        : GetPrePayBalanceExceptSheet(c, account, paySheet, failure);
    if (usable > 0) {
        balance = usable;
        return 0;
    }
    Prompter::current().inform(QStringLiteral("该患者可使用的预付费金额为零，不能再使用!"));
    usePrePay = 0;
    return 1;
}

int GetPrePayInfo1(db::Connection& c, int resettle, qint32& usePrePay, const QString& patientCode, qint32& account,
                   qint32 paySheet, QString* failure)
{
    double balance = 0;
    return CheckPrePayAccount(c, resettle, usePrePay, patientCode, account, balance, paySheet, failure);
}

} // namespace prepay
