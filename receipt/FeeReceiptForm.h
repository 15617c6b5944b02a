#pragma once
#include "db/Connection.h"
#include "receipt/FeeReceipt.h"
#include "receipt/ReceiptHeader.h"
#include <QStringList>

namespace receipt {

// The fee receipt dialog ("收费收据") without its widgets: the fields it shows, which of its
// controls are enabled, and what each button does. The dialog takes the fields from its
// controls, calls one of these, and shows the fields again. Messages and questions go
// through the current Prompter with the clinic's texts.
class FeeReceiptForm {
public:
    // What the host hands in.
    struct Inputs {
        qint64 caseNumber = 0;
        qint64 receiptId = 0; // 0 or less: a new receipt
        QString doctorName;
        QString department;
        QString doctorNumber;
        QString patientName;
        QDateTime date; // replaced by the server's time
        QString nurse;
        int dateFixed = 0; // 1: the date cannot be changed
    };
    // How a button ends: the dialog stays open, closes with OK, or is cancelled.
    enum class Ending { Stay, Accept, Reject };

    FeeReceiptForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Loads what the dialog shows on opening: date, labels, lists, refund switch and, for an
    // unpaid receipt of this doctor, the receipt itself. Read failures are not reported.
    void open();

    // Leaving an amount field: the total is the sum of the twelve.
    void amountsChanged() { fields.total = sumOf(fields.amounts); }
    // A doctor picked in the 医生 list: 编号 and 科室 follow.
    void selectDoctor(int index, const QString& entryText);

    Ending submit(); // "提   交"
    Ending modify(); // "修   改"
    Ending remove(); // "删   除"

    // The receipt ID handed back to the host (when the dialog was not cancelled).
    qint64 receiptId() const { return fields.id; }

    FeeReceipt fields;
    CategoryLabels labels = defaultCategoryLabels();
    QStringList doctors;
    QStringList nurses;
    bool dateEnabled = true;
    bool refundVisible = false;
    // A failed read of the receipt leaves all three enabled, as the dialog template has them.
    bool submitEnabled = true;
    bool modifyEnabled = true;
    bool deleteEnabled = true;

    // What the database said when the last submit, change or deletion failed (for the host).
    const QString& failure() const { return failure_; }

private:
    void setNewMode(bool isNew);
    // Each amount and their total can be stored; otherwise says so. (A total of amounts each in
    // range can still be out of it.)
    bool amountsStorable() const;
    // Loads the unpaid receipt fields.id of this doctor into fields; false when there is none.
    bool loadReceipt();

    db::ConnectionPtr connection_;
    int dateFixed_ = 0;
    QString failure_;
};

} // namespace receipt
