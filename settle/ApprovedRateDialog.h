#pragma once
#include "app/Dialog.h"
#include <memory>
#include <optional>

namespace Ui {
class ApprovedRateDialog;
}

// "允许折扣值": a discount rate approved by a superior, for the standard-item receipt. OK keeps
// the dialog open until the rate lies in 0 to 1.
class ApprovedRateDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit ApprovedRateDialog(QWidget* parent = nullptr);
    ~ApprovedRateDialog() override;

    double rate() const { return rate_; }
    // Runs the dialog: the approved rate, nothing when it was cancelled.
    static std::optional<double> ask(QWidget* parent);

private:
    void confirm();

    std::unique_ptr<Ui::ApprovedRateDialog> ui_;
    double rate_;
};
