#pragma once
#include "common/OpeningRead.h"
#include "db/Connection.h"
#include "receipt/Catalogue.h"
#include "receipt/StandardItemEntry.h"
#include "receipt/StandardItemWriter.h"
#include <QStringList>
#include <optional>

namespace receipt {

// The standard-item receipt dialog ("填写收据") without its widgets: a case-record patient's
// unpaid receipt built item by item from the fee standard catalogue, with the item discounts
// of its discount type (-1 off, 0 approved by a superior, 1 the member's rate, 2 the
// catalogue's rates, 3 typed per item). The dialog takes the fields from its controls, calls
// one of these, and shows the fields again. The entry area and the item list are the shared
// StandardItemEntry.
class StandardReceiptForm : public StandardItemEntry {
public:
    struct Inputs {
        qint64 caseNumber = 0;
        qint64 receiptId = 0; // 0: a new receipt
        QString doctorName;
        QString department;
        QString doctorNumber;
        QString patientName;
        QString patientNumber;
        QDateTime date; // replaced by the server's time
        QString nurse;
        int dateFixed = 0;
    };
    enum class Ending { Stay, Accept };

    StandardReceiptForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Date, discount settings, the stored receipt (an unpaid one; anything else opens as a
    // new receipt), lists, the member's rate. Read failures are not reported.
    void open();

    void selectDoctor(int index, const QString& entryText);
    void amountChanged();
    void discountStepped(int steps);
    void discountLeft();
    // The type list changed. For type 0 the rate a superior approved (nothing: the choice is
    // withdrawn and false returned); type 1 takes the member's rate.
    bool discountTypeChanged(int type, std::optional<double> approvedRate = std::nullopt);

    Ending submit(); // "提  交"

    qint64 receiptId() const { return header.id; }

    // What the controls show.
    StandardReceiptHeader header;
    double actualTotal = 0.0;     // 实际合计
    double receivableTotal = 0.0; // 应收合计
    bool dateEnabled = true;
    bool refundVisible = false;
    QStringList doctors, nurses, classes;
    double memberRate = 1.0;
    QString lastFailure; // why the last submit could not write, for the host

    bool discountsShown() const { return discountType >= 0; }
    // 折扣 of types 2 and 3: for a discountable item only; typed (with its spin) under type 3.
    bool discountShown() const { return (discountType == 2 || discountType == 3) && entry.discountable; }
    bool discountEditable() const { return discountType == 3; }
    // Without discounting an item costs its price times its quantity: the amount is not typed.
    bool amountEditable() const { return discountType >= 0; }

private:
    void loadReceipt(); // the receipt being edited and its lines, as loaded
    void refreshTotals();
    void linesChanged() override { refreshTotals(); }
    QDateTime lineDate() const override { return header.date; }

    db::ConnectionPtr connection_;
    OpeningRead receiptRead_;
    QString patientNumber_;
    int dateFixed_ = 0;
};

} // namespace receipt
