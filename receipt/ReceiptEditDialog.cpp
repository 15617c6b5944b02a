#include "receipt/ReceiptEditDialog.h"
#include "app/FieldBehaviour.h"
#include "app/LastError.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "ui_ReceiptEditDialog.h"
#include <QApplication>
#include <QEvent>
#include <cmath>

using controls::entryOf;
using controls::chosenText;

using namespace Qt::StringLiterals;
using receipt::CategoryCount;
using receipt::ReceiptEditForm;

ReceiptEditDialog::ReceiptEditDialog(const ReceiptEditForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(3002, u"收费收据"_s, parent), ui_(std::make_unique<Ui::ReceiptEditDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    amounts_.bind(this, this);
    ui_->owedEdit->installEventFilter(this);
    connect(ui_->doctorCombo, &QComboBox::activated, this, [this](int index) {
        if (!takeFields()) return;
        form_->selectDoctor(index, ui_->doctorCombo->itemText(index));
        showFields();
    });
    connect(ui_->settleButton, &QPushButton::clicked, this, &ReceiptEditDialog::settle);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

ReceiptEditDialog::~ReceiptEditDialog() = default;

void ReceiptEditDialog::initDialog()
{
    form_ = std::make_unique<ReceiptEditForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    amounts_.setLabels(form_->labels);
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->departmentCombo->addItems(form_->departments);
    for (QWidget* w : {static_cast<QWidget*>(ui_->receivedLabel), static_cast<QWidget*>(ui_->receivedEdit),
                       static_cast<QWidget*>(ui_->owedLabel), static_cast<QWidget*>(ui_->owedEdit)})
        w->setVisible(form_->paymentVisible);
    ui_->settleButton->setVisible(form_->settleVisible);
    // Without 结帐 the receipt is only read: nothing typed here would be kept.
    if (!form_->settleVisible) app::makeViewOnly(this);
    showFields();
}

bool ReceiptEditDialog::takeFields()
{
    if (!form_ || taking_) return false;
    receipt::CategoryAmounts amounts{};
    double received = 0.0, owed = 0.0;
    QList<std::pair<QLineEdit*, double*>> numbers{{ui_->receivedEdit, &received}, {ui_->owedEdit, &owed}};
    for (int i = 0; i < CategoryCount; ++i) numbers.append({amounts_.edit(i), &amounts[i]});
    for (auto [edit, value] : numbers) {
        if (!money::parseAmount(edit->text(), *value) || !std::isfinite(*value)) {
            taking_ = true;
            inform(u"请输入一个数字。"_s);
            taking_ = false;
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    receipt::ReceiptWithPayment& f = form_->fields;
    f.amounts = amounts;
    f.received = received;
    f.owed = owed;
    f.date = ui_->dateEdit->dateTime();
    f.doctorName = chosenText(ui_->doctorCombo);
    f.department = chosenText(ui_->departmentCombo);
    return true;
}

void ReceiptEditDialog::showFields()
{
    if (!form_) return;
    const receipt::ReceiptWithPayment& f = form_->fields;
    for (int i = 0; i < CategoryCount; ++i) amounts_.edit(i)->setText(money::format2(f.amounts[i]));
    ui_->totalEdit->setText(money::format2(f.total));
    ui_->patientEdit->setText(f.patientName);
    ui_->recordEdit->setText(QString::number(f.treatmentNumber));
    ui_->remarkEdit->setText(f.remark);
    ui_->cashierEdit->setText(f.cashier);
    ui_->numberEdit->setText(f.doctorNumber);
    ui_->dateEdit->setDateTime(f.date);
    ui_->stateEdit->setText(f.payState);
    ui_->receivedEdit->setText(money::format2(f.received));
    ui_->owedEdit->setText(money::format2(f.owed));
    ui_->paymentRemarkEdit->setText(f.paymentRemark);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, f.doctorName));
    ui_->departmentCombo->setCurrentIndex(entryOf(ui_->departmentCombo, f.department));
}

bool ReceiptEditDialog::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving an amount or the amount owed: the total follows the twelve amounts.
    if (event->type() == QEvent::FocusOut && isRunning() && QApplication::focusWidget() != ui_->settleButton &&
        takeFields()) {
        form_->amountsChanged();
        showFields();
    }
    return app::Dialog::eventFilter(watched, event);
}

void ReceiptEditDialog::settle()
{
    if (!takeFields()) return;
    const ReceiptEditForm::Ending ending = form_->settle();
    if (!form_->failure().isEmpty()) app::setLastError("ReceiptEditResult", form_->failure());
    showFields();
    if (ending == ReceiptEditForm::Ending::Accept) accept();
}
