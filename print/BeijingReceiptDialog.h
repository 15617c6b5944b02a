#pragma once
#include "app/Dialog.h"
#include "print/BeijingReceiptForm.h"
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
namespace Ui {
class BeijingReceiptDialog;
}

// Dialogs 3017 "北京门诊收费专用收据" and 3029 "北京市门诊收费专用收据": one template for both
// editions of the form, each showing its own grid and fields. BeijingReceiptForm decides.
class BeijingReceiptDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit BeijingReceiptDialog(const beijing::BeijingReceiptForm::Inputs& inputs, QWidget* parent = nullptr);
    ~BeijingReceiptDialog() override;

    qint32 receiptId() const { return form_ ? form_->receiptId() : inputs_.receiptId; }

protected:
    void initDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The items from the controls into `items`; false (with a message) when one is no number.
    bool takeItems(beijing::Items& items);
    bool changeItems(const beijing::Items& items);
    void showFields();
    void itemLeft();
    void confirm();

    std::unique_ptr<Ui::BeijingReceiptDialog> ui_;
    std::array<QLabel*, beijing::ItemCount> itemLabels_{};
    std::array<QLineEdit*, beijing::ItemCount> itemEdits_{};
    beijing::BeijingReceiptForm::Inputs inputs_;
    std::unique_ptr<beijing::BeijingReceiptForm> form_;
    bool taking_ = false;
};
