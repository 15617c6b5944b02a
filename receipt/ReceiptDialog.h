#pragma once
#include "receipt/CategoryAmountFields.h"
#include "app/Dialog.h"
#include "receipt/FeeReceiptForm.h"
#include <array>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
namespace Ui {
class ReceiptDialog;
}

// Dialog 285 "收费收据": a doctor's desk writes, changes or deletes one unpaid category receipt
// of a case-record patient. The widgets only carry the fields; FeeReceiptForm decides.
class ReceiptDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit ReceiptDialog(const receipt::FeeReceiptForm::Inputs& inputs, QWidget* parent = nullptr);
    ~ReceiptDialog() override;

    // The receipt ID the export hands back: the new one, the changed one or the deleted one.
    qint64 receiptId() const;

protected:
    void initDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The fields from the controls; false (with a message, the dialog unchanged) when an
    // amount is not a number.
    bool takeFields();
    // The fields and the buttons' states into the controls.
    void showFields();
    void end(receipt::FeeReceiptForm::Ending ending);

    void amountLeft();
    void doctorChosen(int index);
    void submit();
    void modify();
    void remove();

    std::unique_ptr<Ui::ReceiptDialog> ui_;
    CategoryAmountFields amounts_; // the twelve category amounts
    receipt::FeeReceiptForm::Inputs inputs_;
    std::unique_ptr<receipt::FeeReceiptForm> form_;
    bool taking_ = false; // a message about a bad amount is showing
};
