#include "settle/StandardCheckoutDialog.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "print/PrintRun.h"
#include "settle/PaymentDialog.h"
#include "settle/TenderedBox.h"
#include "ui_StandardCheckoutDialog.h"
#include <cmath>

using controls::entryOf;
using controls::showAmount;

using settle::StandardCheckoutForm;
using namespace Qt::StringLiterals;

namespace {

bool readAmount(const QLineEdit* edit, double& value)
{
    return money::parseAmount(edit->text(), value) && std::isfinite(value);
}

} // namespace

StandardCheckoutDialog::StandardCheckoutDialog(const StandardCheckoutForm::Inputs& inputs, int state, QWidget* parent)
    : app::Dialog(3006, u"收费结帐"_s, parent), ui_(std::make_unique<Ui::StandardCheckoutDialog>()), inputs_(inputs),
      state_(state)
{
    ui_->setupUi(this);
    const QStringList headings{u"类别"_s, u"项目"_s, u"单位"_s, u"标准"_s, u"数量"_s,
                               u"打折"_s, u"折扣"_s, u"金额"_s, u"应收金额"_s};
    for (int i = 0; i < headings.size(); ++i) ui_->lineList->insertColumn(i, headings[i], 80);
    // Nine columns in the dialog's width: 数量 and 金额 never go behind a scroll bar.
    ui_->lineList->setColumnsFitWidth(true);
    connect(ui_->doctorCombo, &QComboBox::activated, this,
            [this](int i) { act([&] { form_->doctorChosen(i, ui_->doctorCombo->itemText(i)); }); });
    connect(ui_->discountTypeCombo, &QComboBox::activated, this, [this](int i) { act([&] { form_->discountChosen(i); }); });
    connect(ui_->discountEdit, &QLineEdit::editingFinished, this, [this] {
        double typed = 0.0;
        if (readAmount(ui_->discountEdit, typed)) act([&] { form_->discountValueTyped(typed); });
    });
    connect(ui_->collectedEdit, &QLineEdit::editingFinished, this, [this] { act([&] { form_->collectedChanged(); }); });
    connect(ui_->arrearsLeftEdit, &QLineEdit::editingFinished, this, [this] { act([&] { form_->collectedChanged(); }); });
    connect(ui_->otherFreeEdit, &QLineEdit::editingFinished, this, [this] { act([&] { form_->otherFreeChanged(); }); });
    connect(ui_->arrearsLaterCheck, &QCheckBox::clicked, this,
            [this](bool on) { act([&] { form_->arrearsLaterChanged(on); }); });
    connect(ui_->switchCheck, &QCheckBox::clicked, this, [this](bool on) { act([&] { form_->discountSwitched(on); }); });
    connect(ui_->methodCombo, &QComboBox::activated, this,
            [this](int i) {
                act([&] {
                    form_->methodChosen(i, [this](const settle::PaymentForm::Inputs& in) {
                        return PaymentDialog::ask(connectionPtr(), in, this);
                    });
                });
            });
    tendered_ = new TenderedBox(this);
    ui_->mainLayout->insertWidget(ui_->mainLayout->count() - 1, tendered_);
    connect(ui_->settleButton, &QPushButton::clicked, this, &StandardCheckoutDialog::settle);
    connect(ui_->printButton, &QPushButton::clicked, this, [this] {
        sheet_ = form_->detailSheet();
        print::printPage(settle::drawFeeDetailSheet, this, &sheet_);
    });
    connect(ui_->previewButton, &QPushButton::clicked, this, [this] {
        sheet_ = form_->detailSheet();
        print::previewPage(settle::drawFeeDetailSheet, this, &sheet_);
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

StandardCheckoutDialog::~StandardCheckoutDialog() = default;

int StandardCheckoutDialog::state() const { return form_ ? form_->settled : state_; }
qint64 StandardCheckoutDialog::receiptId() const { return form_ ? form_->receiptId : inputs_.receiptId; }
QString StandardCheckoutDialog::failure() const { return form_ ? form_->failureDetail : QString(); }

void StandardCheckoutDialog::initDialog()
{
    form_ = std::make_unique<StandardCheckoutForm>(connectionPtr(), inputs_);
    form_->settled = state_;
    if (!connectionPtr()) return;
    form_->open();
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->nurseCombo->addItems(form_->nurses);
    ui_->otherFreeReasonCombo->addItems(form_->otherFreeReasons);
    ui_->dateEdit->setEnabled(form_->dateEnabled);
    showFields();
}

bool StandardCheckoutDialog::takeFields()
{
    if (!form_ || showing_) return false;
    double collected = 0.0, arrears = 0.0, otherFree = 0.0;
    if (!readAmount(ui_->collectedEdit, collected) || !readAmount(ui_->arrearsLeftEdit, arrears) ||
        !readAmount(ui_->otherFreeEdit, otherFree)) {
        inform(u"请输入一个数字。"_s);
        return false;
    }
    StandardCheckoutForm& f = *form_;
    f.date = ui_->dateEdit->dateTime();
    f.collected = collected;
    f.arrearsLeft = arrears;
    f.otherFree = otherFree;
    f.otherFreeReason = ui_->otherFreeReasonCombo->currentText();
    f.otherFreeNote = ui_->otherFreeNoteEdit->text();
    f.receiptNote = ui_->receiptNoteEdit->text();
    f.settleNote = ui_->settleNoteEdit->text();
    f.tendered = tendered_->text();
    if (ui_->doctorCombo->currentIndex() >= 0) f.doctor = ui_->doctorCombo->currentText();
    if (ui_->nurseCombo->currentIndex() >= 0) f.nurse = ui_->nurseCombo->currentText();
    return true;
}

void StandardCheckoutDialog::showFields()
{
    if (!form_) return;
    showing_ = true;
    const StandardCheckoutForm& f = *form_;
    ui_->refundLabel->setText(f.refund == 1 ? u"退费收据"_s : QString());
    ui_->prepayLabel->setText(!f.resettle && f.usablePrePay > 0.0
                                  ? u"可用预付费：￥%1"_s.arg(money::formatFixed(f.usablePrePay, 0))
                                  : QString());
    ui_->dateEdit->setDateTime(f.date);
    ui_->patientEdit->setText(f.patientName);
    ui_->patientNumberEdit->setText(f.patientNumber);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, f.doctor));
    ui_->departmentEdit->setText(f.department);
    ui_->numberEdit->setText(f.doctorNumber);
    ui_->nurseCombo->setCurrentIndex(entryOf(ui_->nurseCombo, f.nurse));
    ui_->receiptNoteEdit->setText(f.receiptNote);
    showAmount(ui_->totalEdit, f.total);
    showAmount(ui_->oldArrearsEdit, f.oldArrears);
    ui_->arrearsLaterCheck->setChecked(f.arrearsLater);
    ui_->arrearsLaterCheck->setVisible(f.arrearsLaterVisible);
    ui_->switchCheck->setChecked(f.switchOn);
    ui_->switchCheck->setVisible(f.switchVisible);
    showAmount(ui_->amountDueEdit, f.amountDue);
    ui_->discountTypeCombo->clear();
    for (const auto& entry : f.discount.list.entries) ui_->discountTypeCombo->addItem(entry.text);
    ui_->discountTypeCombo->setCurrentIndex(f.discount.list.selected);
    ui_->discountTypeCombo->setVisible(f.typeListVisible);
    ui_->discountLabel->setText(f.discount.label);
    ui_->discountEdit->setText(f.discount.value > 1.0 ? money::format2(f.discount.value) : money::format3(f.discount.value));
    ui_->discountEdit->setReadOnly(!f.discount.valueEditable);
    ui_->discountNoteEdit->setText(f.discount.note);
    showAmount(ui_->discountedEdit, f.discounted);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->discountNoteLabel, ui_->discountNoteEdit, ui_->discountedLabel,
                                                      ui_->discountedEdit})
        w->setVisible(f.discountVisible);
    ui_->discountLabel->setVisible(f.discountVisible && f.discountFieldVisible);
    ui_->discountEdit->setVisible(f.discountVisible && f.discountFieldVisible);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->discountTypeCombo, ui_->discountEdit, ui_->discountNoteEdit,
                                                      ui_->switchCheck})
        w->setEnabled(f.discountEnabled);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->otherFreeReasonLabel, ui_->otherFreeReasonCombo,
                                                      ui_->otherFreeLabel, ui_->otherFreeEdit, ui_->otherFreeNoteLabel,
                                                      ui_->otherFreeNoteEdit})
        w->setVisible(f.otherFreeVisible);
    ui_->otherFreeReasonCombo->setCurrentIndex(entryOf(ui_->otherFreeReasonCombo, f.otherFreeReason));
    showAmount(ui_->otherFreeEdit, f.otherFree);
    ui_->otherFreeNoteEdit->setText(f.otherFreeNote);
    showAmount(ui_->collectedEdit, f.collected);
    showAmount(ui_->arrearsLeftEdit, f.arrearsLeft);
    ui_->methodCombo->setCurrentIndex(f.method);
    ui_->methodCombo->setEnabled(f.methodEnabled);
    if (!f.paymentLabel.isEmpty()) ui_->methodAmountLabel->setText(f.paymentLabel);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->methodAmountLabel, ui_->methodAmountEdit, ui_->cashLabel,
                                                      ui_->cashEdit})
        w->setVisible(f.paymentVisible);
    showAmount(ui_->methodAmountEdit, f.methodAmount);
    showAmount(ui_->cashEdit, f.cash);
    tendered_->setCashDue(f.cashDue());
    ui_->settleNoteEdit->setText(f.settleNote);
    ui_->settleButton->setVisible(f.settleVisible);
    ui_->printButton->setEnabled(f.printEnabled || !f.settleVisible);
    ui_->previewButton->setEnabled(f.printEnabled || !f.settleVisible);

    // Without any discount 打折 and 折扣 go and the other columns widen.
    const bool discounts = f.discount.mode != settle::DiscountOff || f.doctorType >= 0;
    const QList<int> widths = discounts ? QList<int>{80, 200, 50, 60, 60, 60, 70, 80, 80}
                                     : QList<int>{120, 250, 80, 100, 80, 0, 0, 80, 80};
    CStripedListCtrl* list = ui_->lineList;
    for (int i = 0; i < widths.size(); ++i) {
        list->setColumnWidth(i, widths[i]);
        list->setColumnHidden(i, widths[i] == 0);
    }
    list->deleteAllItems();
    for (int row = 0; row < f.lines.size(); ++row) {
        const QStringList cells = receipt::cellTexts(f.lines.at(row));
        list->insertItem(row, cells[0]);
        for (int column = 1; column < cells.size(); ++column) list->setItemText(row, column, cells[column]);
    }
    showing_ = false;
}

void StandardCheckoutDialog::act(const std::function<void()>& handler)
{
    if (!takeFields()) return;
    handler();
    showFields();
}

void StandardCheckoutDialog::settle()
{
    if (!takeFields()) return;
    const StandardCheckoutForm::Ending ending = form_->settle();
    showFields();
    if (ending == StandardCheckoutForm::Ending::Accept) accept();
}
