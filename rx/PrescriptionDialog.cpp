#include "rx/PrescriptionDialog.h"
#include "app/LastError.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "rx/PrescriptionDetail.h"
#include "rx/StockLevels.h"
#include "rx/StockCheckDialog.h"
#include "ui_PrescriptionDialog.h"
#include <QSignalBlocker>

using controls::entryOf;
using controls::chosenText;

using rx::PrescriptionForm;

namespace {

constexpr int medicineIdRole = Qt::UserRole + 1;

} // namespace

PrescriptionDialog::PrescriptionDialog(const PrescriptionForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(3042, QStringLiteral("填写处方"), parent), ui_(std::make_unique<Ui::PrescriptionDialog>()),
      inputs_(inputs)
{
    ui_->setupUi(this);
    CStripedListCtrl* list = ui_->lineList;
    const QList<QPair<QString, int>> columns{
        {QStringLiteral("药品名称"), 100}, {QStringLiteral("规格"), 80},     {QStringLiteral("单位"), 50},
        {QStringLiteral("单价"), 85},      {QStringLiteral("数量"), 80},     {QStringLiteral("金额"), 80},
        {QStringLiteral("类别"), 50},      {QStringLiteral("服用方式"), 100}, {QStringLiteral("每次用量"), 100},
        {QStringLiteral("每日次数"), 100}, {QStringLiteral("医保类型"), 0},  {QStringLiteral("备注"), 0},
        {QStringLiteral("ID"), 0}};
    for (const auto& [heading, width] : columns) list->insertColumn(list->columnCount(), heading, width);
    for (int column = 10; column < 13; ++column) list->setColumnHidden(column, true);

    connect(ui_->medicineTree, &QTreeWidget::itemClicked, this, &PrescriptionDialog::medicinePicked);
    connect(ui_->medicineTree, &QTreeWidget::currentItemChanged, this, &PrescriptionDialog::medicinePicked);
    connect(ui_->medicineTree, &QTreeWidget::itemDoubleClicked, this, &PrescriptionDialog::medicineDoubleClicked);
    connect(ui_->categoryCombo, &QComboBox::activated, this, &PrescriptionDialog::categoryChosen);
    connect(ui_->nameCombo, &QComboBox::activated, this, &PrescriptionDialog::nameChosen);
    connect(ui_->specCombo, &QComboBox::activated, this, &PrescriptionDialog::specChosen);
    connect(ui_->doctorCombo, &QComboBox::activated, this, &PrescriptionDialog::doctorChosen);
    connect(ui_->quantitySpin, &QuantitySpin::stepRequested, this, &PrescriptionDialog::quantityStepped);
    connect(ui_->quantitySpin, &QDoubleSpinBox::valueChanged, this, &PrescriptionDialog::quantityTyped);
    connect(list, &QTableWidget::itemSelectionChanged, this, &PrescriptionDialog::rowClicked);
    connect(ui_->addButton, &QPushButton::clicked, this, &PrescriptionDialog::add);
    connect(ui_->modifyButton, &QPushButton::clicked, this, &PrescriptionDialog::modify);
    connect(ui_->deleteButton, &QPushButton::clicked, this, &PrescriptionDialog::remove);
    connect(ui_->okButton, &QPushButton::clicked, this, &PrescriptionDialog::save);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

PrescriptionDialog::~PrescriptionDialog() = default;

void PrescriptionDialog::initDialog()
{
    form_ = std::make_unique<PrescriptionForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    ui_->dateEdit->setEnabled(form_->dateEnabled());
    const bool walkIn = form_->isWalkIn();
    // A case-record patient is named by the record; a walk-in patient's name, sex and age are
    // entered here, and the cashier takes the money at once.
    ui_->patientEdit->setReadOnly(!walkIn);
    for (QWidget* w : {static_cast<QWidget*>(ui_->cashierLabel), static_cast<QWidget*>(ui_->cashierEdit),
                       static_cast<QWidget*>(ui_->sexLabel), static_cast<QWidget*>(ui_->sexCombo),
                       static_cast<QWidget*>(ui_->ageLabel), static_cast<QWidget*>(ui_->ageSpin)})
        w->setVisible(walkIn);
    ui_->patientNumberLabel->setVisible(!walkIn);
    ui_->patientNumberEdit->setVisible(!walkIn);
    ui_->patientNumberEdit->setText(inputs_.patientNumber);

    const QSignalBlocker blockTree(ui_->medicineTree);
    ui_->medicineTree->setColumnCount(form_->showStock ? 2 : 1);
    for (const rx::MedicineCategory& category : form_->tree) {
        auto* root = new QTreeWidgetItem(ui_->medicineTree, {category.name});
        for (const rx::Medicine& m : category.medicines) {
            auto* item = new QTreeWidgetItem(root, {rx::medicineText(m)});
            if (form_->showStock)
                item->setText(1, QStringLiteral("库存 %1").arg(form_->stock.value(rx::medicineKey(m.name, m.spec)), 0, 'g', 10));
            item->setData(0, medicineIdRole, m.id);
        }
    }
    ui_->doctorCombo->addItems(form_->doctors);
    ui_->nurseCombo->addItems(form_->nurses);
    refill(ui_->categoryCombo, form_->categories, QString());
    refill(ui_->nameCombo, form_->names, QString());
    refill(ui_->usageCombo, form_->usages, QString());
    refill(ui_->doseCombo, form_->doses, QString());
    refill(ui_->dailyCombo, form_->daily, QString());
    showHeader();
    showEntry();
    showLines();
}

void PrescriptionDialog::refill(QComboBox* combo, const QStringList& items, const QString& text)
{
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

void PrescriptionDialog::takeHeader()
{
    PrescriptionForm::Header& h = form_->header;
    h.patientName = ui_->patientEdit->text();
    h.date = ui_->dateEdit->dateTime();
    h.doctorName = chosenText(ui_->doctorCombo);
    h.nurse = chosenText(ui_->nurseCombo);
    h.sex = ui_->sexCombo->currentText();
    h.age = ui_->ageSpin->value();
}

void PrescriptionDialog::takeEntry()
{
    PrescriptionForm::Entry& e = form_->entry;
    e.category = ui_->categoryCombo->currentText();
    e.name = ui_->nameCombo->currentText();
    e.spec = ui_->specCombo->currentText();
    e.quantity = ui_->quantitySpin->value();
    e.usage = ui_->usageCombo->currentText();
    e.dose = ui_->doseCombo->currentText();
    e.timesPerDay = ui_->dailyCombo->currentText();
    e.remark = ui_->remarkEdit->text();
}

void PrescriptionDialog::showHeader()
{
    const PrescriptionForm::Header& h = form_->header;
    ui_->patientEdit->setText(h.patientName);
    ui_->dateEdit->setDateTime(h.date);
    ui_->doctorCombo->setCurrentIndex(entryOf(ui_->doctorCombo, h.doctorName));
    ui_->nurseCombo->setCurrentIndex(entryOf(ui_->nurseCombo, h.nurse));
    ui_->doctorNumberEdit->setText(h.doctorNumber);
    ui_->departmentEdit->setText(h.department);
    ui_->cashierEdit->setText(h.cashier);
    ui_->sexCombo->setCurrentIndex(std::max(0, ui_->sexCombo->findText(h.sex)));
    ui_->ageSpin->setValue(h.age);
    ui_->totalEdit->setText(money::format2(h.total));
}

void PrescriptionDialog::showEntry()
{
    showing_ = true;
    const PrescriptionForm::Entry& e = form_->entry;
    for (const auto& [combo, text] : {std::pair{ui_->categoryCombo, e.category}, std::pair{ui_->nameCombo, e.name},
                                      std::pair{ui_->specCombo, e.spec}, std::pair{ui_->usageCombo, e.usage},
                                      std::pair{ui_->doseCombo, e.dose}, std::pair{ui_->dailyCombo, e.timesPerDay}}) {
        const QSignalBlocker block(combo);
        const int index = entryOf(combo, text);
        combo->setCurrentIndex(index);
        if (index < 0) combo->setEditText(text);
    }
    ui_->unitEdit->setText(e.unit);
    ui_->priceEdit->setText(money::format2(e.price));
    ui_->quantitySpin->setValue(e.quantity);
    ui_->amountEdit->setText(money::format2(e.amount));
    ui_->remarkEdit->setText(e.remark);
    showing_ = false;
}

void PrescriptionDialog::showLines()
{
    CStripedListCtrl* list = ui_->lineList;
    const QSignalBlocker block(list);
    list->deleteAllItems();
    const QList<QStringList> rows = form_->rows();
    for (int r = 0; r < rows.size(); ++r) {
        const int row = list->insertItem(list->itemCount(), rows[r][0]);
        for (int column = 1; column < rows[r].size(); ++column) list->setItemText(row, column, rows[r][column]);
        list->setItemData(row, r); // the form's row, whatever order the list is sorted in
    }
    ui_->totalEdit->setText(money::format2(form_->header.total));
    const bool chosen = form_->selectedRow() >= 0;
    ui_->modifyButton->setEnabled(chosen);
    ui_->deleteButton->setEnabled(chosen);
}

void PrescriptionDialog::medicinePicked(QTreeWidgetItem* item)
{
    if (!form_ || !item || !item->data(0, medicineIdRole).isValid()) return;
    form_->chooseMedicine(item->data(0, medicineIdRole).toLongLong());
    showEntry();
}

void PrescriptionDialog::medicineDoubleClicked(QTreeWidgetItem* item)
{
    if (!form_ || !item || !item->data(0, medicineIdRole).isValid()) return;
    medicinePicked(item);
    add();
}

void PrescriptionDialog::categoryChosen(int index)
{
    takeEntry();
    form_->chooseCategory(ui_->categoryCombo->itemText(index));
    refill(ui_->nameCombo, form_->names, QString());
    form_->entry.name.clear();
    showEntry();
}

void PrescriptionDialog::nameChosen(int index)
{
    takeEntry();
    form_->chooseName(ui_->nameCombo->itemText(index));
    refill(ui_->specCombo, form_->specs, QString());
    form_->entry.spec.clear();
    showEntry();
}

void PrescriptionDialog::specChosen(int index)
{
    takeEntry();
    form_->chooseSpec(ui_->specCombo->itemText(index));
    refill(ui_->doseCombo, form_->doses, QString());
    refill(ui_->dailyCombo, form_->daily, QString());
    showEntry();
}

void PrescriptionDialog::doctorChosen(int index)
{
    takeHeader();
    form_->selectDoctor(index, ui_->doctorCombo->itemText(index));
    showHeader();
}

void PrescriptionDialog::quantityStepped(int steps)
{
    takeEntry();
    form_->stepQuantity(steps);
    showEntry();
}

void PrescriptionDialog::quantityTyped()
{
    if (showing_ || !form_) return;
    form_->entry.quantity = ui_->quantitySpin->value();
    form_->quantityChanged();
    ui_->amountEdit->setText(money::format2(form_->entry.amount));
}

void PrescriptionDialog::rowClicked()
{
    const int row = ui_->lineList->selectedRow();
    form_->selectRow(row < 0 ? -1 : static_cast<int>(ui_->lineList->itemData(row)));
    if (form_->selectedRow() >= 0) showEntry();
    ui_->modifyButton->setEnabled(form_->selectedRow() >= 0);
    ui_->deleteButton->setEnabled(form_->selectedRow() >= 0);
}

void PrescriptionDialog::add()
{
    takeEntry();
    form_->add();
    showLines();
    showEntry();
}

void PrescriptionDialog::modify()
{
    takeEntry();
    if (form_->modify()) showLines();
}

void PrescriptionDialog::remove()
{
    if (form_->remove()) {
        showLines();
        showEntry();
    }
}

void PrescriptionDialog::save()
{
    takeHeader();
    takeEntry();
    const PrescriptionForm::Ending ending = form_->save();
    if (!form_->failure.isEmpty()) app::setLastError("MedicineRescriptionSet", form_->failure);
    if (ending == PrescriptionForm::Ending::Accept) {
        accept();
    } else if (ending == PrescriptionForm::Ending::Shortage) {
        StockCheckDialog check(form_->shortLines, this);
        check.setConnection(connectionPtr());
        check.runModal();
    }
}
