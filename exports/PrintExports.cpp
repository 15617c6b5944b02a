// Exports of the outpatient receipt forms: BeijingReceiptPrint, BeijingReceiptPrint1, ReceiptPrint.
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "print/BeijingReceiptDialog.h"

namespace {

// Both forms: the fee receipt's identifier when the form was stored (OK), else 0, written back
// and returned alike.
int32_t runForm(app::ModuleCall& call, beijing::Edition edition, const char* payer, const char* second, double amount,
                const char* cashier, double date, int32_t* receipt_id)
{
    beijing::BeijingReceiptForm::Inputs in;
    in.edition = edition;
    in.payer = app::text(payer);
    in.secondText = app::text(second);
    in.amount = amount;
    in.cashier = app::text(cashier);
    in.date = app::date(date);
    in.receiptId = app::read(receipt_id);
    BeijingReceiptDialog d(in);
    call.attach(d);
    const int32_t result = call.run(d) == app::IDOK ? d.receiptId() : 0;
    app::write(receipt_id, result);
    return result;
}

} // namespace

extern "C" {

int32_t BeijingReceiptPrint(CalvaneConnection* conn, const char* payer, const char* case_number_text, double amount,
                            const char* cashier, double date, int32_t* receipt_id)
{
    return app::runExport("BeijingReceiptPrint", conn, [&](app::ModuleCall& call) {
        return runForm(call, beijing::Edition::Clinic, payer, case_number_text, amount, cashier, date, receipt_id);
    });
}

int32_t BeijingReceiptPrint1(CalvaneConnection* conn, const char* payer, const char* receipt_no, double amount,
                             const char* cashier, double date, int32_t* receipt_id)
{
    return app::runExport("BeijingReceiptPrint1", conn, [&](app::ModuleCall& call) {
        return runForm(call, beijing::Edition::City, payer, receipt_no, amount, cashier, date, receipt_id);
    });
}

int32_t ReceiptPrint(int32_t value1, int32_t value2, int32_t value3, int32_t value4, const char* text1,
                     const char* text2, const char* text3, const char* text4)
{
    // Kept for hosts that still call it: it reads and writes nothing.
    Q_UNUSED(value1);
    Q_UNUSED(value2);
    Q_UNUSED(value3);
    Q_UNUSED(value4);
    Q_UNUSED(text1);
    Q_UNUSED(text2);
    Q_UNUSED(text3);
    Q_UNUSED(text4);
    return 0;
}

} // extern "C"
