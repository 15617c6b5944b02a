// Exports of the walk-in fees: PayForNoCard, StandartPayForNoCard.
#include "app/LastError.h"
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "db/Error.h"
#include "walkin/SheetKind.h"
#include "walkin/WalkinSheetDialog.h"
#include "walkin/WalkinStandardFeeDialog.h"

namespace {

// A correction opens only a sheet of the dialog's own kind; anything else is refused with a
// message before a dialog opens, and nothing is written.
bool mayOpen(const char* name, CalvaneConnection* conn, int32_t sheetId, walkin::SheetKind kind)
{
    if (sheetId <= 0) return true; // a new sheet
    QString refusal;
    try {
        refusal = walkin::refusalToOpen(*conn->connection, sheetId, kind);
    } catch (const db::Error& e) {
        app::refuseCall(name, QStringLiteral("发生错误!"));
        app::setLastError(name, e.message());
        return false;
    }
    if (refusal.isEmpty()) return true;
    app::refuseCall(name, refusal);
    return false;
}

} // namespace

extern "C" {

int32_t PayForNoCard(CalvaneConnection* conn, int32_t sheet_id, const char* doctor, const char* cashier, double date,
                     int32_t* stored_id, int32_t* second, const char* nurse, int32_t* date_lock)
{
    return app::runExport("PayForNoCard", conn, [&](app::ModuleCall& call) -> int32_t {
        if (!mayOpen("PayForNoCard", conn, sheet_id, walkin::SheetKind::ByCategory)) return 0;
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
    return app::runExport("StandartPayForNoCard", conn, [&](app::ModuleCall& call) -> int32_t {
        if (!mayOpen("StandartPayForNoCard", conn, sheet_id, walkin::SheetKind::ByItems)) return 0;
        walkin::WalkinStandardFeeForm::Inputs in;
        in.sheetId = sheet_id;
        in.doctorName = app::text(doctor);
        in.cashier = app::text(cashier);
        in.date = app::date(date);
        in.nurse = app::text(nurse);
        in.dateFixed = app::read(date_lock);
        WalkinStandardFeeDialog d(in);
        call.attach(d);
        if (call.run(d) != app::IDOK) {
            app::setLastError("StandartPayForNoCard", d.lastFailure());
            return 0;
        }
        app::write(stored_id, static_cast<int32_t>(d.sheetId()));
        app::write(second, 0);
        return app::Dialog::printPrompt() ? 1 : 0;
    });
}

} // extern "C"
