#include "rx/PrescriptionCheckoutDialog.h"
#include "app/LastError.h"
#include "common/Money.h"
#include "rx/StockCheckDialog.h"
#include "settle/PaymentDialog.h"
#include "settle/TenderedBox.h"
#include "ui_PrescriptionCheckoutDialog.h"
#include <QSignalBlocker>
#include <cmath>

using rx::PrescriptionCheckoutForm;

PrescriptionCheckoutDialog::PrescriptionCheckoutDialog(const PrescriptionCheckoutForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(3047, QStringLiteral("处方结帐"), parent), ui_(std::make_unique<Ui::PrescriptionCheckoutDialog>()),
      inputs_(inputs)
{
    ui_->setupUi(this);
    CStripedListCtrl* list = ui_->lineList;
    const QList<QPair<QString, int>> columns{
        {QStringLiteral("药品名称"), 100}, {QStringLiteral("规格"), 80},    {QStringLiteral("单位"), 50},
        {QStringLiteral("单价"), 85},      {QStringLiteral("数量"), 80},    {QStringLiteral("金额"), 80},
        {QStringLiteral("类别"), 80},      {QStringLiteral("服用方式"), 100}, {QStringLiteral("每次用量"), 80},
        {QStringLiteral("每日次数"), 80},  {QStringLiteral("医保类型"), 0}, {QStringLiteral("备注"), 0},
        {QStringLiteral("ID"), 0}};
    for (const auto& [heading, width] : columns) list->insertColumn(list->columnCount(), heading, width);
    for (int column = 10; column < 13; ++column) list->setColumnHidden(column, true);
    ui_->methodCombo->addItems(PrescriptionCheckoutForm::methodTexts());
    // The arrears are kept for the payment record; the prescription checkout never shows them.
    ui_->arrearsLabel->hide();
    ui_->arrearsEdit->hide();
    connect(ui_->methodCombo, &QComboBox::activated, this, &PrescriptionCheckoutDialog::methodChosen);
    connect(ui_->collectedEdit, &QLineEdit::editingFinished, this, [this] {
        if (!form_ || !takeFields()) return;
        form_->collectedChanged();
        showFields();
    });
    tendered_ = new TenderedBox(this);
    ui_->mainLayout->insertWidget(ui_->mainLayout->count() - 1, tendered_);
    connect(ui_->okButton, &QPushButton::clicked, this, &PrescriptionCheckoutDialog::settle);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

PrescriptionCheckoutDialog::~PrescriptionCheckoutDialog() = default;

void PrescriptionCheckoutDialog::initDialog()
{
    form_ = std::make_unique<PrescriptionCheckoutForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    ui_->dateEdit->setEnabled(form_->dateEnabled);
    ui_->nurseCombo->addItems(form_->nurses);
    CStripedListCtrl* list = ui_->lineList;
    for (const QStringList& texts : form_->rows) {
        const int row = list->insertItem(list->itemCount(), texts[0]);
        for (int column = 1; column < texts.size(); ++column) list->setItemText(row, column, texts[column]);
    }
    showFields();
}

void PrescriptionCheckoutDialog::showFields()
{
    const PrescriptionCheckoutForm& f = *form_;
    ui_->patientEdit->setText(f.patientName);
    ui_->patientNumberEdit->setText(f.patientNumber);
    ui_->dateEdit->setDateTime(f.date);
    ui_->doctorEdit->setText(f.doctor);
    ui_->departmentEdit->setText(f.department);
    ui_->doctorNumberEdit->setText(f.doctorNumber);
    ui_->nurseCombo->setCurrentIndex(ui_->nurseCombo->findText(f.nurse));
    ui_->cashierEdit->setText(f.cashier);
    ui_->totalEdit->setText(money::format2(f.total));
    ui_->collectedEdit->setText(money::format2(f.collected));
    ui_->arrearsEdit->setText(money::format2(f.arrearsLeft));
    {
        const QSignalBlocker block(ui_->methodCombo);
        ui_->methodCombo->setCurrentIndex(f.method);
    }
    ui_->methodAmountLabel->setText(f.paymentLabel.isEmpty() ? QStringLiteral("收款金额") : f.paymentLabel);
    ui_->methodAmountEdit->setText(money::format2(f.methodAmount));
    ui_->cashEdit->setText(money::format2(f.cash));
    for (QWidget* w : {static_cast<QWidget*>(ui_->methodAmountLabel), static_cast<QWidget*>(ui_->methodAmountEdit),
                       static_cast<QWidget*>(ui_->cashLabel), static_cast<QWidget*>(ui_->cashEdit)})
        w->setVisible(f.paymentVisible);
    tendered_->setCashDue(f.cashDue());
}

bool PrescriptionCheckoutDialog::takeFields()
{
    double collected = 0.0;
    if (!money::parseAmount(ui_->collectedEdit->text(), collected) || !std::isfinite(collected)) {
        inform(QStringLiteral("请输入一个数字。"));
        ui_->collectedEdit->setFocus();
        return false;
    }
    form_->collected = collected;
    form_->date = ui_->dateEdit->dateTime();
    form_->nurse = ui_->nurseCombo->currentIndex() >= 0 ? ui_->nurseCombo->currentText() : QString();
    form_->tendered = tendered_->text();
    return true;
}

void PrescriptionCheckoutDialog::methodChosen(int index)
{
    if (!form_ || !takeFields()) return;
    form_->methodChosen(index, [this](const settle::PaymentForm::Inputs& in)
                                   -> std::optional<PrescriptionCheckoutForm::PaymentAnswer> {
        const auto answer = PaymentDialog::ask(connectionPtr(), in, this);
        if (!answer) return std::nullopt;
        return PrescriptionCheckoutForm::PaymentAnswer{answer->split, answer->account, answer->paySheet};
    });
    showFields();
}

void PrescriptionCheckoutDialog::settle()
{
    if (!form_ || !takeFields()) return;
    const PrescriptionCheckoutForm::Ending ending = form_->settle();
    if (!form_->failureDetail.isEmpty()) app::setLastError("RescriptionReceiptPay", form_->failureDetail);
    if (ending == PrescriptionCheckoutForm::Ending::Accept) {
        accept();
    } else if (ending == PrescriptionCheckoutForm::Ending::Shortage) {
        StockCheckDialog check(form_->shortLines, this);
        check.setConnection(connectionPtr());
        check.runModal();
    }
}
