#include "receipt/StandardItemEntryFields.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "controls/CatalogueSearchHelper.h"
#include "controls/CatalogueTreeView.h"
#include "controls/FieldText.h"
#include "controls/StepSpinBox.h"
#include "controls/StripedListCtrl.h"
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <stdexcept>

namespace {

template <typename T> T* child(QWidget* dialog, const char* name)
{
    T* widget = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!widget) throw std::logic_error(std::string("item entry without its ") + name);
    return widget;
}

} // namespace

StandardItemEntryFields::StandardItemEntryFields(QWidget* dialog, Hooks hooks)
    : QObject(dialog), dialog_(dialog), hooks_(std::move(hooks))
{
    class_ = child<QComboBox>(dialog, "classCombo");
    item_ = child<QComboBox>(dialog, "itemCombo");
    unit_ = child<QLineEdit>(dialog, "unitEdit");
    price_ = child<QLineEdit>(dialog, "priceEdit");
    quantity_ = child<StepSpinBox>(dialog, "quantitySpin");
    amount_ = child<QLineEdit>(dialog, "amountEdit");
    add_ = child<QPushButton>(dialog, "addButton");
    modify_ = child<QPushButton>(dialog, "modifyButton");
    delete_ = child<QPushButton>(dialog, "deleteButton");
    list_ = child<CStripedListCtrl>(dialog, "itemList");
    tree_ = child<CatalogueTreeView>(dialog, "catalogueTree");
    // The list is as wide as the dialog gives it: 数量 and 金额 never go behind a scroll bar.
    list_->setColumnsFitWidth(true);

    using Entry = receipt::StandardItemEntry;
    connect(quantity_, &QAbstractSpinBox::editingFinished, this, [this] { run(&Entry::quantityChanged); });
    quantity_->onStep = [this](int steps) {
        if (hooks_.take()) hooks_.form()->quantityStepped(steps), hooks_.show();
    };
    connect(amount_, &QLineEdit::editingFinished, this, [this] {
        if (hooks_.take()) hooks_.amountChanged(), hooks_.show();
    });
    connect(add_, &QPushButton::clicked, this, [this] {
        run(&Entry::add);
        item_->setFocus();
    });
    connect(modify_, &QPushButton::clicked, this, [this] { run(&Entry::modify); });
    connect(delete_, &QPushButton::clicked, this, [this] { run(&Entry::remove); });
    connect(list_, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (hooks_.take()) hooks_.form()->rowClicked(row), hooks_.show();
    });
    connect(tree_, &CatalogueTreeView::itemDoubleClicked, this, &StandardItemEntryFields::treePicked);
    connect(tree_, &CatalogueTreeView::currentItemChanged, this, &StandardItemEntryFields::treePicked);
}

void StandardItemEntryFields::run(void (receipt::StandardItemEntry::*handler)())
{
    if (!hooks_.take()) return;
    (hooks_.form()->*handler)();
    hooks_.show();
}

void StandardItemEntryFields::open(const db::ConnectionPtr& connection, const QString& department,
                                   bool withClassSearch, receipt::CatalogueOrder order)
{
    connection_ = connection;
    auto* search = new CatalogueSearchHelper(connection, class_, item_, dialog_, withClassSearch);
    connect(search, &CatalogueSearchHelper::itemLoaded, this, &StandardItemEntryFields::itemLoaded);
    connect(search, &CatalogueSearchHelper::addEntryRequested, add_, &QPushButton::click);
    connect(search, &CatalogueSearchHelper::submitRequested, this, [this] { hooks_.submit(); });
    tree_->load(*connection, department, order);
}

void StandardItemEntryFields::itemLoaded(const receipt::CatalogueItem& item)
{
    if (!hooks_.take()) return;
    hooks_.form()->itemLoaded(item);
    hooks_.show();
}

void StandardItemEntryFields::treePicked(qint64 id)
{
    if (id <= 0 || !connection_) return;
    std::optional<receipt::CatalogueItem> item;
    hooks_.guarded([&] { item = receipt::ItemById(*connection_, id); });
    if (item) itemLoaded(*item);
}

bool StandardItemEntryFields::read(receipt::ItemEntry& e)
{
    double amount = 0.0;
    if (!money::parseAmount(amount_->text(), amount) || !std::isfinite(amount)) {
        Prompter::current().inform(QStringLiteral("请输入一个数字。"));
        amount_->setFocus();
        return false;
    }
    e.className = class_->currentText();
    e.itemName = item_->currentText();
    e.quantity = quantity_->value();
    e.amount = amount;
    return true;
}

void StandardItemEntryFields::show(const receipt::StandardItemEntry& form)
{
    const receipt::ItemEntry& e = form.entry;
    class_->setEditText(e.className);
    item_->setEditText(e.itemName);
    unit_->setText(e.unit);
    price_->setText(money::format2(e.price));
    quantity_->setValue(e.quantity);
    controls::showAmount(amount_, e.amount);
    add_->setEnabled(form.addEnabled);
    modify_->setEnabled(form.modifyEnabled);
    delete_->setEnabled(form.deleteEnabled);

    list_->deleteAllItems();
    for (int row = 0; row < form.items.size(); ++row) {
        const QStringList cells = receipt::cellTexts(form.items.at(row));
        list_->insertItem(row, cells[0]);
        for (int column = 1; column < cells.size() && column < list_->columnCount(); ++column)
            list_->setItemText(row, column, cells[column]);
    }
    if (form.selectedRow >= 0 && form.selectedRow < list_->itemCount()) list_->selectRow(form.selectedRow);
}
