#include "settle/ApprovedRateDialog.h"
#include "common/Money.h"
#include "discount/ApprovedRate.h"
#include "ui_ApprovedRateDialog.h"
#include <cmath>

ApprovedRateDialog::ApprovedRateDialog(QWidget* parent)
    : app::Dialog(0, QStringLiteral("允许折扣值"), parent), ui_(std::make_unique<Ui::ApprovedRateDialog>()),
      rate_(settle::kApprovedRateDefault)
{
    ui_->setupUi(this);
    ui_->rateEdit->setText(money::formatFixed(rate_, 2));
    ui_->okButton->setDefault(true);
    connect(ui_->okButton, &QPushButton::clicked, this, &ApprovedRateDialog::confirm);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

ApprovedRateDialog::~ApprovedRateDialog() = default;

void ApprovedRateDialog::confirm()
{
    double typed = 0.0;
    if (!money::parseAmount(ui_->rateEdit->text(), typed) || !std::isfinite(typed) || !settle::isApprovedRate(typed)) {
        inform(settle::kApprovedRateRange);
        ui_->rateEdit->setFocus();
        ui_->rateEdit->selectAll();
        return;
    }
    rate_ = typed;
    accept();
}

std::optional<double> ApprovedRateDialog::ask(QWidget* parent)
{
    ApprovedRateDialog d(parent);
    if (d.runModal() != app::IDOK) return std::nullopt;
    return d.rate();
}
