#pragma once
#include "receipt/CategoryAmountFields.h"
#include "app/Dialog.h"
#include "settle/CheckoutForm.h"
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
namespace Ui {
class CheckoutDialog;
}
class TenderedBox;

// Dialog 292 "收费结帐": settles one category receipt of a case-record patient (or settles it
// again). The widgets only carry the fields; CheckoutForm decides.
class CheckoutDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit CheckoutDialog(const settle::CheckoutForm::Inputs& inputs, QWidget* parent = nullptr);
    ~CheckoutDialog() override;

    // The settlement state integer handed back to the host on every ending.
    qint32 state() const;

protected:
    void initDialog() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The fields from the controls; false (with a message, nothing changed) when an amount is
    // not a number.
    bool takeFields();
    void showFields();
    void showVisibility();
    void handle(const std::function<void()>& handler);

    void settle();
    void preview();
    void print();

    std::unique_ptr<Ui::CheckoutDialog> ui_;
    TenderedBox* tendered_ = nullptr;
    CategoryAmountFields amounts_; // the twelve category amounts
    settle::CheckoutForm::Inputs inputs_;
    std::unique_ptr<settle::CheckoutForm> form_;
    bool taking_ = false;
    bool showing_ = false;
};
