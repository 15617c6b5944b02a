#pragma once
#include "common/OpeningRead.h"
#include "db/Connection.h"
#include "receipt/ReceiptEdit.h"
#include <QStringList>

namespace receipt {

// The receipt edit dialog ("收费收据") without its widgets: one stored category receipt with
// its payment record, shown for reading; the settle action ("结  帐") saves it back.
class ReceiptEditForm {
public:
    struct Inputs {
        qint64 receiptId = 0;
        QString patientName;
        qint64 treatmentNumber = 0;
        QString doctorName;
        QString doctorNumber;
        QString cashier;
        QDateTime date;     // replaced by the server's time
        int loadMode = 1;   // 1: the stored receipt; 0: a new one
        int hideSettle = 1; // 1: no "结  帐"
    };
    enum class Ending { Stay, Accept };

    ReceiptEditForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Date, labels, lists, the receipt with its payment record, the receipt title. Read
    // failures leave what was filled and are not reported.
    void open();

    void amountsChanged() { fields.total = sumOf(fields.amounts); }
    void selectDoctor(int index, const QString& entryText);

    // "结  帐": saves in one transaction; a failure says so and stays.
    Ending settle();
    const QString& failure() const { return failure_; }

    ReceiptWithPayment fields;
    CategoryLabels labels = defaultCategoryLabels();
    QStringList doctors;
    QStringList departments;
    QString receiptTitle;
    bool settleVisible = true;
    bool paymentVisible = false; // 实收金额 and 欠款 with their fields

private:
    db::ConnectionPtr connection_;
    int loadMode_ = 1;
    int hideSettle_ = 1;
    std::optional<ReceiptWithPayment> loaded_;
    OpeningRead receiptRead_;
    QString failure_;
};

} // namespace receipt
