#pragma once
#include "admin/CashierRegister.h"
#include "db/RecordOps.h"
#include <QList>
#include <QString>
#include <array>

// The fee standard catalogue (收费标准表) and the clinic's names of the twelve fee categories,
// as a manager keeps them at the desk. Receipt lines copy an item's class, name, unit and price
// when they are written, so a price changed here reaches new receipts only. An edit is guarded
// by the row as the manager saw it.
namespace prices
{

using cashiers::Outcome;

// What the manager typed; price and rate are checked and read here.
struct ItemInput {
    QString office;    // 科室; empty: no department
    QString className; // 收费分类
    QString typeCode;
    QString name; // 收费项目
    QString itemCode;
    QString unit;
    QString price; // 单价, yuan
    QString remark;
    bool discountable = false;
    QString rate; // Discout_Value; empty reads 1
};

struct Item {
    qint64 id = 0;
    QString office, className, typeCode, name, itemCode, unit;
    double price = 0.0;
    QString remark;
    bool discountable = false;
    double rate = 1.0;
    bool retired = false;
    db::FieldValues asRead; // the row as loaded, for the guard of an edit

    ItemInput input() const;
};

QList<Item> list(db::Connection& c);
Outcome add(db::Connection& c, const ItemInput& item);
Outcome edit(db::Connection& c, const Item& loaded, const ItemInput& changed);
// An item no receipt line names is deleted; one that lines name is retired (停用): kept for
// them, no longer offered. Outcome::message says which.
Outcome retire(db::Connection& c, const Item& loaded);
// A retired item offered again.
Outcome restore(db::Connection& c, const Item& loaded);

// The twelve category labels in canonical order: the clinic's own names where it has them.
using CategoryNames = std::array<QString, 12>;
CategoryNames categoryNames(db::Connection& c);
// Saves the names that differ from `loaded`; an empty name gives the category back its default
// label. Refused when another desk renamed one of those categories since `loaded` was read.
Outcome renameCategories(db::Connection& c, const CategoryNames& loaded, const CategoryNames& names);

} // namespace prices
