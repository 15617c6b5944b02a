#pragma once
#include "app/Dialog.h"
#include "settle/CheckoutForm.h"
#include "settle/PaymentForm.h"
#include <memory>
#include <optional>

namespace Ui {
class PaymentDialog;
}

// "付款方式": how much of the amount to collect the chosen method pays, the rest in cash. The
// checkouts open it when a method other than cash is chosen; PaymentForm decides.
class PaymentDialog : public app::Dialog {
    Q_OBJECT
public:
    PaymentDialog(const settle::PaymentForm::Inputs& inputs, QWidget* parent = nullptr);
    ~PaymentDialog() override;

    // Runs the dialog on the owner's connection: the answer, nothing when it was cancelled.
    static std::optional<settle::CheckoutForm::PaymentAnswer> ask(const db::ConnectionPtr& connection,
                                                                  const settle::PaymentForm::Inputs& inputs,
                                                                  QWidget* parent);

protected:
    void initDialog() override;

private:
    void showFields();
    void readCard();
    void verify();

    std::unique_ptr<Ui::PaymentDialog> ui_;
    settle::PaymentForm::Inputs inputs_;
    std::unique_ptr<settle::PaymentForm> form_;
};
