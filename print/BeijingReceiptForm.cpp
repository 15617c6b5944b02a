#include "print/BeijingReceiptForm.h"
#include "common/OpeningRead.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "db/Error.h"
#include "db/ListFillers.h"
#include "db/TransferMoney.h"

using namespace Qt::StringLiterals;

namespace beijing {


BeijingReceiptForm::BeijingReceiptForm(db::ConnectionPtr connection, const Inputs& inputs)
    : payer(inputs.payer), secondText(inputs.secondText), cashier(inputs.cashier), date(inputs.date),
      connection_(std::move(connection)), inputs_(inputs)
{
}

void BeijingReceiptForm::open()
{
    items.fill(0.0);
    items[treatmentIndex(inputs_.edition)] = inputs_.amount;
    total = inputs_.amount;
    if (inputs_.edition == Edition::Clinic) {
        optionalRead([&] { payees = db::InitCombox(*connection_, u"Payee_table"_s, u"Payee"_s); });
        optionalRead([&] { ticketNumber = nextTicketNumber(*connection_); });
        capital = db::TransferMoney(total);
    } else {
        itemsChanged(items);
    }
}

void BeijingReceiptForm::balance(const Items& typed, double& treatment) const
{
    const int t = treatmentIndex(inputs_.edition), hidden = hiddenIndex(inputs_.edition);
    qint64 others = 0;
    for (int i = 0; i < ItemCount; ++i)
        if (i != t && i != hidden) others += money::toFen(typed[i]);
    treatment = money::fromFen(money::toFen(total) - others);
}

bool BeijingReceiptForm::itemsChanged(const Items& typed)
{
    if (inputs_.edition == Edition::Clinic) {
        qint64 sum = 0;
        for (int i = 0; i < ItemCount; ++i) {
            items[i] = money::round2(typed[i]);
            sum += money::toFen(typed[i]);
        }
        total = money::fromFen(sum);
    } else {
        double treatment = 0.0;
        balance(typed, treatment);
        if (treatment < 0.0) {
            // The form's total is fixed: a split above it is refused whole, and the fields go
            // back to the split that is kept.
            Prompter::current().inform(u"总费用不能为小于0的值！"_s);
            return false;
        }
        for (int i = 0; i < ItemCount; ++i) items[i] = money::round2(typed[i]);
        items[treatmentIndex(inputs_.edition)] = treatment;
    }
    capital = db::TransferMoney(total);
    return true;
}

BeijingReceiptForm::Ending BeijingReceiptForm::confirm()
{
    failure_.clear();
    StoredForm row;
    row.total = total;
    row.date = date;
    row.cashier = cashier;
    row.items = items;
    try {
        if (inputs_.edition == Edition::Clinic) {
            if (const auto match = db::CheckQueryCombox(*connection_, u"Payee_table"_s, u"Payee"_s, payee)) payee = match->value;
            row.payee = payee;
            row.receiptId = inputs_.receiptId;
        } else {
            row.payee = secondText;
            row.receiptId = 0;
        }
        storeForm(*connection_, row);
        return Ending::Accept;
    } catch (const db::Error& e) {
        failure_ = e.message();
    }
    Prompter::current().inform(u"发生错误!"_s);
    return Ending::Stay;
}

} // namespace beijing
