// Exports of the walk-in fees: PayForNoCard, StandartPayForNoCard.
#include "app/ModuleFrame.h"
#include "app/PlaceholderDialog.h"
#include "calvane/calvane.h"
#include "walkin/WalkinSheetDialog.h"

namespace {

// Stand-in for the walk-in standard fee dialog until its class lands: replace the builder and
// the lines that hand over inputs and read results.
std::unique_ptr<app::PlaceholderDialog> walkinStandardFeeDialog()
{
    auto d = std::make_unique<app::PlaceholderDialog>(3007, QStringLiteral("无病案标准收费"));
    d->readsReceiptTitle();
    return d;
}

const QString sheetIdLabel = QStringLiteral("单据ID");

// On OK the stored sheet goes back, the second slot gets 0, and the print prompt decides the
// result; any other ending leaves both slots alone.
int32_t runWalkin(app::ModuleCall& call, app::PlaceholderDialog& d, int32_t sheet_id, const char* doctor,
                  const char* cashier, double date, int32_t* stored_id, int32_t* second, const char* nurse,
                  int32_t* date_lock)
{
    call.attach(d);
    d.addField(sheetIdLabel, sheet_id);
    d.addField(QStringLiteral("医生"), app::text(doctor));
    d.addField(QStringLiteral("收款人"), app::text(cashier));
    d.addField(QStringLiteral("日期"), app::date(date));
    d.addField(QStringLiteral("护士"), app::text(nurse));
    d.addField(QStringLiteral("日期锁定"), app::read(date_lock));
    if (call.run(d) != app::IDOK) return 0;
    app::write(stored_id, d.field(sheetIdLabel).toInt());
    app::write(second, 0);
    return app::Dialog::printPrompt() ? 1 : 0;
}

} // namespace

extern "C" {

int32_t PayForNoCard(CalvaneConnection* conn, int32_t sheet_id, const char* doctor, const char* cashier, double date,
                     int32_t* stored_id, int32_t* second, const char* nurse, int32_t* date_lock)
{
    return app::runExport("PayForNoCard", conn, [&](app::ModuleCall& call) -> int32_t {
        walkin::WalkinSheetForm::Inputs in;
        in.sheetId = sheet_id;
        in.doctorName = app::text(doctor);
        in.cashier = app::text(cashier);
        in.date = app::date(date);
        in.nurse = app::text(nurse);
        in.dateFixed = app::read(date_lock);
        WalkinSheetDialog d(in);
        call.attach(d);
        // The dialog ends with OK only once its sheet is stored.
        if (call.run(d) != app::IDOK) return 0;
        app::write(stored_id, static_cast<int32_t>(d.storedId()));
        app::write(second, 0);
        return app::Dialog::printPrompt() ? 1 : 0;
    });
}

int32_t StandartPayForNoCard(CalvaneConnection* conn, int32_t sheet_id, const char* doctor, const char* cashier,
                             double date, int32_t* stored_id, int32_t* second, const char* nurse, int32_t* date_lock)
{
    return app::runExport("StandartPayForNoCard", conn, [&](app::ModuleCall& call) {
        auto d = walkinStandardFeeDialog();
        return runWalkin(call, *d, sheet_id, doctor, cashier, date, stored_id, second, nurse, date_lock);
    });
}

} // extern "C"
