#pragma once
#include "db/Connection.h"
#include "prepay/PrePaySlip.h"
#include <QList>
#include <QStringList>

// "预付费交款" without widgets: the patient's account and balance, what the cashier types, the
// deposit and the slip it leaves to print.
namespace prepay {

class PrePayDepositForm {
public:
    struct Inputs {
        QString patientNumber;
        QString patientName;
        QString cashier;
        QString clinic;
    };
    PrePayDepositForm(db::ConnectionPtr connection, Inputs inputs);

    // The methods offered, as the list shows them, and the method of each entry.
    static QStringList methodTexts();
    static int methodOf(int entry);

    // Finds the patient's account and its balance. Throws db::Error.
    void open();
    // Books what the fields say. Refusals and success are told through the Prompter; true when
    // booked (the balance, the slip and printing follow it).
    bool deposit();

    qint32 account = 0; // 0: the patient has none
    double balance = 0.0;
    QString amountText;  // "交款金额"
    int methodEntry = 0; // "交款方式"
    QString payer;       // "交款人"
    QString note;        // "备注"
    bool printEnabled = false;
    PrePaySlip slip;

private:
    db::ConnectionPtr connection_;
    Inputs in_;
};

inline const QString kDepositDone = QStringLiteral("预付费交款成功！");

} // namespace prepay
