#pragma once
#include "app/Dialog.h"
#include "settle/StandardCheckoutForm.h"
#include <memory>

namespace Ui {
class StandardCheckoutDialog;
}
class TenderedBox;

// Dialog 3006 "收费结帐" for a standard-item receipt: its lines with their discounts, the
// payment, and the "收  费  明  细" sheet. In view mode it can only be looked at and printed.
class StandardCheckoutDialog : public app::Dialog {
    Q_OBJECT
public:
    StandardCheckoutDialog(const settle::StandardCheckoutForm::Inputs& inputs, int state, QWidget* parent = nullptr);
    ~StandardCheckoutDialog() override;

    // The result flag for the host: 1 once settled.
    int state() const;
    qint64 receiptId() const;
    QString failure() const;
    // The form behind the controls (nothing before the dialog opened).
    const settle::StandardCheckoutForm* form() const { return form_.get(); }

protected:
    void initDialog() override;

private:
    bool takeFields();
    void showFields();
    void act(const std::function<void()>& handler);
    void settle();

    std::unique_ptr<Ui::StandardCheckoutDialog> ui_;
    TenderedBox* tendered_ = nullptr;
    settle::StandardCheckoutForm::Inputs inputs_;
    int state_ = 0;
    std::unique_ptr<settle::StandardCheckoutForm> form_;
    settle::FeeDetailSheet sheet_;
    bool showing_ = false;
};
