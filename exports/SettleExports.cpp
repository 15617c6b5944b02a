// Exports of the checkout dialogs: ReceiptPay, StandartPay, StandartPayResult.
#include "app/LastError.h"
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "settle/CheckoutDialog.h"
#include "settle/StandardCheckoutDialog.h"
#include "settle/StandardReceiptPick.h"
#include "exports/CheckoutExport.h"
#include "settle/StoredAmounts.h"
#include "db/Error.h"

namespace {

settle::StandardCheckoutForm::Inputs standardCheckoutInputs(int32_t resettle, int32_t case_number, int32_t* receipt_id,
                                                           const char* doctor, const char* department,
                                                           const char* doctor_number, const char* patient,
                                                           const char* patient_number, const char* cashier)
{
    settle::StandardCheckoutForm::Inputs in;
    in.resettle = resettle;
    in.caseNumber = case_number;
    in.receiptId = app::read(receipt_id);
    in.doctorName = app::text(doctor);
    in.department = app::text(department);
    in.doctorNumber = app::text(doctor_number);
    in.patientName = app::text(patient);
    in.patientNumber = app::text(patient_number);
    in.cashier = app::text(cashier);
    return in;
}

} // namespace

extern "C" {

int32_t ReceiptPay(int32_t resettle, CalvaneConnection* conn, const char* patient_number, int32_t case_number,
                   int32_t* receipt_id, const char* unused_text, const char* doctor_number, const char* patient,
                   double unused_date, const char* cashier, int32_t* state, int32_t print_switch, int32_t* date_lock)
{
    Q_UNUSED(unused_text);
    Q_UNUSED(unused_date);
    return app::runExport("ReceiptPay", conn, [&](app::ModuleCall& call) -> int32_t {
        if (!checkoutexport::mayOpen("ReceiptPay", conn, resettle, app::read(receipt_id))) return 0;
        settle::CheckoutForm::Inputs in;
        checkoutexport::fill(in, resettle, patient_number, case_number, receipt_id, doctor_number, patient, cashier,
                             state, date_lock);
        CheckoutDialog d(in);
        return checkoutexport::run(call, d, state, print_switch);
    });
}

int32_t StandartPay(int32_t resettle, CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                    const char* doctor, const char* department, const char* doctor_number, const char* patient,
                    const char* patient_number, const char* cashier, double unused_date, int32_t* state,
                    int32_t print_switch, int32_t* date_lock)
{
    Q_UNUSED(unused_date);
    return app::runExport("StandartPay", conn, [&](app::ModuleCall& call) -> int32_t {
        if (!settle::isSettlementFlag(resettle)) {
            app::refuseCall("StandartPay", settle::kBadSettlementFlag);
            return 0;
        }
        settle::StandardReceiptPick pick;
        try {
            pick = settle::PickStandardReceipt(*conn->connection, case_number, app::read(receipt_id), resettle == 1);
        } catch (const db::Error& e) {
            app::refuseCall("StandartPay", QStringLiteral("发生错误!"));
            app::setLastError("StandartPay", e.message());
            return 0;
        }
        if (!pick.refusal.isEmpty()) {
            app::refuseCall("StandartPay", pick.refusal);
            return 0;
        }
        if (!app::passesBeforeDialog("StandartPay",
                                     [&] { return settle::StoredAmountsRefusal(*conn->connection, pick.receiptId); }))
            return 0;
        settle::StandardCheckoutForm::Inputs in =
            standardCheckoutInputs(resettle, case_number, receipt_id, doctor, department, doctor_number, patient,
                                   patient_number, cashier);
        in.receiptId = pick.receiptId;
        in.dateFixed = app::read(date_lock);
        StandardCheckoutDialog d(in, app::read(state));
        call.attach(d);
        const int ending = call.run(d);
        app::write(state, d.state()); // on every ending
        if (ending != app::IDOK) {
            app::setLastError("StandartPay", d.failure());
            return 0;
        }
        app::write(receipt_id, static_cast<int32_t>(d.receiptId()));
        if (print_switch != 1) return 0;
        return app::Dialog::printPrompt() ? 1 : 0;
    });
}

int32_t StandartPayResult(int32_t resettle, CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                          const char* doctor, const char* department, const char* doctor_number, const char* patient,
                          const char* patient_number, const char* cashier)
{
    return app::runExport("StandartPayResult", conn, [&](app::ModuleCall& call) -> int32_t {
        settle::StandardCheckoutForm::Inputs in =
            standardCheckoutInputs(resettle, case_number, receipt_id, doctor, department, doctor_number, patient,
                                   patient_number, cashier);
        in.viewOnly = true;
        StandardCheckoutDialog d(in, 0);
        call.attach(d);
        call.run(d);
        return 0;
    });
}

} // extern "C"
