// Exports of the prescriptions: MedicineRescriptionSet, RescriptionReceiptPay,
// CheckRelationBetweenMedicineAndKB.
#include "app/LastError.h"
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "exports/CheckoutExport.h"
#include "rx/PrescriptionCheckoutDialog.h"
#include "rx/PrescriptionDialog.h"
#include "rx/StockSwitch.h"
#include "settle/Settlement.h"
#include "settle/StoredAmounts.h"

extern "C" {

int32_t MedicineRescriptionSet(CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id, const char* doctor,
                               const char* department, const char* doctor_number, const char* nurse,
                               const char* patient, const char* patient_number, double date, const char* cashier,
                               int32_t* date_lock)
{
    return app::runExport("MedicineRescriptionSet", conn, [&](app::ModuleCall& call) -> int32_t {
        rx::PrescriptionForm::Inputs in;
        in.caseNumber = case_number;
        in.documentId = app::read(receipt_id);
        in.doctorName = app::text(doctor);
        in.department = app::text(department);
        in.doctorNumber = app::text(doctor_number);
        in.nurse = app::text(nurse);
        in.patientName = app::text(patient);
        in.patientNumber = app::text(patient_number);
        in.date = app::date(date);
        in.cashier = app::text(cashier);
        in.dateFixed = app::read(date_lock);
        PrescriptionDialog d(in);
        call.attach(d);
        // Only a stored prescription is "confirmed": any other ending is the cancel.
        if (call.run(d) != app::IDOK) return 1;
        app::write(receipt_id, d.documentId());
        return 0;
    }, {.refused = 1});
}

int32_t RescriptionReceiptPay(int32_t resettle, CalvaneConnection* conn, const char* patient_number,
                              int32_t case_number, int32_t* receipt_id, const char* unused_text,
                              const char* doctor_number, const char* unused_text2, const char* patient,
                              double unused_date, const char* cashier, int32_t* state, int32_t print_switch,
                              int32_t* date_lock)
{
    Q_UNUSED(unused_text);
    Q_UNUSED(unused_text2);
    Q_UNUSED(unused_date);
    return app::runExport("RescriptionReceiptPay", conn, [&](app::ModuleCall& call) -> int32_t {
        if (!checkoutexport::mayOpen("RescriptionReceiptPay", conn, resettle, app::read(receipt_id))) return 0;
        rx::PrescriptionCheckoutForm::Inputs in;
        checkoutexport::fill(in, resettle, patient_number, case_number, receipt_id, doctor_number, patient, cashier,
                             state, date_lock);
        PrescriptionCheckoutDialog d(in);
        return checkoutexport::run(call, d, state, print_switch);
    });
}

int32_t CheckRelationBetweenMedicineAndKB(CalvaneConnection* conn)
{
    return app::runDataExport(
        "CheckRelationBetweenMedicineAndKB", conn,
        [&](db::Connection& c, QString& failure) { return rx::CheckRelationBetweenMedicineAndKB(c, &failure); },
        {.ui = app::Ui::None, .refused = 1});
}

} // extern "C"
