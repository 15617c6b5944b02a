#include "walkin/WalkinStandardFeeDialog.h"
#include "common/Money.h"
#include "controls/CatalogueSearchHelper.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "ui_WalkinStandardFeeDialog.h"
#include <cmath>

using controls::entryOf;
using controls::showAmount;

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
    connect(ui_->quantitySpin, &QAbstractSpinBox::editingFinished, this, [this] {
        if (takeFields()) form_->quantityChanged(), showFields();
    });
    ui_->quantitySpin->onStep = [this](int steps) {
        if (takeFields()) form_->quantityStepped(steps), showFields();
    };
    connect(ui_->amountEdit, &QLineEdit::editingFinished, this, [this] {
        if (takeFields()) form_->amountChanged(), showFields();
    });
    connect(ui_->addButton, &QPushButton::clicked, this, [this] {
        if (takeFields()) form_->add(), showFields();
        ui_->itemCombo->setFocus();
    });
    connect(ui_->modifyButton, &QPushButton::clicked, this, [this] {
        if (takeFields()) form_->modify(), showFields();
    });
    connect(ui_->deleteButton, &QPushButton::clicked, this, [this] {
        if (takeFields()) form_->remove(), showFields();
    });
    connect(ui_->itemList, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (takeFields()) form_->rowClicked(row), showFields();
    });
    connect(ui_->catalogueTree, &CatalogueTreeView::itemDoubleClicked, this, &WalkinStandardFeeDialog::treePicked);
    connect(ui_->catalogueTree, &CatalogueTreeView::currentItemChanged, this, &WalkinStandardFeeDialog::treePicked);
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
    auto* search = new CatalogueSearchHelper(connectionPtr(), ui_->classCombo, ui_->itemCombo, this, false);
    connect(search, &CatalogueSearchHelper::itemLoaded, this, &WalkinStandardFeeDialog::itemLoaded);
    connect(search, &CatalogueSearchHelper::addEntryRequested, ui_->addButton, &QPushButton::click);
    connect(search, &CatalogueSearchHelper::submitRequested, this, &WalkinStandardFeeDialog::settle);
    ui_->catalogueTree->load(connection(), form_->sheet.department, receipt::CatalogueOrder::Sorted);
    showFields();
}

bool WalkinStandardFeeDialog::takeFields()
{
    if (!form_ || showing_) return false;
    double amount = 0.0;
    if (!money::parseAmount(ui_->amountEdit->text(), amount) || !std::isfinite(amount)) {
        inform(QStringLiteral("请输入一个数字。"));
        ui_->amountEdit->setFocus();
        return false;
    }
    walkin::WalkinStandardSheet& s = form_->sheet;
    s.patientName = ui_->patientEdit->text();
    s.sex = ui_->sexCombo->currentText();
    s.age = ui_->ageSpin->value();
    s.date = ui_->dateEdit->dateTime();
    if (ui_->doctorCombo->currentIndex() >= 0) s.doctorName = ui_->doctorCombo->currentText();
    if (ui_->departmentCombo->currentIndex() >= 0) s.department = ui_->departmentCombo->currentText();
    if (ui_->nurseCombo->currentIndex() >= 0) s.nurse = ui_->nurseCombo->currentText();
    s.remark = ui_->remarkEdit->text();
    receipt::ItemEntry& e = form_->entry;
    e.className = ui_->classCombo->currentText();
    e.itemName = ui_->itemCombo->currentText();
    e.quantity = ui_->quantitySpin->value();
    e.amount = amount;
    return true;
}

void WalkinStandardFeeDialog::showFields()
{
    if (!form_) return;
    showing_ = true;
    const walkin::WalkinStandardSheet& s = form_->sheet;
    const receipt::ItemEntry& e = form_->entry;
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
    ui_->classCombo->setEditText(e.className);
    ui_->itemCombo->setEditText(e.itemName);
    ui_->unitEdit->setText(e.unit);
    ui_->priceEdit->setText(money::format2(e.price));
    ui_->quantitySpin->setValue(e.quantity);
    showAmount(ui_->amountEdit, e.amount);
    ui_->totalEdit->setText(money::format2(form_->total));
    ui_->addButton->setEnabled(form_->addEnabled);
    ui_->modifyButton->setEnabled(form_->modifyEnabled);
    ui_->deleteButton->setEnabled(form_->deleteEnabled);

    CStripedListCtrl* list = ui_->itemList;
    list->deleteAllItems();
    for (int row = 0; row < form_->items.size(); ++row) {
        const QStringList cells = receipt::cellTexts(form_->items.at(row));
        list->insertItem(row, cells[0]);
        for (int column = 1; column < 8; ++column) list->setItemText(row, column, cells[column]);
    }
    showing_ = false;
}

void WalkinStandardFeeDialog::itemLoaded(const receipt::CatalogueItem& item)
{
    if (!takeFields()) return;
    form_->itemLoaded(item);
    showFields();
}

void WalkinStandardFeeDialog::treePicked(qint64 id)
{
    if (id <= 0) return;
    std::optional<receipt::CatalogueItem> item;
    guarded([&] { item = receipt::ItemById(connection(), id); });
    if (item) itemLoaded(*item);
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
