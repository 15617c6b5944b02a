#include "prepay/PrePayBalance.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/TolerantRead.h"
#include "prepay/Failure.h"
#include <QRegularExpression>
#include <exception>

namespace prepay {

namespace {

// Whether a read failed because the database keeps no sums: a clinic database this program has
// not upgraded. Such a database is read the old way, by summing the movements.
bool noSumsKept(const std::exception& e)
{
    // SQLite's and PostgreSQL's words for a missing table (the statement's text, which follows
    // the message, names the table too and must not count).
    static const QRegularExpression missing(QStringLiteral("no such table: PrePaySum_Table|relation \"PrePaySum_Table\" does not exist"),
                                            QRegularExpression::CaseInsensitiveOption);
    return missing.match(QString::fromUtf8(e.what())).hasMatch();
}

struct Sum {
    QString kept;  // from the account's sums: one row, whatever the history
    QString resum; // summing the movements themselves, for a database that keeps no sums
};

// One sum of the account, read on its own: a sum that cannot be read (a column an older
// clinic database lacks, say) counts 0 and leaves the others as they are.
double sumOf(db::Connection& c, const Sum& s, const QVariantList& keptValues, const QVariantList& resumValues,
             QString* failure)
{
    const auto read = [&](const QString& sql, const QVariantList& values) {
        db::Query q(c, sql);
        q.bindAll(values);
        q.exec();
        return q.next() ? q.number(QStringLiteral("TotalMoney")) : 0.0;
    };
    double sum = 0.0;
    bool noSums = false;
    db::tolerantRead(c, [&] { sum = read(s.kept, keptValues); }, [&](const std::exception& e) {
        sum = 0.0;
        if (noSumsKept(e)) noSums = true;
        else noteFailure(failure, e);
    });
    if (noSums)
        db::tolerantRead(c, [&] { sum = read(s.resum, resumValues); }, [&](const std::exception& e) {
            sum = 0.0;
            noteFailure(failure, e);
        });
    return sum;
}

double sumOf(db::Connection& c, const Sum& s, qint32 account, QString* failure)
{
    return sumOf(c, s, {account}, {account}, failure);
}

const Sum deposits{QStringLiteral("SELECT Deposits AS TotalMoney FROM PrePaySum_Table WHERE PrePayer_ID=?"),
                   QStringLiteral("SELECT Sum(PrePay_Money) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=0")};
const Sum depositBonus{QStringLiteral("SELECT DepositBonus AS TotalMoney FROM PrePaySum_Table WHERE PrePayer_ID=?"),
                       QStringLiteral("SELECT Sum(PreferMoney) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=0")};
const Sum withdrawals{QStringLiteral("SELECT Withdrawals AS TotalMoney FROM PrePaySum_Table WHERE PrePayer_ID=?"),
                      QStringLiteral("SELECT Sum(PrePay_Money) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=1")};
const Sum withdrawalBonus{QStringLiteral("SELECT WithdrawalBonus AS TotalMoney FROM PrePaySum_Table WHERE PrePayer_ID=?"),
                          QStringLiteral("SELECT Sum(PreferMoney) AS TotalMoney FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO=1")};
const Sum uses{QStringLiteral("SELECT Used AS TotalMoney FROM PrePaySum_Table WHERE PrePayer_ID=?"),
               QStringLiteral("SELECT Sum(Payed_Money) AS TotalMoney FROM PrePayUseReg_Table WHERE PrePayer_ID=?")};
// Every use but those of one payment record and those with none (NULL <> N is not true): the
// record's own uses are few, found by the index on (PrePayer_ID, PaySheetID).
const QString sheetUses =
    QStringLiteral("COALESCE((SELECT SUM(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=? AND PaySheetID=?),0)");
const Sum otherUses{QStringLiteral("SELECT Used - UsedNoSheet - ") + sheetUses
                        + QStringLiteral(" AS TotalMoney FROM PrePaySum_Table WHERE PrePayer_ID=?"),
                    QStringLiteral("SELECT Sum(Payed_Money) AS TotalMoney FROM PrePayUseReg_Table WHERE PrePayer_ID=? AND PaySheetID <> ?")};

// Kept sums move by adding and taking off binary fractions: an account whose movements net to
// nothing can hold -0.0000000000017 where a re-sum would hold 0. Balances are amounts, so they
// are handed out at the fen, and "nothing left" stays nothing.
double atTheFen(double yuan) { return money::round2(yuan) + 0.0; } // + 0.0: no "-0" either

double movedIn(db::Connection& c, qint32 account, QString* failure)
{
    const double in = sumOf(c, deposits, account, failure);
    const double inBonus = sumOf(c, depositBonus, account, failure);
    const double out = sumOf(c, withdrawals, account, failure);
    const double outBonus = sumOf(c, withdrawalBonus, account, failure);
    return (inBonus + in) - (out + outBonus);
}

} // namespace

double GetPrePayTotalMoney(db::Connection& c, qint32 account, QString* failure)
{
    const double moved = movedIn(c, account, failure);
    return atTheFen(moved - sumOf(c, uses, account, failure));
}

double GetPrePayBalanceExceptSheet(db::Connection& c, qint32 account, qint32 paySheet, QString* failure)
{
    // The bonus counts as in the whole balance: a settlement that spent bonus money must find
    // it again when it is re-settled, or an unchanged re-settlement would be refused.
    const double moved = movedIn(c, account, failure);
    return atTheFen(moved - sumOf(c, otherUses, {account, paySheet, account}, {account, paySheet}, failure));
}

std::unique_ptr<db::Query> LockedUsablePrePayQuery(db::Connection& c, qint32 account)
{
    return std::make_unique<db::Query>(
        c,
        QStringLiteral("SELECT s.Deposits + s.DepositBonus - s.Withdrawals - s.WithdrawalBonus - s.Used AS Usable"
                       " FROM PrePay_Table p JOIN PrePaySum_Table s ON s.PrePayer_ID = p.ID WHERE p.ID=?")
            + (c.isSQLite() ? QString() : QStringLiteral(" FOR UPDATE")),
        std::initializer_list<QVariant>{account});
}

std::optional<double> LockedUsablePrePay(db::Query& answered)
{
    if (!answered.next()) return std::nullopt;
    return atTheFen(answered.number(0));
}

double UsablePrePay(db::Connection& c, qint32 account, std::optional<qint64> exceptSheet)
{
    QString sql = QStringLiteral("SELECT Deposits + DepositBonus - Withdrawals - WithdrawalBonus - Used");
    QVariantList values;
    if (exceptSheet) {
        sql += QStringLiteral(" + UsedNoSheet + ") + sheetUses;
        values << account << *exceptSheet;
    }
    sql += QStringLiteral(" AS Usable FROM PrePaySum_Table WHERE PrePayer_ID=?");
    values << account;
    db::Query q(c, sql);
    q.bindAll(values);
    q.exec();
    return atTheFen(q.next() ? q.number(0) : 0.0);
}

} // namespace prepay
