#include "receipt/StandardReceiptDialog.h"
#include "common/Money.h"
#include "controls/CatalogueSearchHelper.h"
#include "controls/FieldText.h"
#include "db/TextMatch.h"
#include "settle/ApprovedRateDialog.h"
#include "discount/StandardDiscountTypes.h"
#include "ui_StandardReceiptDialog.h"
#include <cmath>

using controls::entryOf;
using controls::showAmount;

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
    connect(ui_->quantitySpin, &QAbstractSpinBox::editingFinished, this, [this] {
        if (takeFields()) form_->quantityChanged(), showFields();
    });
    ui_->quantitySpin->onStep = [this](int steps) {
        if (takeFields()) form_->quantityStepped(steps), showFields();
    };
    connect(ui_->amountEdit, &QLineEdit::editingFinished, this, [this] {
        if (takeFields()) form_->amountChanged(), showFields();
    });
    ui_->discountSpin->onStep = [this](int steps) {
        if (takeFields()) form_->discountStepped(steps), showFields();
    };
    connect(ui_->discountSpin, &QAbstractSpinBox::editingFinished, this, [this] {
        if (takeFields()) form_->discountLeft(), showFields();
    });
    connect(ui_->discountTypeCombo, &QComboBox::activated, this, &StandardReceiptDialog::typeChosen);
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
    connect(ui_->catalogueTree, &CatalogueTreeView::itemDoubleClicked, this, &StandardReceiptDialog::treePicked);
    connect(ui_->catalogueTree, &CatalogueTreeView::currentItemChanged, this, &StandardReceiptDialog::treePicked);
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
    search_ = new CatalogueSearchHelper(connectionPtr(), ui_->classCombo, ui_->itemCombo, this);
    connect(search_, &CatalogueSearchHelper::itemLoaded, this, &StandardReceiptDialog::itemLoaded);
    connect(search_, &CatalogueSearchHelper::addEntryRequested, ui_->addButton, &QPushButton::click);
    connect(search_, &CatalogueSearchHelper::submitRequested, this, &StandardReceiptDialog::submit);
    ui_->catalogueTree->load(connection(), form_->header.department);
    showFields();
}

bool StandardReceiptDialog::takeFields()
{
    if (!form_ || showing_) return false;
    double amount = 0.0;
    if (!money::parseAmount(ui_->amountEdit->text(), amount) || !std::isfinite(amount)) {
        inform(QStringLiteral("请输入一个数字。"));
        ui_->amountEdit->setFocus();
        return false;
    }
    receipt::StandardReceiptHeader& h = form_->header;
    h.date = ui_->dateEdit->dateTime();
    // A doctor or nurse the host named but the lists do not hold stays as the host named them.
    if (ui_->doctorCombo->currentIndex() >= 0) h.doctorName = ui_->doctorCombo->currentText();
    if (ui_->nurseCombo->currentIndex() >= 0) h.nurse = ui_->nurseCombo->currentText();
    h.remark = ui_->remarkEdit->text();
    h.refund = ui_->refundCheck->isChecked() ? 1 : 0;
    receipt::ItemEntry& e = form_->entry;
    e.className = ui_->classCombo->currentText();
    e.itemName = ui_->itemCombo->currentText();
    e.quantity = ui_->quantitySpin->value();
    e.amount = amount;
    e.discount = ui_->discountSpin->value();
    return true;
}

void StandardReceiptDialog::showList()
{
    CStripedListCtrl* list = ui_->itemList;
    setColumns(list, form_->discountsShown());
    list->deleteAllItems();
    for (int row = 0; row < form_->items.size(); ++row) {
        const QStringList cells = receipt::cellTexts(form_->items.at(row));
        list->insertItem(row, cells[0]);
        for (int column = 1; column < cells.size(); ++column) list->setItemText(row, column, cells[column]);
    }
    if (form_->selectedRow >= 0 && form_->selectedRow < list->itemCount()) list->selectRow(form_->selectedRow);
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
    ui_->classCombo->setEditText(e.className);
    ui_->itemCombo->setEditText(e.itemName);
    ui_->unitEdit->setText(e.unit);
    ui_->priceEdit->setText(money::format2(e.price));
    ui_->quantitySpin->setValue(e.quantity);
    showAmount(ui_->amountEdit, e.amount);
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
    ui_->addButton->setEnabled(form_->addEnabled);
    ui_->modifyButton->setEnabled(form_->modifyEnabled);
    ui_->deleteButton->setEnabled(form_->deleteEnabled);
    showList();
    showing_ = false;
}

void StandardReceiptDialog::itemLoaded(const receipt::CatalogueItem& item)
{
    if (!takeFields()) return;
    form_->itemLoaded(item);
    showFields();
}

void StandardReceiptDialog::treePicked(qint64 id)
{
    if (id <= 0) return;
    std::optional<receipt::CatalogueItem> item;
    guarded([&] { item = receipt::ItemById(connection(), id); });
    if (item) itemLoaded(*item);
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
