// Exports of the checkout dialogs: ReceiptPay, StandartPay, StandartPayResult.
#include "app/ModuleFrame.h"
#include "app/PlaceholderDialog.h"
#include "calvane/calvane.h"
#include "settle/CheckoutDialog.h"

namespace {

// Stand-in for the standard checkout until its class lands: replace the builder and the lines
// that hand over inputs and read results.
std::unique_ptr<app::PlaceholderDialog> standardCheckoutDialog()
{
    auto d = std::make_unique<app::PlaceholderDialog>(3006, QStringLiteral("收费结帐"));
    d->readsReceiptTitle();
    d->readsFeeDiscout();
    return d;
}

const QString receiptIdLabel = QStringLiteral("收据ID");
const QString stateLabel = QStringLiteral("结帐状态");

} // namespace

extern "C" {

int32_t ReceiptPay(int32_t resettle, CalvaneConnection* conn, const char* patient_number, int32_t case_number,
                   int32_t* receipt_id, const char* unused_text, const char* doctor_number, const char* patient,
                   double unused_date, const char* cashier, int32_t* state, int32_t print_switch, int32_t* date_lock)
{
    Q_UNUSED(unused_text);
    Q_UNUSED(unused_date);
    return app::runExport("ReceiptPay", conn, [&](app::ModuleCall& call) -> int32_t {
        settle::CheckoutForm::Inputs in;
        in.resettle = resettle;
        in.patientNumber = app::text(patient_number);
        in.caseNumber = case_number;
        in.receiptId = app::read(receipt_id);
        in.doctorNumber = app::text(doctor_number);
        in.patientName = app::text(patient);
        in.cashier = app::text(cashier);
        in.state = app::read(state);
        in.dateFixed = app::read(date_lock);
        CheckoutDialog d(in);
        call.attach(d);
        const int ending = call.run(d);
        app::write(state, d.state()); // on every ending
        if (ending != app::IDOK || print_switch != 1) return 0;
        return app::Dialog::printPrompt() ? 1 : 0;
    });
}

int32_t StandartPay(int32_t resettle, CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                    const char* doctor, const char* department, const char* doctor_number, const char* patient,
                    const char* patient_number, const char* cashier, double unused_date, int32_t* state,
                    int32_t print_switch, int32_t* date_lock)
{
    Q_UNUSED(unused_date);
    return app::runExport("StandartPay", conn, [&](app::ModuleCall& call) -> int32_t {
        auto d = standardCheckoutDialog();
        call.attach(*d);
        d->addField(QStringLiteral("重新结帐"), resettle);
        d->addField(QStringLiteral("病历号"), case_number);
        d->addField(receiptIdLabel, app::read(receipt_id));
        d->addField(QStringLiteral("医生"), app::text(doctor));
        d->addField(QStringLiteral("科室"), app::text(department));
        d->addField(QStringLiteral("编号"), app::text(doctor_number));
        d->addField(QStringLiteral("姓名"), app::text(patient));
        d->addField(QStringLiteral("病案号"), app::text(patient_number));
        d->addField(QStringLiteral("收款人"), app::text(cashier));
        d->addField(stateLabel, app::read(state));
        d->addField(QStringLiteral("日期锁定"), app::read(date_lock));
        const int ending = call.run(*d);
        app::write(state, d->field(stateLabel).toInt()); // on every ending
        if (ending != app::IDOK) return 0;
        app::write(receipt_id, d->field(receiptIdLabel).toInt());
        if (print_switch != 1) return 0;
        return app::Dialog::printPrompt() ? 1 : 0;
    });
}

int32_t StandartPayResult(int32_t resettle, CalvaneConnection* conn, int32_t case_number, int32_t* receipt_id,
                          const char* doctor, const char* department, const char* doctor_number, const char* patient,
                          const char* patient_number, const char* cashier)
{
    return app::runExport("StandartPayResult", conn, [&](app::ModuleCall& call) -> int32_t {
        auto d = standardCheckoutDialog();
        call.attach(*d);
        d->addField(QStringLiteral("重新结帐"), resettle);
        d->addField(QStringLiteral("病历号"), case_number);
        d->addField(receiptIdLabel, app::read(receipt_id));
        d->addField(QStringLiteral("医生"), app::text(doctor));
        d->addField(QStringLiteral("科室"), app::text(department));
        d->addField(QStringLiteral("编号"), app::text(doctor_number));
        d->addField(QStringLiteral("姓名"), app::text(patient));
        d->addField(QStringLiteral("病案号"), app::text(patient_number));
        d->addField(QStringLiteral("收款人"), app::text(cashier));
        call.run(*d);
        return 0;
    });
}

} // extern "C"
