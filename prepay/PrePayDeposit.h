#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QString>

// 预付费交款: money paid into a prepaid account at the desk. It is one deposit row of
// PrePayReg_Table (PrePay_IO 0, PrePayType = how it was paid, Checker = the cashier), the row
// every balance read sums, written in one transaction and only while the account exists.
namespace prepay {

struct Deposit {
    qint32 account = 0;    // PrePay_Table.ID
    QString patientNumber; // who pays in; when given, must be allowed on the account
    double amount = 0.0;
    int method = 0;        // a payment method other than prepayment itself
    QString payer;         // PayMoney_Man
    QString cashier;       // Checker
    QString note;
};

struct DepositResult {
    bool ok = false;
    QString message; // the refusal, as the cashier reads it
    qint64 id = 0;   // the new PrePayReg_Table row
    QDateTime time;  // the server's time of the deposit
    double balance = 0.0; // the account's balance right after it
};

inline const QString kDepositNotPositive = QStringLiteral("交款金额必须大于零！");
inline const QString kDepositNotFen = QStringLiteral("交款金额必须是精确到分的数字！");
inline const QString kDepositNoAccount = QStringLiteral("预付费帐户不存在！");
inline const QString kDepositNotAllowed = QStringLiteral("该患者不能使用这个预付费帐户！");
inline const QString kDepositMethod = QStringLiteral("请选择交款方式！");
inline const QString kDepositNoCashier = QStringLiteral("请先签到！");

// The payment methods a deposit may be paid by (index = MoneyPayed_type, PrePayType).
bool depositMethodAllowed(int method);

// Checks and books the deposit; throws db::Error when the database fails (nothing written).
DepositResult depositPrePay(db::Connection& c, const Deposit& d);

} // namespace prepay
