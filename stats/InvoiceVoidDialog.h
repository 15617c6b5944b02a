#pragma once
#include "app/Dialog.h"
#include "stats/InvoiceVoid.h"
#include <memory>

namespace Ui {
class InvoiceVoidDialog;
}

// Dialog 3010 "退票设置": the cashier enters a ticket number and voids its invoice.
class InvoiceVoidDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit InvoiceVoidDialog(QWidget* parent = nullptr);
    ~InvoiceVoidDialog() override;

protected:
    void initDialog() override;

private:
    void confirm();

    std::unique_ptr<Ui::InvoiceVoidDialog> ui_;
    std::unique_ptr<invoicevoid::InvoiceVoidForm> form_;
};
