#include "prepay/PrePayUse.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include <cmath>
#include <exception>

namespace prepay {

namespace {

const QString useTable = QStringLiteral("PrePayUseReg_Table");

std::unique_ptr<db::Query> useInsert(db::Connection& c, const QString& patientCode, double amount, const QString& cashier,
                                     const QDateTime& time, const QString& note, qint32 paySheet, qint32 account)
{
    if (account <= 0) throw db::Error(QStringLiteral("没有预付费帐户"));
    return db::insertQuery(c, useTable,
                           {{QStringLiteral("PrePayer_ID"), account},
                            {QStringLiteral("Patient_Code"), patientCode},
                            {QStringLiteral("PaySheetID"), paySheet},
                            {QStringLiteral("Payed_Money"), amount},
                            {QStringLiteral("Checker"), cashier},
                            {QStringLiteral("RegTime"), time},
                            {QStringLiteral("note"), note}},
                           QString());
}

void addUse(db::Connection& c, const QString& patientCode, double amount, const QString& cashier,
            const QDateTime& time, const QString& note, qint32 paySheet, qint32 account)
{
    useInsert(c, patientCode, amount, cashier, time, note, paySheet, account)->exec();
}

} // namespace

void BookPrePayUse(db::Connection& c, int resettle, int paidByPrePay, const QString& patientCode, double amount,
                   const QString& cashier, const QDateTime& time, const QString& note, qint32 paySheet, qint32 account)
{
    const db::Where ofSheet{QStringLiteral("PaySheetID=?"), {paySheet}};
    if ((resettle != 1 || paidByPrePay == 1) && !std::isfinite(amount)) throw db::Error(QStringLiteral("预付费金额无效"));
    db::Transaction tx(c);
    if (resettle != 1) {
        addUse(c, patientCode, amount, cashier, time, note, paySheet, account);
    } else if (paidByPrePay == 1) {
        const int changed = db::ModefyRecord(c, useTable,
                                             {{QStringLiteral("Patient_Code"), patientCode},
                                              {QStringLiteral("Payed_Money"), amount},
                                              {QStringLiteral("Checker"), cashier},
                                              {QStringLiteral("RegTime"), time},
                                              {QStringLiteral("note"), note}},
                                             ofSheet);
        // Paid in cash the first time and from prepayment now: there was no use to change,
        // and without one the account would never be charged.
        if (changed == 0) addUse(c, patientCode, amount, cashier, time, note, paySheet, account);
    } else {
        db::DeleteRecord(c, useTable, ofSheet);
    }
    tx.commit();
}

bool RecordPrePayUse(db::Connection& c, int resettle, int paidByPrePay, const QString& patientCode, double amount,
                     const QString& cashier, const QDateTime& time, const QString& note, qint32 paySheet,
                     qint32 account)
{
    try {
        BookPrePayUse(c, resettle, paidByPrePay, patientCode, amount, cashier, time, note, paySheet, account);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::unique_ptr<db::Query> SendPrePayUse(db::Connection& c, const QString& patientCode, double amount, const QString& cashier,
                                         const QDateTime& time, const QString& note, qint32 paySheet, qint32 account)
{
    if (!std::isfinite(amount)) throw db::Error(QStringLiteral("预付费金额无效"));
    auto q = useInsert(c, patientCode, amount, cashier, time, note, paySheet, account);
    q->send();
    return q;
}

} // namespace prepay
