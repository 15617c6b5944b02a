#include "settle/CheckoutDialog.h"
#include "app/LastError.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "print/PrintRun.h"
#include "settle/PaymentDialog.h"
#include "settle/TenderedBox.h"
#include "ui_CheckoutDialog.h"
#include <QApplication>
#include <QEvent>
#include <cmath>

using controls::entryOf;
using controls::chosenText;
using controls::showAmount;

using settle::CheckoutForm;
using namespace Qt::StringLiterals;

CheckoutDialog::CheckoutDialog(const CheckoutForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(292, u"收费结帐"_s, parent), ui_(std::make_unique<Ui::CheckoutDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    amounts_.bind(this, this);
    ui_->collectedEdit->installEventFilter(this);
    ui_->arrearsEdit->installEventFilter(this);
    ui_->methodCombo->addItems(settle::paymentMethodTexts());
    ui_->previewButton->setVisible(false);
    ui_->printButton->setVisible(false);
    ui_->previewButton->setEnabled(false);
    ui_->printButton->setEnabled(false);

    connect(ui_->collectedEdit, &QLineEdit::textEdited, this,
            [this] { handle([this] { form_->collectedChanged(false); }); });
    connect(ui_->otherFreeEdit, &QLineEdit::textEdited, this, [this] { handle([this] { form_->otherFreeChanged(); }); });
    connect(ui_->discountEdit, &QLineEdit::textEdited, this, [this] {
        double typed = 0.0;
        if (!form_ || !money::parseAmount(ui_->discountEdit->text(), typed) || !std::isfinite(typed)) return;
        handle([this, typed] { form_->discountValueTyped(typed); });
    });
    connect(ui_->discountTypeCombo, &QComboBox::activated, this,
            [this](int i) { handle([this, i] { form_->discountChosen(i); }); });
    connect(ui_->arrearsLaterCheck, &QCheckBox::clicked, this,
            [this](bool on) { handle([this, on] { form_->arrearsLaterChanged(on); }); });
    connect(ui_->switchCheck, &QCheckBox::clicked, this,
            [this](bool on) { handle([this, on] { form_->discountSwitched(on); }); });
    connect(ui_->methodCombo, &QComboBox::activated, this, [this](int i) {
        handle([this, i] {
            form_->methodChosen(i, [this](const settle::PaymentForm::Inputs& in) {
                return PaymentDialog::ask(connectionPtr(), in, this);
            });
        });
    });
    connect(ui_->doctorCombo, &QComboBox::activated, this,
            [this](int i) { handle([this, i] { form_->doctorChosen(i, ui_->doctorCombo->itemText(i)); }); });
    tendered_ = new TenderedBox(this);
    ui_->mainLayout->insertWidget(ui_->mainLayout->count() - 1, tendered_);
    connect(ui_->settleButton, &QPushButton::clicked, this, &CheckoutDialog::settle);
    connect(ui_->previewButton, &QPushButton::clicked, this, &CheckoutDialog::preview);
    connect(ui_->printButton, &QPushButton::clicked, this, &CheckoutDialog::print);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

CheckoutDialog::~CheckoutDialog() = default;

qint32 CheckoutDialog::state() const { return form_ ? form_->state : inputs_.state; }

void CheckoutDialog::initDialog()
{
    form_ = std::make_unique<CheckoutForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    guarded([this] { form_->open(); });
    amounts_.setLabels(form_->labels);
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->departmentCombo->addItems(form_->departments);
    ui_->nurseCombo->addItems(form_->nurses);
    ui_->otherFreeCombo->addItems(form_->otherFreeReasons);
    ui_->dateEdit->setEnabled(form_->dateEnabled);
    showFields();
}

void CheckoutDialog::handle(const std::function<void()>& handler)
{
    if (!form_ || showing_ || !takeFields()) return;
    guarded(handler);
    showFields();
}

bool CheckoutDialog::takeFields()
{
    if (!form_ || taking_) return false;
    receipt::CategoryAmounts amounts{};
    const auto number = [&](QLineEdit* edit, double& into) {
        double v = 0.0;
        if (money::parseAmount(edit->text(), v) && std::isfinite(v)) {
            into = v;
            return true;
        }
        taking_ = true;
        inform(u"请输入一个数字。"_s);
        taking_ = false;
        edit->setFocus();
        edit->selectAll();
        return false;
    };
    for (int i = 0; i < receipt::CategoryCount; ++i)
        if (!number(amounts_.edit(i), amounts[i])) return false;
    double collected = 0, otherFree = 0, arrears = 0, discount = form_->discount.value;
    if (!number(ui_->collectedEdit, collected) || !number(ui_->otherFreeEdit, otherFree) ||
        !number(ui_->arrearsEdit, arrears))
        return false;
    // Only a money card amount is typed into "折  扣"; a rate shows with three decimals.
    if (form_->discount.valueEditable && !number(ui_->discountEdit, discount)) return false;
    CheckoutForm& f = *form_;
    f.amounts = amounts;
    f.collected = collected;
    f.otherFree = otherFree;
    f.arrearsLeft = arrears;
    f.date = ui_->dateEdit->dateTime();
    f.doctor = chosenText(ui_->doctorCombo);
    f.department = chosenText(ui_->departmentCombo);
    f.nurse = chosenText(ui_->nurseCombo);
    f.otherFreeReason = ui_->otherFreeCombo->currentText();
    f.otherFreeNote = ui_->otherFreeNoteEdit->text();
    f.receiptNote = ui_->receiptNoteEdit->text();
    f.settleNote = ui_->settleNoteEdit->text();
    f.tendered = tendered_->text();
    f.arrearsLater = ui_->arrearsLaterCheck->isChecked();
    return true;
}

void CheckoutDialog::showFields()
{
    if (!form_) return;
    showing_ = true;
    const CheckoutForm& f = *form_;
    for (int i = 0; i < receipt::CategoryCount; ++i) showAmount(amounts_.edit(i), f.amounts[i]);
    ui_->patientNumberEdit->setText(f.patientNumber);
    ui_->patientEdit->setText(f.patientName);
    ui_->rankEdit->setText(f.discount.member.rankName);
    ui_->memberCodeEdit->setText(f.discount.member.memberCode);
    ui_->numberEdit->setText(f.doctorNumber);
    ui_->dateEdit->setDateTime(f.date);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, f.doctor));
    ui_->departmentCombo->setCurrentIndex(entryOf(ui_->departmentCombo, f.department));
    ui_->nurseCombo->setCurrentIndex(entryOf(ui_->nurseCombo, f.nurse));
    ui_->totalEdit->setText(money::format2(f.total));
    ui_->oldArrearsEdit->setText(money::format2(f.oldArrears));
    ui_->arrearsLaterCheck->setChecked(f.arrearsLater);
    ui_->amountDueEdit->setText(money::format2(f.amountDue));
    ui_->switchCheck->setChecked(f.switchOn);
    if (ui_->discountTypeCombo->count() != f.discount.list.entries.size() ||
        QStringList([&] {
            QStringList t;
            for (int i = 0; i < ui_->discountTypeCombo->count(); ++i) t << ui_->discountTypeCombo->itemText(i);
            return t;
        }()) != f.discount.list.texts()) {
        ui_->discountTypeCombo->clear();
        ui_->discountTypeCombo->addItems(f.discount.list.texts());
    }
    ui_->discountTypeCombo->setCurrentIndex(f.discount.list.selected);
    ui_->discountEditLabel->setText(f.discount.label);
    if (f.discount.valueEditable) showAmount(ui_->discountEdit, f.discount.value);
    else ui_->discountEdit->setText(f.discount.value > 1.0 ? money::format2(f.discount.value) : money::format3(f.discount.value));
    ui_->discountEdit->setReadOnly(!f.discount.valueEditable);
    ui_->discountNoteEdit->setText(f.discount.note);
    ui_->discountedEdit->setText(money::format2(f.discounted));
    ui_->otherFreeCombo->setEditText(f.otherFreeReason);
    showAmount(ui_->otherFreeEdit, f.otherFree);
    ui_->otherFreeNoteEdit->setText(f.otherFreeNote);
    showAmount(ui_->collectedEdit, f.collected);
    showAmount(ui_->arrearsEdit, f.arrearsLeft);
    ui_->methodCombo->setCurrentIndex(f.method);
    ui_->methodCombo->setEnabled(f.methodEnabled);
    ui_->methodAmountEdit->setText(money::format2(f.methodAmount));
    ui_->cashEdit->setText(money::format2(f.cash));
    tendered_->setCashDue(f.cashDue());
    if (!f.paymentLabel.isEmpty()) ui_->methodAmountEditLabel->setText(f.paymentLabel);
    ui_->receiptNoteEdit->setText(f.receiptNote);
    ui_->settleNoteEdit->setText(f.settleNote);
    // The banner has a row of its own above the fields: painted over them it was clipped.
    ui_->refundLabel->setText(f.refundText());
    ui_->prepayLabel->setText(f.prepayText());
    ui_->refundLabel->setVisible(!f.refundText().isEmpty());
    ui_->prepayLabel->setVisible(!f.prepayText().isEmpty());
    showVisibility();
    showing_ = false;
}

