#include "receipt/StandardReceiptDialog.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "receipt/StandardItemEntryFields.h"
#include "settle/ApprovedRateDialog.h"
#include "discount/StandardDiscountTypes.h"
#include "ui_StandardReceiptDialog.h"

using controls::entryOf;

using receipt::StandardReceiptForm;

namespace {

// The list's columns: 打折, 折扣 and 应收金额 only while discounting is on.
void setColumns(CStripedListCtrl* list, bool discounts)
{
    const QStringList headings{QStringLiteral("类别"), QStringLiteral("项目"), QStringLiteral("单位"),
                               QStringLiteral("标准"), QStringLiteral("数量"), QStringLiteral("打折"),
                               QStringLiteral("折扣"), QStringLiteral("金额"), QStringLiteral("应收金额")};
    const QList<int> widths = discounts ? QList<int>{80, 150, 40, 85, 80, 60, 50, 105, 120}
                                        : QList<int>{80, 150, 40, 85, 80, 0, 0, 105, 0};
    if (list->columnCount() == 0)
        for (int i = 0; i < headings.size(); ++i) list->insertColumn(i, headings[i], widths[i]);
    for (int i = 0; i < headings.size(); ++i) {
        list->setColumnWidth(i, widths[i]);
        list->setColumnHidden(i, widths[i] == 0);
    }
}

} // namespace

StandardReceiptDialog::StandardReceiptDialog(const StandardReceiptForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(2012, QStringLiteral("填写收据"), parent), ui_(std::make_unique<Ui::StandardReceiptDialog>()),
      inputs_(inputs)
{
    ui_->setupUi(this);
    ui_->discountTypeCombo->addItems(settle::standardDiscountTypeTexts());
    connect(ui_->doctorCombo, &QComboBox::activated, this, [this](int index) {
        if (!takeFields()) return;
        form_->selectDoctor(index, ui_->doctorCombo->itemText(index));
        showFields();
    });
    ui_->discountSpin->onStep = [this](int steps) {
        if (takeFields()) form_->discountStepped(steps), showFields();
    };
    connect(ui_->discountSpin, &QAbstractSpinBox::editingFinished, this, [this] {
        if (takeFields()) form_->discountLeft(), showFields();
    });
    connect(ui_->discountTypeCombo, &QComboBox::activated, this, &StandardReceiptDialog::typeChosen);
    entry_ = new StandardItemEntryFields(
        this, {.form = [this]() -> receipt::StandardItemEntry* { return form_.get(); },
               .take = [this] { return takeFields(); },
               .show = [this] { showFields(); },
               .amountChanged = [this] { form_->amountChanged(); },
               .submit = [this] { submit(); },
               .guarded = [](const std::function<void()>& fn) { return guarded(fn); }});
    connect(ui_->submitButton, &QPushButton::clicked, this, &StandardReceiptDialog::submit);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

StandardReceiptDialog::~StandardReceiptDialog() = default;

qint64 StandardReceiptDialog::receiptId() const { return form_ ? form_->receiptId() : inputs_.receiptId; }
QString StandardReceiptDialog::lastFailure() const { return form_ ? form_->lastFailure : QString(); }

void StandardReceiptDialog::initDialog()
{
    form_ = std::make_unique<StandardReceiptForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->nurseCombo->addItems(form_->nurses);
    ui_->classCombo->addItems(form_->classes);
    ui_->classCombo->setCurrentIndex(-1);
    ui_->dateEdit->setEnabled(form_->dateEnabled);
    ui_->refundCheck->setVisible(form_->refundVisible);
    entry_->open(connectionPtr(), form_->header.department, true, receipt::CatalogueOrder::Unsorted);
    showFields();
}

bool StandardReceiptDialog::takeFields()
{
    if (!form_ || showing_) return false;
    if (!entry_->read(form_->entry)) return false;
    receipt::StandardReceiptHeader& h = form_->header;
    h.date = ui_->dateEdit->dateTime();
    // A doctor or nurse the host named but the lists do not hold stays as the host named them.
    if (ui_->doctorCombo->currentIndex() >= 0) h.doctorName = ui_->doctorCombo->currentText();
    if (ui_->nurseCombo->currentIndex() >= 0) h.nurse = ui_->nurseCombo->currentText();
    h.remark = ui_->remarkEdit->text();
    h.refund = ui_->refundCheck->isChecked() ? 1 : 0;
    form_->entry.discount = ui_->discountSpin->value();
    return true;
}

void StandardReceiptDialog::showFields()
{
    if (!form_) return;
    showing_ = true;
    const receipt::StandardReceiptHeader& h = form_->header;
    const receipt::ItemEntry& e = form_->entry;
    ui_->patientEdit->setText(h.patientName);
    ui_->patientNumberEdit->setText(inputs_.patientNumber);
    ui_->dateEdit->setDateTime(h.date);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, h.doctorName));
    ui_->numberEdit->setText(h.doctorNumber);
    ui_->departmentEdit->setText(h.department);
    ui_->nurseCombo->setCurrentIndex(entryOf(ui_->nurseCombo, h.nurse));
    ui_->refundCheck->setChecked(h.refund == 1);
    ui_->remarkEdit->setText(h.remark);
    ui_->discountableCombo->setCurrentIndex(e.discountable ? 1 : 0);
    ui_->rateEdit->setText(money::format2(e.itemRate));
    ui_->discountSpin->setValue(e.discount);
    ui_->actualEdit->setText(money::format2(form_->actualTotal));
    ui_->receivableEdit->setText(money::format2(form_->receivableTotal));

    const bool discounts = form_->discountsShown();
    ui_->discountTypeCombo->setVisible(discounts);
    ui_->discountTypeCombo->setCurrentIndex(discounts ? form_->discountType : -1);
    ui_->discountableCombo->setVisible(discounts);
    ui_->receivableLabel->setVisible(discounts);
    ui_->receivableEdit->setVisible(discounts);
    ui_->rateLabel->setVisible(form_->rateFieldShown());
    ui_->rateEdit->setVisible(form_->rateFieldShown());
    ui_->discountLabel->setVisible(form_->discountShown());
    ui_->discountSpin->setVisible(form_->discountShown());
    ui_->discountSpin->setEnabled(form_->discountEditable());
    ui_->amountEdit->setEnabled(form_->amountEditable());
    // Without its spin under the catalogue's rates: the rate is shown, not typed.
    ui_->discountSpin->setButtonSymbols(form_->discountEditable() ? QAbstractSpinBox::UpDownArrows
                                                                  : QAbstractSpinBox::NoButtons);
    setColumns(ui_->itemList, discounts);
    entry_->show(*form_);
    showing_ = false;
}

void StandardReceiptDialog::typeChosen(int index)
{
    if (!takeFields()) return;
    std::optional<double> approved;
    // The rate a superior approved is asked for each time the type is chosen ("允许折扣值").
    if (index == settle::LeaderApprovedRate) approved = ApprovedRateDialog::ask(this);
    form_->discountTypeChanged(index, approved);
    showFields();
}

void StandardReceiptDialog::submit()
{
    if (!takeFields()) return;
    const StandardReceiptForm::Ending ending = form_->submit();
    showFields();
    if (ending == StandardReceiptForm::Ending::Accept) accept();
}
