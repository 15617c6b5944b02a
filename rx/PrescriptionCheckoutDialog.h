#pragma once
#include "app/Dialog.h"
#include "rx/PrescriptionCheckoutForm.h"
#include <memory>

namespace Ui {
class PrescriptionCheckoutDialog;
}
class TenderedBox;

// Dialog 3047 "处方结帐": the cashier settles a case-record prescription. The widgets carry the
// fields; PrescriptionCheckoutForm settles, the shared payment dialog splits the amount.
class PrescriptionCheckoutDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit PrescriptionCheckoutDialog(const rx::PrescriptionCheckoutForm::Inputs& inputs, QWidget* parent = nullptr);
    ~PrescriptionCheckoutDialog() override;

    // The settled flag handed back to the host.
    qint32 state() const { return form_ ? form_->state : inputs_.state; }

protected:
    void initDialog() override;

private:
    void showFields();
    bool takeFields();
    void methodChosen(int index);
    void settle();

    std::unique_ptr<Ui::PrescriptionCheckoutDialog> ui_;
    rx::PrescriptionCheckoutForm::Inputs inputs_;
    std::unique_ptr<rx::PrescriptionCheckoutForm> form_;
    TenderedBox* tendered_ = nullptr;
};
