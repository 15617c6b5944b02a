#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace desk {

// A receipt's kind decides which dialogs write, settle and show it.
enum class ReceiptKind { Fee, Standard, Prescription };
QString kindName(ReceiptKind kind); // 收费, 标准收费, 处方
// The dialog exports that write, settle and show a receipt of each kind.
QString writerExport(ReceiptKind kind);
QString checkoutExport(ReceiptKind kind);
QString viewerExport(ReceiptKind kind);

struct ReceiptRow {
    qint64 id = 0;
    QDateTime date;
    ReceiptKind kind = ReceiptKind::Fee;
    double total = 0;
    bool paid = false;   // 付款 = "已付"
    bool refund = false; // FeeIO = 1
    QString doctor;
    QString cashier;
    QString payment; // what the payment record says was paid and how; "" while unpaid
};

struct PatientPage {
    qint64 caseNumber = 0;
    QString number; // 病人编号
    QString name;
    QString sex;
    QString age;
    QString phone;
    bool member = false;
    QString grade;       // member rank or card type
    double points = 0;   // the member account's points
    qint32 account = 0;  // the prepaid account the patient may pay from; 0 none
    double arrears = 0;  // old arrears (what the latest settlements left owing)
    QString lastDoctor;  // the doctor of the newest receipt, offered for the next one
    QList<ReceiptRow> receipts; // newest first
};

// The page of one case, or nothing when the case does not exist. Reads at most `receipts`
// receipts (the newest). The prepaid balance is not read here: the desk asks the module for
// it (GetPrePayTotalMoney), as any host does.
std::optional<PatientPage> loadPatientPage(db::Connection& c, qint64 caseNumber, int receipts = 200);

// The payment methods as the checkout stores them (MoneyPayed_type 0–7).
QString paymentMethodName(int method);

// Looks up one receipt of 收费收据表 by its ID (any patient); nothing when it is gone.
std::optional<ReceiptRow> loadReceipt(db::Connection& c, qint64 id);

} // namespace desk
