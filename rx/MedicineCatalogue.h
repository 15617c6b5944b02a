#pragma once
#include "db/Connection.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The common-medicine catalogue (常用药品表) as the prescription dialog offers it: a tree of
// categories and medicines, and the look-ups behind its cascading lists.
namespace rx {

struct Medicine {
    qint64 id = 0;
    QString category; // 类别
    QString name;     // 名称
    QString spec;     // 规格
    QString unit;     // 单位
    double price = 0.0; // 单价
    QString usage;    // 服用方式
    QString dose;     // 每次用量
    QString daily;    // 每日用量
    QString indication; // 适应症
    QString insurance;  // 医保类型
};

struct MedicineCategory {
    QString name;
    QList<Medicine> medicines; // in ID order
};

// One node per distinct category (ASCII case and trailing blanks aside, the first spelling
// kept; NULL and empty are one, ""), in GBK order; medicines by ID. One read builds it all.
QList<MedicineCategory> MedicineTree(db::Connection& c);

// A tree node's text: 名称, 规格, "￥%.2f", 适应症, 服用方式, 每次用量, 每日用量, 类别, "(ID)",
// joined by single spaces.
QString medicineText(const Medicine& m);

std::optional<Medicine> MedicineById(db::Connection& c, qint64 id);
// The first medicine of that name and strength (规格) (compared like "=" of the clinic).
std::optional<Medicine> MedicineByNameSpec(db::Connection& c, const QString& name, const QString& spec);

// The cascading lists, each value once in GBK order.
QStringList NamesOfCategory(db::Connection& c, const QString& category);
QStringList SpecsOfName(db::Connection& c, const QString& name);
struct DoseLists {
    QStringList doses; // 每次用量
    QStringList daily; // 每日用量, offered as 每日次数
};
DoseLists DosesOf(db::Connection& c, const QString& name, const QString& spec);

} // namespace rx
