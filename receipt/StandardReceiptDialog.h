#pragma once
#include "app/Dialog.h"
#include "receipt/StandardReceiptForm.h"
#include <functional>
#include <memory>
#include <optional>

class StandardItemEntryFields;
namespace Ui {
class StandardReceiptDialog;
}

// Dialog 2012 "填写收据": a case-record patient's standard-item receipt, item by item from the
// fee standard catalogue. The widgets carry the fields; StandardReceiptForm decides.
class StandardReceiptDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit StandardReceiptDialog(const receipt::StandardReceiptForm::Inputs& inputs, QWidget* parent = nullptr);
    ~StandardReceiptDialog() override;

    qint64 receiptId() const;
    // Why the last submit failed to write (empty when none did).
    QString lastFailure() const;

protected:
    void initDialog() override;

private:
    bool takeFields();
    void showFields();
    void typeChosen(int index);
    void submit();

    std::unique_ptr<Ui::StandardReceiptDialog> ui_;
    receipt::StandardReceiptForm::Inputs inputs_;
    std::unique_ptr<receipt::StandardReceiptForm> form_;
    StandardItemEntryFields* entry_ = nullptr;
    bool showing_ = false;
};
