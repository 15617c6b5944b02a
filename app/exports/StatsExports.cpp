// Exports of statistics and their settings: SDTableStatic, SDTableDisable, HEBEITableStatic,
// SetSysthesisChoice, SetSysthesisStandartItemChoice.
#include "app/ModuleFrame.h"
#include "app/PlaceholderDialog.h"
#include "calvane/calvane.h"
#include "stats/InvoiceVoidDialog.h"

namespace {

// Stand-ins for the statistics dialogs until their classes land: replace the builder and the
// lines that hand over inputs and read results.
std::unique_ptr<app::PlaceholderDialog> statisticalReportDialog()
{
    return std::make_unique<app::PlaceholderDialog>(3009, QStringLiteral("统计报表(注：专用功能，请谨慎使用!)"));
}

std::unique_ptr<app::PlaceholderDialog> paymentStatisticsDialog()
{
    return std::make_unique<app::PlaceholderDialog>(3011, QStringLiteral("缴款统计"));
}

const QString detailOption = QStringLiteral("统计标准收费项目中的相关内容");

std::unique_ptr<app::PlaceholderDialog> statisticsItemsDialog()
{
    auto d = std::make_unique<app::PlaceholderDialog>(3022, QStringLiteral("统计项目设置"));
    d->addOption(detailOption);
    return d;
}

std::unique_ptr<app::PlaceholderDialog> detailContentsDialog()
{
    return std::make_unique<app::PlaceholderDialog>(3021, QStringLiteral("明细统计内容设置"));
}

} // namespace

extern "C" {

int32_t SDTableStatic(CalvaneConnection* conn, const char* clinic, const char* operator_name)
{
    return app::runExport("SDTableStatic", conn, [&](app::ModuleCall& call) {
        auto d = statisticalReportDialog();
        call.attach(*d);
        d->addField(QStringLiteral("诊所"), app::text(clinic));
        d->addField(QStringLiteral("制单"), app::text(operator_name));
        call.run(*d);
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
        auto d = paymentStatisticsDialog();
        call.attach(*d);
        d->addField(QStringLiteral("交款单位"), app::text(paying_unit));
        d->addField(QStringLiteral("收款人"), app::text(cashier));
        call.run(*d);
        return 0;
    });
}

int32_t SetSysthesisChoice(CalvaneConnection* conn, int32_t report_type)
{
    return app::runExport("SetSysthesisChoice", conn, [&](app::ModuleCall& call) {
        bool detail = false;
        {
            auto d = statisticsItemsDialog();
            call.attach(*d);
            d->addField(QStringLiteral("统计类型"), report_type);
            detail = call.run(*d) == app::IDOK && d->option(detailOption);
        }
        if (detail) {
            auto d = detailContentsDialog();
            call.attach(*d);
            call.run(*d);
        }
        return 0;
    });
}

int32_t SetSysthesisStandartItemChoice(CalvaneConnection* conn, int32_t kind)
{
    return app::runExport("SetSysthesisStandartItemChoice", conn, [&](app::ModuleCall& call) {
        auto d = detailContentsDialog();
        call.attach(*d);
        d->addField(QStringLiteral("统计内容"), kind);
        call.run(*d);
        return 0;
    });
}

} // extern "C"
