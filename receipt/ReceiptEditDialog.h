#pragma once
#include "receipt/CategoryAmountFields.h"
#include "app/Dialog.h"
#include "receipt/ReceiptEditForm.h"
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
namespace Ui {
class ReceiptEditDialog;
}

// Dialog 3002 "收费收据": one stored category receipt with its payment record, for reading.
// The widgets only carry the fields; ReceiptEditForm decides.
class ReceiptEditDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit ReceiptEditDialog(const receipt::ReceiptEditForm::Inputs& inputs, QWidget* parent = nullptr);
    ~ReceiptEditDialog() override;

protected:
    void initDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool takeFields();
    void showFields();
    void settle();

    std::unique_ptr<Ui::ReceiptEditDialog> ui_;
    CategoryAmountFields amounts_; // the twelve category amounts
    receipt::ReceiptEditForm::Inputs inputs_;
    std::unique_ptr<receipt::ReceiptEditForm> form_;
    bool taking_ = false;
};
