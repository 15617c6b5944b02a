#include "receipt/StandardItemEntry.h"

namespace receipt {

StandardItemEntry::StandardItemEntry(Rules rules) : rules_(rules)
{
    if (!rules_.takesDiscounts) entry.discountable = 0;
}

double StandardItemEntry::amountOf(double rate) const
{
    const double line = entry.price * entry.quantity;
    return entry.discountable && discountType >= 0 ? line * rate : line;
}

void StandardItemEntry::itemLoaded(const CatalogueItem& item)
{
    entry.className = item.className;
    entry.itemName = item.name;
    entry.unit = item.unit;
    entry.price = item.price;
    entry.remark = item.remark;
    if (!rules_.takesDiscounts) {
        entry.discountable = 0;
        entry.itemRate = 1.0;
    } else {
        entry.discountable = item.discountable ? 1 : 0;
        // The types 0 and 1 put their one rate on every item; the others start from the catalogue.
        if (!rateFieldShown()) entry.itemRate = item.discountable ? item.rate : 1.0;
    }
    entry.discount = entry.itemRate;
    if (entry.quantity <= 0.0) entry.quantity = 1.0;
    entry.amount = amountOf(entry.itemRate);
    addEnabled = selectedRow < 0;
    modifyEnabled = selectedRow >= 0;
}

void StandardItemEntry::quantityChanged()
{
    entry.amount = amountOf(entry.itemRate);
    modifyEnabled = selectedRow >= 0;
}

void StandardItemEntry::quantityStepped(int steps)
{
    entry.quantity += steps;
    if (entry.quantity <= 1.0) entry.quantity = 1.0;
    quantityChanged();
}

StandardItem StandardItemEntry::entryAsItem() const
{
    StandardItem item;
    item.className = entry.className;
    item.name = entry.itemName;
    item.unit = entry.unit;
    item.remark = entry.remark;
    item.unitPrice = entry.price;
    item.quantity = entry.quantity;
    item.discountable = entry.discountable;
    item.rate = entry.discountable ? entry.itemRate : 1.0;
    item.discountedAmount = entry.amount;
    item.undiscountedAmount = entry.price * entry.quantity;
    item.date = lineDate();
    return item;
}

// Empties the entry for the next item. The receipt's rates stay (under the types 0 and 1 they
// are its one rate); the walk-in sheet's go back to no discount.
void StandardItemEntry::clearEntry()
{
    if (!rules_.classStays) entry.className.clear();
    entry.itemName.clear();
    entry.unit.clear();
    entry.remark.clear();
    entry.price = entry.quantity = entry.amount = 0.0;
    if (!rules_.takesDiscounts) {
        entry.discountable = 0;
        entry.itemRate = entry.discount = 1.0;
    }
}

void StandardItemEntry::listButtonsOff()
{
    addEnabled = modifyEnabled = deleteEnabled = false;
    selectedRow = -1;
}

void StandardItemEntry::add()
{
    if (entry.itemName.isEmpty()) return; // nothing loaded to add
    items.add(entryAsItem());
    clearEntry();
    if (rules_.takesDiscounts) entry.discountable = 1;
    linesChanged();
    listButtonsOff();
}

void StandardItemEntry::rowClicked(int row)
{
    if (row < 0 || row >= items.size()) return;
    selectedRow = row;
    const StandardItem& item = items.at(row);
    entry.className = item.className;
    entry.itemName = item.name;
    entry.unit = item.unit;
    entry.price = item.unitPrice;
    entry.quantity = item.quantity;
    entry.amount = item.discountedAmount;
    entry.discountable = item.discountable;
    // The rate as the 折扣 column shows it: 1 for a line that takes no discount.
    if (!rateFieldShown()) entry.discount = entry.itemRate = item.discountable ? item.rate : 1.0;
    deleteEnabled = true;
    addEnabled = modifyEnabled = false;
}

void StandardItemEntry::modify()
{
    if (selectedRow < 0 || selectedRow >= items.size()) return;
    items.replace(selectedRow, entryAsItem());
    linesChanged();
    listButtonsOff();
}

void StandardItemEntry::remove()
{
    if (selectedRow < 0 || selectedRow >= items.size()) return;
    items.remove(selectedRow);
    linesChanged();
    listButtonsOff();
    clearEntry();
}

} // namespace receipt
