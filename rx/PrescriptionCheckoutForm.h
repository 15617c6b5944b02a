#pragma once
#include "common/OpeningRead.h"
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
inline const QString kMethodLocked = QStringLiteral("结帐形式非现金或者预付费，不能修改！");

// The prescription checkout ("处方结帐") without its widgets: settles a case-record
// prescription through the shared settlement and takes its medicines out of stock in the same
// transaction. No discount, no arrears, no fee categories.
class PrescriptionCheckoutForm {
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

    // What the payment dialog answered, and the account and record it worked with.
    struct PaymentAnswer {
        settle::PaymentSplit split;
        qint32 account = 0;
        qint32 paySheet = 0;
    };
    // Opens the payment dialog; nothing when it was cancelled.
    using PaymentDialog = std::function<std::optional<PaymentAnswer>(const settle::PaymentForm::Inputs&)>;

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
    double collected = 0.0;   // 实收金额
    double arrearsLeft = 0.0; // 现欠款 (never shown)
    int method = 0;           // 付款方式
    double methodAmount = 0.0; // 收款金额
    double cash = 0.0;         // 现金交款
    bool paymentVisible = false;
    QString paymentLabel;
    QList<QStringList> rows; // the prescription list
    qint32 state = 0;
    QList<ShortLine> shortLines; // after Ending::Shortage
    QString failureDetail;       // why the last checkout failed, for the host

    // Kept while the dialog is open.
    bool refund = false;   // FeeIO: the receipt pays money back
    int settledMethod = 0; // of the existing settlement, read from its payment record
    qint32 account = 0;
    qint32 paySheet = 0;
    qint64 voucherId = 0;
    int cardKind = 0;
    QString voucherNumber;

private:
    void showMethod();
    void takeOutOfStock(db::Connection& c, const QDateTime& now);
    void takeLinesOutOfStock(db::Connection& c, const QDateTime& now);

    db::ConnectionPtr connection_;
    Inputs in_;
    int previousMethod_ = 0;
    std::optional<db::LoadedRow> settledRecord_; // a re-settlement: the record as it stood
    OpeningRead receiptRead_; // the receipt, its lines and, for a re-settlement, its payment record
};

} // namespace rx
