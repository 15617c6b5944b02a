#pragma once
#include "db/Connection.h"
#include <QStringList>
#include <optional>

// Look-ups on the fee standard catalogue (收费标准表) shared by the item-entry dialogs.
// Each throws db::Error on a database failure; a look-up that finds nothing returns nothing,
// so the caller's fields keep their values.
namespace receipt {

struct CatalogueItem {
    qint64 id = 0;
    QString className;  // 收费分类
    QString name;       // 收费项目
    QString unit;       // 单位
    double price = 0.0; // 单价, shown as 标准
    QString remark;     // 备注
    int discountable = 0; // IS_Discount: 1 = "该项可打折"
    double rate = 1.0;    // Discout_Value; NULL reads as no discount
};

// How an item is shown in the catalogue tree: "收费项目 单位 单价 (ID)", the price "%.2f".
QString catalogueItemText(const QString& name, const QString& unit, double price, qint64 id);
// The ID in a tree node's text; 0 for a class or department node (no "(ID)" at the end).
// The last "(" counts, so an item name with brackets of its own is picked correctly.
qint64 catalogueItemId(const QString& nodeText);

// The item behind a tree node's text; nothing for a class or department node.
std::optional<CatalogueItem> itemOfNodeText(db::Connection& c, const QString& nodeText);

// The classes of the items still offered (the 类别 list of the item dialogs).
QStringList OfferedClasses(db::Connection& c);
// Item names of a class, in catalogue (ID) order.
QStringList ItemsOfClass(db::Connection& c, const QString& className);
// One item by class and name (the first in ID order).
std::optional<CatalogueItem> ItemDetails(db::Connection& c, const QString& className, const QString& itemName);
// One item by its ID.
std::optional<CatalogueItem> ItemById(db::Connection& c, qint64 id);

// Classes whose name or class code starts with the typed text ("%" and "_" act as
// wildcards), each once, in catalogue order.
QStringList SearchClasses(db::Connection& c, const QString& typed);

struct ItemSearchResult {
    QStringList items;                 // what the 项目 list shows afterwards
    std::optional<CatalogueItem> item; // the item loaded into the entry fields, if any
};
// The item search of the Enter key: an item whose name or code is the typed text is loaded
// (the first in ID order, so a code equal to another item's name loads whichever comes
// first) and the list stays empty; otherwise the list gets every item whose name or code
// contains the text, and the first item whose name or code starts with it is loaded.
ItemSearchResult SearchItems(db::Connection& c, const QString& typed);

} // namespace receipt
