#pragma once
#include "app/Dialog.h"
#include "stats/StatsSettings.h"
#include <memory>

namespace Ui {
class StatisticsItemsDialog;
}

// Dialog 3022 "统计项目设置": which income groups each report type includes.
class StatisticsItemsDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit StatisticsItemsDialog(int reportType, QWidget* parent = nullptr);
    ~StatisticsItemsDialog() override;

    // Confirmed with the standard fee items included: the detail settings come next.
    bool wantsDetail() const { return detail_; }

protected:
    void initDialog() override;

private:
    void load(int reportType);
    void showChoice();
    stats::ReportChoice takeChoice() const;
    void confirm();

    std::unique_ptr<Ui::StatisticsItemsDialog> ui_;
    int reportType_;
    stats::ReportChoice loaded_;
    bool detail_ = false;
};
