#include "stats/InvoiceVoid.h"
#include "common/Prompter.h"
#include "db/Error.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include <QRegularExpression>
#include <limits>

using namespace Qt::StringLiterals;

namespace invoicevoid {

std::optional<Ticket> findTicket(db::Connection& c, qint32 ticketNumber)
{
    db::Query q(c, u"SELECT ReceiptID,IsUsed FROM ShandongTicket_Table WHERE TicketID=? ORDER BY ID"_s, {ticketNumber});
    q.exec();
    std::optional<Ticket> found;
    while (q.next())
        found = Ticket{static_cast<qint32>(q.integer(u"IsUsed"_s)), static_cast<qint32>(q.integer(u"ReceiptID"_s))};
    return found;
}

int voidTicketsOfReceipt(db::Connection& c, qint32 ticketNumber, qint32 receiptId)
{
    db::Transaction t(c);
    int voided = 0;
    if (receiptId > 0) {
        db::Query q(c,
                    u"UPDATE ShandongTicket_Table SET IsUsed=1 WHERE ReceiptID=? AND EXISTS (SELECT 1 FROM "
                    u"ShandongTicket_Table v WHERE v.TicketID=? AND v.ReceiptID=? AND coalesce(v.IsUsed,0)=0)"_s,
                    {receiptId, ticketNumber, receiptId});
        q.exec();
        voided = q.rowsAffected();
    } else {
        // A ticket whose receipt is unknown (no ID, or 0) has no fellow tickets: it is voided
        // alone, never together with every other ticket that lacks a receipt.
        db::Query q(c,
                    u"UPDATE ShandongTicket_Table SET IsUsed=1 WHERE TicketID=? AND coalesce(ReceiptID,0)<=0 "
                    u"AND coalesce(IsUsed,0)=0"_s,
                    {ticketNumber});
        q.exec();
        voided = q.rowsAffected();
    }
    t.commit();
    return voided;
}

InvoiceVoidForm::Ending InvoiceVoidForm::confirm(const QString& typedNumber)
{
    Prompter& prompter = Prompter::current();
    failure_.clear();
    // The field takes a whole number of the ticket's range and nothing else.
    static const QRegularExpression integer(u"^\\s*[+-]?\\d{1,10}\\s*$"_s);
    bool ok = integer.match(typedNumber).hasMatch();
    const qint64 wide = ok ? typedNumber.trimmed().toLongLong(&ok) : 0;
    if (!ok || wide < std::numeric_limits<qint32>::min() || wide > std::numeric_limits<qint32>::max()) {
        prompter.inform(u"请输入一个整数。"_s);
        return Ending::Stay;
    }
    const qint32 number = static_cast<qint32>(wide);
    std::optional<Ticket> ticket;
    try {
        ticket = findTicket(*connection_, number);
    } catch (const db::Error& e) {
        failure_ = e.message();
        prompter.inform(u"发生错误!"_s);
        return Ending::Stay;
    }
    if (!ticket) {
        prompter.inform(u"不存在该发票号码!"_s);
        return Ending::Stay;
    }
    if (ticket->isUsed == 1) {
        prompter.inform(u"该票据已作废,不能再做退票处理!"_s);
        return Ending::Close;
    }
    if (ticket->isUsed != 0) return Ending::Close;
    if (!prompter.ask(u"将该发票做退票处理?"_s)) return Ending::Stay;
    try {
        if (voidTicketsOfReceipt(*connection_, number, ticket->receiptId) > 0)
            prompter.inform(u"已经做退票处理!"_s);
        else // voided at another desk since it was read
            prompter.inform(u"该票据已作废,不能再做退票处理!"_s);
    } catch (const db::Error& e) {
        failure_ = e.message();
        prompter.inform(u"发生错误!"_s);
    }
    return Ending::Close;
}

} // namespace invoicevoid
