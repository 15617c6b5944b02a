// Exports of statistics and their settings: SDTableStatic, SDTableDisable, HEBEITableStatic,
// SetSysthesisChoice, SetSysthesisStandartItemChoice.
#include "app/ModuleFrame.h"
#include "calvane/calvane.h"
#include "stats/DetailContentsDialog.h"
#include "stats/InvoiceVoidDialog.h"
#include "stats/PaymentStatisticsDialog.h"
#include "stats/StatisticalReportDialog.h"
#include "stats/StatisticsItemsDialog.h"

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
        InvoiceVoidDialog d;
        call.attach(d);
        call.run(d);
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
