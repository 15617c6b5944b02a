#pragma once
#include "db/Connection.h"
#include "print/BeijingReceipt.h"

namespace beijing {

// The Beijing receipt form dialogs without their widgets, for both editions: the items, the
// total in figures and in capital numerals, and the stored row.
class BeijingReceiptForm {
public:
    struct Inputs {
        Edition edition = Edition::Clinic;
        QString payer;      // 付款单位(个人)
        QString secondText; // Clinic: 病历号 as shown; City: the receipt number "No."
        double amount = 0.0;
        QString cashier; // 收费员
        QDateTime date;
        qint32 receiptId = 0; // the fee receipt the form is for
    };
    enum class Ending { Stay, Accept };

    BeijingReceiptForm(db::ConnectionPtr connection, const Inputs& inputs);

    // 治疗费 and 合计 take the amount; the payee list and the receipt number (Clinic), or the
    // balancing once (City). Read failures leave what was filled.
    void open();

    // Items as typed. Clinic: 合计 is their sum. City: 合计 stays, 治疗费 takes up the
    // difference; when that would be negative the change is refused with a message and every
    // item keeps the value it had. Returns whether the items were taken.
    bool itemsChanged(const Items& typed);

    // OK: the payee matched against the clinic's list (Clinic), then the row stored. A failed
    // save says so and stays.
    Ending confirm();

    Edition edition() const { return inputs_.edition; }
    // What the export hands back after OK: the fee receipt the form is for.
    qint32 receiptId() const { return inputs_.receiptId; }
    const QString& failure() const { return failure_; }

    Items items{};
    double total = 0.0;
    QString capital; // 人民币大写
    QString payer;
    QString payee; // 收款单位 (Clinic)
    QString secondText;
    QString cashier;
    QDateTime date;
    qint32 ticketNumber = 1; // 收据号码 (Clinic)
    QStringList payees;

private:
    void balance(const Items& typed, double& treatment) const;

    db::ConnectionPtr connection_;
    Inputs inputs_;
    QString failure_;
};

} // namespace beijing
