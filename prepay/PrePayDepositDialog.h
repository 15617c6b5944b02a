#pragma once
#include "app/Dialog.h"
#include "prepay/PrePayDepositForm.h"
#include <memory>

namespace Ui {
class PrePayDepositDialog;
}

// "预付费交款": the cashier takes money into the patient's prepaid account and prints the slip.
// The widgets carry the fields; PrePayDepositForm checks and books.
class PrePayDepositDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit PrePayDepositDialog(prepay::PrePayDepositForm::Inputs inputs, QWidget* parent = nullptr);
    ~PrePayDepositDialog() override;

    // How many deposits this dialog booked (the desk says so afterwards).
    int deposits() const { return deposits_; }

protected:
    void initDialog() override;

private:
    void showFields();
    void deposit();
    void printSlip();

    std::unique_ptr<Ui::PrePayDepositDialog> ui_;
    prepay::PrePayDepositForm::Inputs inputs_;
    std::unique_ptr<prepay::PrePayDepositForm> form_;
    prepay::PrePaySlip printed_; // what the print run draws; lives as long as the dialog
    int deposits_ = 0;
};
