#include "walkin/WalkinStandardFeeDialog.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "receipt/StandardItemEntryFields.h"
#include "settle/TenderedBox.h"
#include "ui_WalkinStandardFeeDialog.h"

using controls::entryOf;

using walkin::WalkinStandardFeeForm;

WalkinStandardFeeDialog::WalkinStandardFeeDialog(const WalkinStandardFeeForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(3007, QStringLiteral("无病案标准收费"), parent), ui_(std::make_unique<Ui::WalkinStandardFeeDialog>()),
      inputs_(inputs)
{
    ui_->setupUi(this);
    const QStringList headings{QStringLiteral("类别"), QStringLiteral("项目"), QStringLiteral("单位"), QStringLiteral("标准"),
                               QStringLiteral("数量"), QStringLiteral("打折"), QStringLiteral("折扣"), QStringLiteral("金额")};
    const QList<int> widths{90, 190, 60, 85, 80, 0, 0, 75};
    for (int i = 0; i < headings.size(); ++i) {
        ui_->itemList->insertColumn(i, headings[i], widths[i]);
        ui_->itemList->setColumnHidden(i, widths[i] == 0);
    }
    connect(ui_->doctorCombo, &QComboBox::activated, this, [this](int index) {
        if (!takeFields()) return;
        form_->selectDoctor(index, ui_->doctorCombo->itemText(index));
        showFields();
    });
    entry_ = new StandardItemEntryFields(
        this, {.form = [this]() -> receipt::StandardItemEntry* { return form_.get(); },
               .take = [this] { return takeFields(); },
               .show = [this] { showFields(); },
               .amountChanged = [this] { form_->amountChanged(); },
               .submit = [this] { settle(); },
               .guarded = [](const std::function<void()>& fn) { return guarded(fn); }});
    tendered_ = new TenderedBox(this);
    ui_->mainLayout->insertWidget(ui_->mainLayout->count() - 1, tendered_);
    connect(ui_->okButton, &QPushButton::clicked, this, &WalkinStandardFeeDialog::settle);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

WalkinStandardFeeDialog::~WalkinStandardFeeDialog() = default;

qint64 WalkinStandardFeeDialog::sheetId() const { return form_ ? form_->sheetId() : inputs_.sheetId; }
QString WalkinStandardFeeDialog::lastFailure() const { return form_ ? form_->lastFailure : QString(); }

void WalkinStandardFeeDialog::initDialog()
{
    form_ = std::make_unique<WalkinStandardFeeForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->nurseCombo->addItems(form_->nurses);
    ui_->departmentCombo->addItems(form_->departments);
    ui_->classCombo->addItems(form_->classes);
    ui_->classCombo->setCurrentIndex(-1);
    ui_->dateEdit->setEnabled(form_->dateEnabled);
    // Items of a class in catalogue order, no class search: this dialog's variant of the look-ups.
    entry_->open(connectionPtr(), form_->sheet.department, false, receipt::CatalogueOrder::Sorted);
    showFields();
}

bool WalkinStandardFeeDialog::takeFields()
{
    if (!form_ || showing_) return false;
    if (!entry_->read(form_->entry)) return false;
    walkin::WalkinStandardSheet& s = form_->sheet;
    s.patientName = ui_->patientEdit->text();
    s.sex = ui_->sexCombo->currentText();
    s.age = ui_->ageSpin->value();
    s.date = ui_->dateEdit->dateTime();
    if (ui_->doctorCombo->currentIndex() >= 0) s.doctorName = ui_->doctorCombo->currentText();
    if (ui_->departmentCombo->currentIndex() >= 0) s.department = ui_->departmentCombo->currentText();
    if (ui_->nurseCombo->currentIndex() >= 0) s.nurse = ui_->nurseCombo->currentText();
    s.remark = ui_->remarkEdit->text();
    form_->tendered = tendered_->text();
    return true;
}

void WalkinStandardFeeDialog::showFields()
{
    if (!form_) return;
    showing_ = true;
    const walkin::WalkinStandardSheet& s = form_->sheet;
    ui_->patientEdit->setText(s.patientName);
    ui_->sexCombo->setCurrentIndex(s.sex.isEmpty() ? 0 : qMax(0, ui_->sexCombo->findText(s.sex)));
    ui_->ageSpin->setValue(s.age);
    ui_->dateEdit->setDateTime(s.date);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, s.doctorName));
    ui_->numberEdit->setText(s.doctorNumber);
    ui_->departmentCombo->setCurrentIndex(entryOf(ui_->departmentCombo, s.department));
    ui_->nurseCombo->setCurrentIndex(entryOf(ui_->nurseCombo, s.nurse));
    ui_->cashierEdit->setText(s.cashier);
    ui_->remarkEdit->setText(s.remark);
    ui_->totalEdit->setText(money::format2(form_->total));
    tendered_->setCashDue(form_->isNew() ? money::toFen(form_->total) : 0);
    entry_->show(*form_);
    showing_ = false;
}

void WalkinStandardFeeDialog::settle()
{
    if (!takeFields()) return;
    const WalkinStandardFeeForm::Ending ending = form_->settle();
    showFields();
    if (ending == WalkinStandardFeeForm::Ending::Accept) {
        ui_->okButton->setEnabled(false);
        accept();
    }
}
