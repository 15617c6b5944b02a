#include "walkin/WalkinSheetDialog.h"
#include "app/LastError.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "settle/TenderedBox.h"
#include "ui_WalkinSheetDialog.h"
#include <QApplication>
#include <QEvent>
#include <cmath>

using controls::entryOf;
using controls::chosenText;

using namespace Qt::StringLiterals;
using receipt::CategoryCount;
using walkin::WalkinSheetForm;

WalkinSheetDialog::WalkinSheetDialog(const WalkinSheetForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(3000, u"无病案收费单"_s, parent), ui_(std::make_unique<Ui::WalkinSheetDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    amounts_.bind(this, this);
    connect(ui_->doctorCombo, &QComboBox::activated, this, &WalkinSheetDialog::doctorChosen);
    tendered_ = new TenderedBox(this);
    ui_->mainLayout->insertWidget(ui_->mainLayout->count() - 1, tendered_);
    connect(ui_->saveButton, &QPushButton::clicked, this, &WalkinSheetDialog::save);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

WalkinSheetDialog::~WalkinSheetDialog() = default;

void WalkinSheetDialog::initDialog()
{
    form_ = std::make_unique<WalkinSheetForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    amounts_.setLabels(form_->labels);
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->nurseCombo->addItems(form_->nurses);
    ui_->dateEdit->setEnabled(form_->dateEnabled);
    showFields();
}

bool WalkinSheetDialog::takeFields()
{
    if (!form_ || taking_) return false;
    receipt::CategoryAmounts amounts{};
    if (QLineEdit* bad = amounts_.read(amounts)) {
        taking_ = true;
        inform(u"请输入一个数字。"_s);
        taking_ = false;
        bad->setFocus();
        bad->selectAll();
        return false;
    }
    walkin::WalkinSheet& f = form_->fields;
    f.amounts = amounts;
    f.patientName = ui_->patientEdit->text();
    f.date = ui_->dateEdit->dateTime();
    f.remark = ui_->remarkEdit->text();
    f.doctorName = chosenText(ui_->doctorCombo);
    f.nurse = chosenText(ui_->nurseCombo);
    form_->tendered = tendered_->text();
    return true;
}

void WalkinSheetDialog::showFields()
{
    if (!form_) return;
    const walkin::WalkinSheet& f = form_->fields;
    amounts_.show(f.amounts);
    ui_->totalEdit->setText(money::format2(f.total));
    ui_->patientEdit->setText(f.patientName);
    ui_->numberEdit->setText(f.doctorNumber);
    ui_->departmentEdit->setText(f.department);
    ui_->cashierEdit->setText(f.cashier);
    ui_->remarkEdit->setText(f.remark);
    ui_->dateEdit->setDateTime(f.date);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, f.doctorName));
    ui_->nurseCombo->setCurrentIndex(entryOf(ui_->nurseCombo, f.nurse));
    ui_->saveButton->setEnabled(form_->saveEnabled);
    tendered_->setCashDue(form_->isNew() ? money::toFen(f.total) : 0);
}

bool WalkinSheetDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving an amount for 结帐 is checked by its own handler; checking here too would report
    // the same bad amount twice for one click.
    if (event->type() == QEvent::FocusOut && isRunning() && QApplication::focusWidget() != ui_->saveButton)
        amountLeft();
    return app::Dialog::eventFilter(watched, event);
}

void WalkinSheetDialog::amountLeft()
{
    if (!takeFields()) return;
    form_->amountsChanged();
    showFields();
}

void WalkinSheetDialog::doctorChosen(int index)
{
    if (!takeFields()) return;
    form_->selectDoctor(index, ui_->doctorCombo->itemText(index));
    showFields();
}

void WalkinSheetDialog::save()
{
    if (!takeFields()) return;
    const WalkinSheetForm::Ending ending = form_->save();
    if (!form_->failure().isEmpty()) app::setLastError("PayForNoCard", form_->failure());
    showFields();
    if (ending == WalkinSheetForm::Ending::Accept) accept();
}
