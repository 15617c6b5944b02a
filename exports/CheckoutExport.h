#pragma once
// What the checkout exports (ReceiptPay, StandartPay, RescriptionReceiptPay) share around their
// dialogs: the host's values into the form's inputs, the refusals before any dialog opens, and
// the state and print answer handed back.
#include "app/LastError.h"
#include "app/Dialog.h"
#include "app/ModuleFrame.h"
#include "settle/Settlement.h"
#include "settle/StoredAmounts.h"

namespace checkoutexport {

// A settlement flag other than 0 or 1 is refused before any dialog, and so is a receipt whose
// stored amounts cannot be settled on (receiptId 0: judged later, once the receipt is known).
inline bool mayOpen(const char* name, CalvaneConnection* conn, int32_t resettle, qint64 receiptId)
{
    if (!settle::isSettlementFlag(resettle)) {
        app::refuseCall(name, settle::kBadSettlementFlag);
        return false;
    }
    return app::passesBeforeDialog(name, [&] { return settle::StoredAmountsRefusal(*conn->connection, receiptId); });
}

// The inputs every checkout form takes from its host.
template <typename Inputs>
void fill(Inputs& in, int32_t resettle, const char* patientNumber, int32_t caseNumber, const int32_t* receiptId,
          const char* doctorNumber, const char* patient, const char* cashier, const int32_t* state,
          const int32_t* dateLock)
{
    in.resettle = resettle;
    in.patientNumber = app::text(patientNumber);
    in.caseNumber = caseNumber;
    in.receiptId = app::read(receiptId);
    in.doctorNumber = app::text(doctorNumber);
    in.patientName = app::text(patient);
    in.cashier = app::text(cashier);
    in.state = app::read(state);
    in.dateFixed = app::read(dateLock);
}

// Runs the dialog; the state goes back on every ending, and a confirmed checkout asked to print
// answers whether the cashier wants the receipt printed (1) or not (0).
template <typename Dialog> int32_t run(app::ModuleCall& call, Dialog& d, int32_t* state, int32_t printSwitch)
{
    call.attach(d);
    const int ending = call.run(d);
    app::write(state, d.state());
    if (ending != app::IDOK || printSwitch != 1) return 0;
    return app::Dialog::printPrompt() ? 1 : 0;
}

} // namespace checkoutexport
