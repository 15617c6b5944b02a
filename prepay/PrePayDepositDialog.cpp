#include "prepay/PrePayDepositDialog.h"
#include "common/Money.h"
#include "print/PrintRun.h"
#include "ui_PrePayDepositDialog.h"

using namespace Qt::StringLiterals;
using prepay::PrePayDepositForm;

PrePayDepositDialog::PrePayDepositDialog(PrePayDepositForm::Inputs inputs, QWidget* parent)
    : app::Dialog(3061, u"预付费交款"_s, parent), ui_(std::make_unique<Ui::PrePayDepositDialog>()),
      inputs_(std::move(inputs))
{
    ui_->setupUi(this);
    ui_->methodCombo->addItems(PrePayDepositForm::methodTexts());
    ui_->patientEdit->setText(inputs_.patientName);
    connect(ui_->depositButton, &QPushButton::clicked, this, &PrePayDepositDialog::deposit);
    connect(ui_->printButton, &QPushButton::clicked, this, &PrePayDepositDialog::printSlip);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

PrePayDepositDialog::~PrePayDepositDialog() = default;

void PrePayDepositDialog::initDialog()
{
    form_ = std::make_unique<PrePayDepositForm>(connectionPtr(), inputs_);
    if (connectionPtr() && !guarded([this] { form_->open(); })) inform(u"发生错误!"_s);
    showFields();
}

void PrePayDepositDialog::showFields()
{
    const PrePayDepositForm& f = *form_;
    ui_->accountEdit->setText(f.account > 0 ? QString::number(f.account) : u"无预付费账户"_s);
    ui_->balanceEdit->setText(money::format2(f.balance));
    ui_->amountEdit->setText(f.amountText);
    ui_->methodCombo->setCurrentIndex(f.methodEntry);
    ui_->payerEdit->setText(f.payer);
    ui_->noteEdit->setText(f.note);
    ui_->depositButton->setEnabled(f.account > 0);
    ui_->printButton->setEnabled(f.printEnabled);
}

void PrePayDepositDialog::deposit()
{
    PrePayDepositForm& f = *form_;
    f.amountText = ui_->amountEdit->text();
    f.methodEntry = ui_->methodCombo->currentIndex();
    f.payer = ui_->payerEdit->text();
    f.note = ui_->noteEdit->text();
    bool booked = false;
    if (!guarded([&] { booked = f.deposit(); })) inform(u"发生错误!"_s);
    if (booked) ++deposits_;
    showFields();
    if (!booked) ui_->amountEdit->setFocus();
}

void PrePayDepositDialog::printSlip()
{
    printed_ = form_->slip;
    print::previewPage(prepay::drawPrePaySlip, this, &printed_);
}
