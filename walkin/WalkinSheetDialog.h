#pragma once
#include "receipt/CategoryAmountFields.h"
#include "app/Dialog.h"
#include "walkin/WalkinSheetForm.h"
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
namespace Ui {
class WalkinSheetDialog;
}
class TenderedBox;

// Dialog 3000 "无病案收费单": fees of a walk-in patient typed per category and stored paid, or
// the correction of such a sheet. The widgets only carry the fields; WalkinSheetForm decides.
class WalkinSheetDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit WalkinSheetDialog(const walkin::WalkinSheetForm::Inputs& inputs, QWidget* parent = nullptr);
    ~WalkinSheetDialog() override;

    // The sheet stored by the save that ended the dialog with OK.
    qint64 storedId() const { return form_ ? form_->storedId() : 0; }

protected:
    void initDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The fields from the controls; false (with a message, the dialog unchanged) when an
    // amount is not a number.
    bool takeFields();
    void showFields();
    void amountLeft();
    void doctorChosen(int index);
    void save();

    std::unique_ptr<Ui::WalkinSheetDialog> ui_;
    TenderedBox* tendered_ = nullptr;
    CategoryAmountFields amounts_; // the twelve category amounts
    walkin::WalkinSheetForm::Inputs inputs_;
    std::unique_ptr<walkin::WalkinSheetForm> form_;
    bool taking_ = false; // a message about a bad amount is showing
};
