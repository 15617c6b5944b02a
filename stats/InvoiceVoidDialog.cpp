#include "stats/InvoiceVoidDialog.h"
#include "app/LastError.h"
#include "ui_InvoiceVoidDialog.h"
#include <QRegularExpressionValidator>

using namespace Qt::StringLiterals;

InvoiceVoidDialog::InvoiceVoidDialog(QWidget* parent)
    : app::Dialog(3010, u"退票设置"_s, parent), ui_(std::make_unique<Ui::InvoiceVoidDialog>())
{
    ui_->setupUi(this);
    // Typing takes digits only; a pasted or scripted text is checked again on 确定.
    ui_->ticketEdit->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[+-]?\\d{0,10}"_s), ui_->ticketEdit));
    connect(ui_->okButton, &QPushButton::clicked, this, &InvoiceVoidDialog::confirm);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

InvoiceVoidDialog::~InvoiceVoidDialog() = default;

void InvoiceVoidDialog::initDialog() { form_ = std::make_unique<invoicevoid::InvoiceVoidForm>(connectionPtr()); }

void InvoiceVoidDialog::confirm()
{
    if (!form_ || !connectionPtr()) return;
    const auto ending = form_->confirm(ui_->ticketEdit->text());
    if (!form_->failure().isEmpty()) app::setLastError("SDTableDisable", form_->failure());
    if (ending == invoicevoid::InvoiceVoidForm::Ending::Close) accept();
}
