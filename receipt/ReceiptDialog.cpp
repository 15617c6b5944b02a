#include "receipt/ReceiptDialog.h"
#include "app/LastError.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "ui_ReceiptDialog.h"
#include <QApplication>
#include <QEvent>
#include <cmath>

using controls::entryOf;
using controls::chosenText;

using receipt::CategoryCount;
using receipt::FeeReceiptForm;

ReceiptDialog::ReceiptDialog(const FeeReceiptForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(285, QStringLiteral("收费收据"), parent), ui_(std::make_unique<Ui::ReceiptDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    amounts_.bind(this, this);
    connect(ui_->doctorCombo, &QComboBox::activated, this, &ReceiptDialog::doctorChosen);
    connect(ui_->submitButton, &QPushButton::clicked, this, &ReceiptDialog::submit);
    connect(ui_->modifyButton, &QPushButton::clicked, this, &ReceiptDialog::modify);
    connect(ui_->deleteButton, &QPushButton::clicked, this, &ReceiptDialog::remove);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

ReceiptDialog::~ReceiptDialog() = default;

qint64 ReceiptDialog::receiptId() const { return form_ ? form_->receiptId() : inputs_.receiptId; }

void ReceiptDialog::initDialog()
{
    form_ = std::make_unique<FeeReceiptForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    amounts_.setLabels(form_->labels);
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->nurseCombo->addItems(form_->nurses);
    ui_->dateEdit->setEnabled(form_->dateEnabled);
    ui_->refundCheck->setVisible(form_->refundVisible);
    showFields();
}

bool ReceiptDialog::takeFields()
{
    if (!form_ || taking_) return false;
    receipt::CategoryAmounts amounts{};
    if (QLineEdit* bad = amounts_.read(amounts)) {
        taking_ = true;
        inform(QStringLiteral("请输入一个数字。"));
        taking_ = false;
        bad->setFocus();
        bad->selectAll();
        return false;
    }
    receipt::FeeReceipt& f = form_->fields;
    f.amounts = amounts;
    f.date = ui_->dateEdit->dateTime();
    f.remark = ui_->remarkEdit->text();
    f.doctorName = chosenText(ui_->doctorCombo);
    f.nurse = chosenText(ui_->nurseCombo);
    f.refund = ui_->refundCheck->isChecked() ? 1 : 0;
    return true;
}

void ReceiptDialog::showFields()
{
    if (!form_) return;
    const receipt::FeeReceipt& f = form_->fields;
    amounts_.show(f.amounts);
    ui_->totalEdit->setText(money::format2(f.total));
    ui_->patientEdit->setText(f.patientName);
    ui_->numberEdit->setText(f.doctorNumber);
    ui_->departmentEdit->setText(f.department);
    ui_->remarkEdit->setText(f.remark);
    ui_->dateEdit->setDateTime(f.date);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, f.doctorName));
    ui_->nurseCombo->setCurrentIndex(entryOf(ui_->nurseCombo, f.nurse));
    ui_->refundCheck->setChecked(f.refund == 1);
    ui_->submitButton->setEnabled(form_->submitEnabled);
    ui_->modifyButton->setEnabled(form_->modifyEnabled);
    ui_->deleteButton->setEnabled(form_->deleteEnabled);
}

bool ReceiptDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving an amount for one of the action buttons is checked by that button's own handler;
    // checking here too would report the same bad amount twice for one click.
    if (event->type() == QEvent::FocusOut && isRunning()) {
        const QWidget* to = QApplication::focusWidget();
        if (to != ui_->submitButton && to != ui_->modifyButton && to != ui_->deleteButton) amountLeft();
    }
    return app::Dialog::eventFilter(watched, event);
}

void ReceiptDialog::amountLeft()
{
    if (!takeFields()) return;
    form_->amountsChanged();
    showFields();
}

void ReceiptDialog::doctorChosen(int index)
{
    if (!takeFields()) return;
    form_->selectDoctor(index, ui_->doctorCombo->itemText(index));
    showFields();
}

void ReceiptDialog::end(FeeReceiptForm::Ending ending)
{
    if (!form_->failure().isEmpty()) app::setLastError("ReceiptSet", form_->failure());
    showFields();
    if (ending == FeeReceiptForm::Ending::Accept) accept();
    if (ending == FeeReceiptForm::Ending::Reject) reject();
}

void ReceiptDialog::submit()
{
    if (takeFields()) end(form_->submit());
}

void ReceiptDialog::modify()
{
    if (takeFields()) end(form_->modify());
}

void ReceiptDialog::remove()
{
    if (takeFields()) end(form_->remove());
}
