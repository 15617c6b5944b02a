// Exports of the fee receipts: ReceiptSet, StandartPaySet0, ReceiptEditResult.
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "app/LastError.h"
#include "receipt/ReceiptDialog.h"
#include "receipt/ReceiptEditDialog.h"
#include "receipt/StandardReceiptDialog.h"

extern "C" {

int32_t ReceiptSet(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id, const char* doctor,
                   const char* department, const char* doctor_number, const char* patient, double date,
                   const char* nurse, int32_t* date_lock)
{
    return app::runExport("ReceiptSet", conn, [&](app::ModuleCall& call) -> int32_t {
        receipt::FeeReceiptForm::Inputs in;
        in.caseNumber = case_number;
        in.receiptId = app::read(receipt_id);
        in.doctorName = app::text(doctor);
        in.department = app::text(department);
        in.doctorNumber = app::text(doctor_number);
        in.patientName = app::text(patient);
        in.date = app::date(date);
        in.nurse = app::text(nurse);
        in.dateFixed = app::read(date_lock);
        ReceiptDialog d(in);
        call.attach(d);
        if (call.run(d) == app::IDCANCEL) return 1;
        app::write(receipt_id, static_cast<int32_t>(d.receiptId()));
        return 0;
    }, {.refused = 1});
}

int32_t StandartPaySet0(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id, const char* doctor,
                        const char* department, const char* doctor_number, const char* patient,
                        const char* patient_number, double date, const char* nurse, int32_t* date_lock)
{
    return app::runExport("StandartPaySet0", conn, [&](app::ModuleCall& call) -> int32_t {
        receipt::StandardReceiptForm::Inputs in;
        in.caseNumber = case_number;
        in.receiptId = app::read(receipt_id);
        in.doctorName = app::text(doctor);
        in.department = app::text(department);
        in.doctorNumber = app::text(doctor_number);
        in.patientName = app::text(patient);
        in.patientNumber = app::text(patient_number);
        in.date = app::date(date);
        in.nurse = app::text(nurse);
        in.dateFixed = app::read(date_lock);
        StandardReceiptDialog d(in);
        call.attach(d);
        if (call.run(d) != app::IDOK) {
            // Cancelled after a save that could not write: the host can tell it from a plain cancel.
            app::setLastError("StandartPaySet0", d.lastFailure());
            return 1;
        }
        app::write(receipt_id, static_cast<int32_t>(d.receiptId()));
        return 0;
    }, {.refused = 1});
}

int32_t ReceiptEditResult(CalvaneConnection* conn, int32_t receipt_id, const char* patient, int32_t treatment_number,
                          const char* doctor, const char* doctor_number, int32_t unused_number, const char* cashier,
                          double date)
{
    Q_UNUSED(unused_number);
    return app::runExport("ReceiptEditResult", conn, [&](app::ModuleCall& call) -> int32_t {
        // Always for reading: the stored receipt, no settle button.
        receipt::ReceiptEditForm::Inputs in;
        in.receiptId = receipt_id;
        in.patientName = app::text(patient);
        in.treatmentNumber = treatment_number;
        in.doctorName = app::text(doctor);
        in.doctorNumber = app::text(doctor_number);
        in.cashier = app::text(cashier);
        in.date = app::date(date);
        in.loadMode = 1;
        in.hideSettle = 1;
        ReceiptEditDialog d(in);
        call.attach(d);
        call.run(d);
        return 0;
    });
}

} // extern "C"
