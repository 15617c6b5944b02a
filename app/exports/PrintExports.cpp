// Exports of the outpatient receipt forms: BeijingReceiptPrint, BeijingReceiptPrint1, ReceiptPrint.
#include "app/ModuleFrame.h"
#include "app/PlaceholderDialog.h"
#include "calvane/calvane.h"

namespace {

// Stand-ins for the two receipt form dialogs until their classes land: replace the builder and
// the lines that hand over inputs and read results.
std::unique_ptr<app::PlaceholderDialog> beijingReceiptDialog()
{
    return std::make_unique<app::PlaceholderDialog>(3017, QStringLiteral("北京门诊收费专用收据"));
}

std::unique_ptr<app::PlaceholderDialog> beijingCityReceiptDialog()
{
    return std::make_unique<app::PlaceholderDialog>(3029, QStringLiteral("北京市门诊收费专用收据"));
}

const QString receiptIdLabel = QStringLiteral("收据ID");

// Both forms: the receipt identifier on OK, else 0, written back and returned alike.
int32_t runForm(app::ModuleCall& call, app::PlaceholderDialog& d, const char* payer, const QString& secondLabel,
                const char* second, double amount, const char* cashier, double date, int32_t* receipt_id)
{
    call.attach(d);
    d.addField(QStringLiteral("付款单位(个人)"), app::text(payer));
    d.addField(secondLabel, app::text(second));
    d.addField(QStringLiteral("治疗费"), amount);
    d.addField(QStringLiteral("合计"), amount);
    d.addField(QStringLiteral("收费员"), app::text(cashier));
    d.addField(QStringLiteral("日期"), app::date(date));
    d.addField(receiptIdLabel, app::read(receipt_id));
    const int32_t result = call.run(d) == app::IDOK ? d.field(receiptIdLabel).toInt() : 0;
    app::write(receipt_id, result);
    return result;
}

} // namespace

extern "C" {

int32_t BeijingReceiptPrint(CalvaneConnection* conn, const char* payer, const char* case_number_text, double amount,
                            const char* cashier, double date, int32_t* receipt_id)
{
    return app::runExport("BeijingReceiptPrint", conn, [&](app::ModuleCall& call) {
        auto d = beijingReceiptDialog();
        return runForm(call, *d, payer, QStringLiteral("病历号"), case_number_text, amount, cashier, date, receipt_id);
    });
}

int32_t BeijingReceiptPrint1(CalvaneConnection* conn, const char* payer, const char* receipt_no, double amount,
                             const char* cashier, double date, int32_t* receipt_id)
{
    return app::runExport("BeijingReceiptPrint1", conn, [&](app::ModuleCall& call) {
        auto d = beijingCityReceiptDialog();
        return runForm(call, *d, payer, QStringLiteral("No."), receipt_no, amount, cashier, date, receipt_id);
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
