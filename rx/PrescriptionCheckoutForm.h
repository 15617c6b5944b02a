#pragma once
#include "settle/CheckoutCore.h"
#include "db/Connection.h"
#include "rx/MedicineLineList.h"
#include "rx/Stock.h"
#include "settle/PaymentForm.h"
#include "settle/PaymentRecord.h"
#include <QDateTime>
#include <QStringList>
#include <functional>
#include <optional>

namespace rx {

inline const QString kPrescriptionSettled = QStringLiteral("收据结帐成功!");
inline const QString& kMethodLocked = settle::kMethodKept;

// The prescription checkout ("处方结帐") without its widgets: settles a case-record
// prescription through the shared settlement and takes its medicines out of stock in the same
// transaction. No discount, no arrears, no fee categories.
class PrescriptionCheckoutForm : public settle::CheckoutCore {
public:
    struct Inputs {
        int resettle = 0; // 1: an existing settlement of this receipt is changed
        QString patientNumber;
        qint64 caseNumber = 0;
        qint64 receiptId = 0;
        QString doctorNumber;
        QString patientName;
        QString cashier;
        int dateFixed = 0;
        qint32 state = 0; // the settled flag handed back to the host
    };
    enum class Ending { Stay, Accept, Shortage };


    PrescriptionCheckoutForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Date, lines, nurses, the receipt and, when changing a settlement, its payment record.
    void open();
    // "付款方式": index into methodTexts().
    void methodChosen(int index, const PaymentDialog& paymentDialog);
    // "实收金额" edited: a split the payment dialog made for another amount is dropped.
    void collectedChanged();
    // "确定": one transaction, or nothing.
    Ending settle();

    // The methods the prescription checkout offers.
    static QStringList methodTexts();

    QDateTime date;
    bool dateEnabled = true;
    QString patientName, patientNumber, doctor, department, doctorNumber, nurse, cashier;
    QStringList nurses;
    double total = 0.0;       // 合计
    double amountDue = 0.0;   // 合计, negative for a refund receipt
    double arrearsLeft = 0.0; // 现欠款 (never shown)
    QList<QStringList> rows; // the prescription list
    qint32 state = 0;
    QList<ShortLine> shortLines; // after Ending::Shortage

    // Kept while the dialog is open.
    bool refund = false;   // FeeIO: the receipt pays money back

private:
    void takeOutOfStock(db::Connection& c, const QDateTime& now);
    void takeLinesOutOfStock(db::Connection& c, const QDateTime& now);

    Inputs in_;
};

} // namespace rx
