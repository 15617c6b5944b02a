#pragma once
#include "db/Connection.h"
#include <optional>

// Voiding an invoice ("退票设置"): every numbered ticket of ShandongTicket_Table issued for the
// same fee receipt is marked voided (IsUsed = 1), so the reports count them as returned.
namespace invoicevoid {

struct Ticket {
    qint32 isUsed = 0;    // 0 valid, 1 voided; NULL reads 0
    qint32 receiptId = 0; // NULL reads 0
};

// The ticket with that number; with several rows the last one counts. Nothing when none.
std::optional<Ticket> findTicket(db::Connection& c, qint32 ticketNumber);

// Voids every ticket of the ticket's receipt in one statement, while that ticket is still valid
// at that moment. Returns the number of tickets voided: 0 when it was voided meanwhile.
int voidTicketsOfReceipt(db::Connection& c, qint32 ticketNumber, qint32 receiptId);

// The dialog's logic without its widgets. Messages and the question go through the Prompter.
class InvoiceVoidForm {
public:
    enum class Ending { Stay, Close };
    explicit InvoiceVoidForm(db::ConnectionPtr connection) : connection_(std::move(connection)) {}
    // "确    定" with the 票据号码 as typed.
    Ending confirm(const QString& typedNumber);
    const QString& failure() const { return failure_; }

private:
    db::ConnectionPtr connection_;
    QString failure_;
};

} // namespace invoicevoid
