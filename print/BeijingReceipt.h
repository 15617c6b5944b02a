#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QStringList>
#include <array>

// The Beijing outpatient fee receipt forms: a visit's fee split over the form's 19 items and
// stored as one row of BeanshiReceipt_table, from which the host prints the form.
namespace beijing {

inline constexpr int ItemCount = 19;
using Items = std::array<double, ItemCount>;

// The two editions of the form. They number their items differently.
enum class Edition {
    Clinic, // "北京门诊收费专用收据": a payee list and a free split of the amount
    City,   // "北京市门诊收费专用收据": the total is fixed and 治疗费 takes up the difference
};

// The item labels of an edition in ReceiptItemN order (index 0 is ReceiptItem1), as printed
// on the form; the grid reads them four to a row.
const QStringList& itemLabels(Edition edition);
// Index of 治疗费 in an edition; the City edition also hides 针灸 (excluded from its sums).
int treatmentIndex(Edition edition);
int hiddenIndex(Edition edition); // -1: none

// The receipt number shown on the Clinic edition: TicketID of the first row of
// TicketNumber_Table; 1 when there is none or it is NULL.
qint32 nextTicketNumber(db::Connection& c);

// A filled form as it is stored.
struct StoredForm {
    QString payee;        // Payee
    qint32 receiptId = 0; // ReceiptID
    double total = 0.0;   // ReceiptMoney
    QDateTime date;       // PayDate
    QString cashier;      // Checker
    Items items{};        // ReceiptItem1 … ReceiptItem19
};
// Adds the row and returns its ID.
qint64 storeForm(db::Connection& c, const StoredForm& form);

} // namespace beijing
