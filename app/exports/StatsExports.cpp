// Exports of statistics and their settings: SDTableStatic, SDTableDisable, HEBEITableStatic,
// SetSysthesisChoice, SetSysthesisStandartItemChoice.
#include "app/ModuleFrame.h"
#include "app/PlaceholderDialog.h"
#include "calvane/calvane.h"
#include "stats/DetailContentsDialog.h"
#include "stats/PaymentStatisticsDialog.h"
#include "stats/StatisticalReportDialog.h"
#include "stats/StatisticsItemsDialog.h"

namespace {

// Stand-in for the invoice voiding dialog until its class lands: replace the builder and the
// lines that hand over inputs and read results.
std::unique_ptr<app::PlaceholderDialog> invoiceVoidingDialog()
{
    return std::make_unique<app::PlaceholderDialog>(3010, QStringLiteral("退票设置"));
}

} // namespace

extern "C" {

int32_t SDTableStatic(CalvaneConnection* conn, const char* clinic, const char* operator_name)
{
    return app::runExport("SDTableStatic", conn, [&](app::ModuleCall& call) {
        StatisticalReportDialog d({app::text(clinic), app::text(operator_name)});
        call.attach(d);
        call.run(d);
        return 0;
    });
}

int32_t SDTableDisable(CalvaneConnection* conn)
{
    return app::runExport("SDTableDisable", conn, [&](app::ModuleCall& call) {
        auto d = invoiceVoidingDialog();
        call.attach(*d);
        call.run(*d);
        return 0;
    });
}

int32_t HEBEITableStatic(CalvaneConnection* conn, const char* paying_unit, const char* cashier)
{
    return app::runExport("HEBEITableStatic", conn, [&](app::ModuleCall& call) {
        PaymentStatisticsDialog d({app::text(paying_unit), app::text(cashier)});
        call.attach(d);
        call.run(d);
        return 0;
    });
}

int32_t SetSysthesisChoice(CalvaneConnection* conn, int32_t report_type)
{
    return app::runExport("SetSysthesisChoice", conn, [&](app::ModuleCall& call) {
        bool detail = false;
        {
            StatisticsItemsDialog d(report_type);
            call.attach(d);
            detail = call.run(d) == app::IDOK && d.wantsDetail();
        }
        if (detail) {
            // The detail settings open on their first kind.
            DetailContentsDialog d(0);
            call.attach(d);
            call.run(d);
        }
        return 0;
    });
}

int32_t SetSysthesisStandartItemChoice(CalvaneConnection* conn, int32_t kind)
{
    return app::runExport("SetSysthesisStandartItemChoice", conn, [&](app::ModuleCall& call) {
        DetailContentsDialog d(kind);
        call.attach(d);
        call.run(d);
        return 0;
    });
}

} // extern "C"
