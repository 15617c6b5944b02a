#include "settle/PaymentDialog.h"
#include "common/Money.h"
#include "settle/PasswordDialog.h"
#include "ui_PaymentDialog.h"

using settle::PaymentForm;

PaymentDialog::PaymentDialog(const PaymentForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(0, QStringLiteral("付款方式"), parent), ui_(std::make_unique<Ui::PaymentDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    ui_->methodCombo->addItems(settle::paymentMethodTexts());
    connect(ui_->voucherEdit, &QLineEdit::textEdited, this, [this] {
        if (!form_) return;
        form_->split.voucherNumber = ui_->voucherEdit->text();
        form_->voucherNumberEdited();
        showFields();
    });
    connect(ui_->readCardButton, &QPushButton::clicked, this, &PaymentDialog::readCard);
    connect(ui_->verifyButton, &QPushButton::clicked, this, &PaymentDialog::verify);
    connect(ui_->okButton, &QPushButton::clicked, this, &app::Dialog::accept);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

PaymentDialog::~PaymentDialog() = default;

void PaymentDialog::initDialog()
{
    form_ = std::make_unique<PaymentForm>(connectionPtr(), inputs_);
    guarded([this] { form_->open(); });
    ui_->methodCombo->setCurrentIndex(form_->split.method);
    ui_->methodCombo->setEnabled(form_->methodListEnabled);
    ui_->amountEditLabel->setText(form_->amountLabel);
    for (QWidget* w : {static_cast<QWidget*>(ui_->voucherLabel), static_cast<QWidget*>(ui_->voucherEdit),
                       static_cast<QWidget*>(ui_->readCardButton), static_cast<QWidget*>(ui_->verifyButton),
                       static_cast<QWidget*>(ui_->cardHint)})
        w->setVisible(form_->voucherControls);
    ui_->availableEditLabel->setVisible(form_->availableVisible);
    ui_->availableEdit->setVisible(form_->availableVisible);
    showFields();
}

void PaymentDialog::showFields()
{
    const settle::PaymentSplit& s = form_->split;
    if (ui_->voucherEdit->text() != s.voucherNumber) ui_->voucherEdit->setText(s.voucherNumber);
    ui_->availableEdit->setText(money::format2(s.available));
    ui_->amountEdit->setText(money::format2(s.amount));
    ui_->cashEdit->setText(money::format2(s.cash));
    ui_->verifyButton->setEnabled(form_->verifyEnabled);
    ui_->okButton->setEnabled(form_->okEnabled);
}

void PaymentDialog::readCard()
{
    form_->split.voucherNumber = ui_->voucherEdit->text();
    form_->readCard();
    showFields();
}

void PaymentDialog::verify()
{
    form_->split.voucherNumber = ui_->voucherEdit->text();
    guarded([this] { form_->verify([this] { return PasswordDialog::ask(this); }); });
    showFields();
}

std::optional<settle::CheckoutForm::PaymentAnswer> PaymentDialog::ask(const db::ConnectionPtr& connection,
                                                                      const PaymentForm::Inputs& inputs,
                                                                      QWidget* parent)
{
    PaymentDialog d(inputs, parent);
    d.setConnection(connection);
    if (d.runModal() != app::IDOK || !d.form_) return std::nullopt;
    return settle::CheckoutForm::PaymentAnswer{d.form_->split, d.form_->account, d.form_->paySheet};
}
