#pragma once
#include "receipt/Catalogue.h"
#include "receipt/StandardItems.h"
#include <QDateTime>
#include <QString>

namespace receipt {

// The entry area of the item dialogs: the catalogue item being added or changed.
struct ItemEntry {
    QString className; // 类别
    QString itemName;  // 项目
    QString unit;      // 单 位
    QString remark;    // the catalogue's remark
    double price = 0.0;    // 标准
    double quantity = 0.0; // 数  量
    double amount = 0.0;   // 金  额
    int discountable = 1;  // "该项可打折"
    double itemRate = 1.0; // the rate field; with the types 0 and 1 the rate of every item
    double discount = 1.0; // 折扣 (types 2 and 3)
};

// What the two catalogue item dialogs (the standard-item receipt and the walk-in standard fee)
// share: the entry area, the item list behind it, and the cycle of its three list buttons.
// Loading an item, changing its quantity, adding, picking, changing and deleting a row work the
// same in both; the forms differ only in the rules below, and in what they do once the lines
// changed (their totals).
class StandardItemEntry {
public:
    struct Rules {
        // The walk-in sheet takes no discounts: its lines are stored as not discountable at the
        // full rate whatever the catalogue says.
        bool takesDiscounts = true;
        // After an add or a delete the receipt keeps the class for the next item; the walk-in
        // sheet clears it with the rest.
        bool classStays = true;
    };

    // An item picked in the tree or the lists, or found by a search.
    void itemLoaded(const CatalogueItem& item);
    void quantityChanged();
    void quantityStepped(int steps); // the spin: up is +1
    void add();               // "录  入(&I)"
    void rowClicked(int row); // a row of the item list
    void modify();            // "修  改(&M)"
    void remove();            // "删  除(&D)"

    // The discount type (-1 off, 0..3); the walk-in sheet keeps -1.
    int discountType = -1;
    // The rate field: with the types 0 and 1, one rate for every item.
    bool rateFieldShown() const { return discountType == 0 || discountType == 1; }

    ItemEntry entry;
    StandardItemList items;
    int selectedRow = -1;
    bool addEnabled = false, modifyEnabled = false, deleteEnabled = false;

protected:
    explicit StandardItemEntry(Rules rules);
    virtual ~StandardItemEntry() = default;
    StandardItemEntry(const StandardItemEntry&) = delete;
    StandardItemEntry& operator=(const StandardItemEntry&) = delete;

    // The line's amount at a rate: only a discountable item with discounting on takes it.
    double amountOf(double rate) const;
    void listButtonsOff();

    // The form's own work once lines were added, changed or removed (totals).
    virtual void linesChanged() = 0;
    // The date a new or changed line is stored with: the dialog's date.
    virtual QDateTime lineDate() const = 0;

private:
    StandardItem entryAsItem() const;
    void clearEntry();

    Rules rules_;
};

} // namespace receipt
