#pragma once
#include "app/Dialog.h"
#include "stats/PaymentStatisticsForm.h"
#include <memory>

namespace Ui {
class PaymentStatisticsDialog;
}

// Dialog 3011 "缴款统计": one cashier's day per fee class or per fee category, its payment
// form "缴   款   书" previewed or printed, and the list saved as CSV or PDF.
class PaymentStatisticsDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit PaymentStatisticsDialog(const stats::PaymentStatisticsForm::Inputs& inputs, QWidget* parent = nullptr);
    ~PaymentStatisticsDialog() override;

protected:
    void initDialog() override;

private:
    void takeFields();
    void showLines();
    void statistics();
    void preview();
    void print();
    void saveCsv();
    void savePdf();

    std::unique_ptr<Ui::PaymentStatisticsDialog> ui_;
    stats::PaymentStatisticsForm::Inputs inputs_;
    std::unique_ptr<stats::PaymentStatisticsForm> form_;
    stats::PaymentForm printed_; // what the print run draws; lives as long as the dialog
};