void CheckoutDialog::showVisibility()
{
    const CheckoutForm& f = *form_;
    ui_->arrearsLaterCheck->setVisible(f.arrearsLaterVisible);
    ui_->switchCheck->setVisible(f.switchVisible);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->discountEditLabel, ui_->discountEdit, ui_->discountNoteEditLabel,
                                                      ui_->discountNoteEdit, ui_->discountedEditLabel, ui_->discountedEdit,
                                                      ui_->discountTypeCombo}) {
        w->setVisible(f.discountVisible);
        w->setEnabled(f.discountEnabled);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->otherFreeComboLabel, ui_->otherFreeCombo, ui_->otherFreeEditLabel,
                                                      ui_->otherFreeEdit, ui_->otherFreeNoteEditLabel,
                                                      ui_->otherFreeNoteEdit})
        w->setVisible(f.otherFreeVisible);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->methodAmountEditLabel, ui_->methodAmountEdit, ui_->cashEditLabel,
                                                      ui_->cashEdit})
        w->setVisible(f.paymentVisible);
    ui_->previewButton->setEnabled(f.printEnabled);
    ui_->printButton->setEnabled(f.printEnabled);
}

bool CheckoutDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (form_ && isRunning() && !showing_) {
        const QWidget* to = QApplication::focusWidget();
        const bool toButton = to == ui_->settleButton || to == ui_->closeButton;
        if (event->type() == QEvent::FocusOut && !toButton) {
            if (watched == ui_->collectedEdit) handle([this] { form_->collectedChanged(true); });
            else if (watched != ui_->arrearsEdit) handle([this] { form_->categoryLeft(); });
        } else if (event->type() == QEvent::FocusIn && watched == ui_->arrearsEdit) {
            handle([this] { form_->collectedChanged(false); });
        }
    }
    return app::Dialog::eventFilter(watched, event);
}

void CheckoutDialog::settle()
{
    if (!takeFields()) return;
    CheckoutForm::Ending ending = CheckoutForm::Ending::Stay;
    guarded([&] { ending = form_->settle(); });
    if (!form_->failureDetail.isEmpty()) app::setLastError("ReceiptPay", form_->failureDetail);
    showFields();
    if (ending == CheckoutForm::Ending::Accept) accept();
}

void CheckoutDialog::preview() { print::previewPage(print::drawEmptyPage, this, nullptr); }

void CheckoutDialog::print() { print::printPage(print::drawEmptyPage, this, nullptr); }
