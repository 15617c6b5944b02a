#pragma once
#include "db/Connection.h"
#include <QString>
#include <vector>

// The catalogue as a three-level tree: department, class, item. Built once when a dialog
// opens; the widget in controls/ shows it through CatalogueTreeModel.
namespace receipt {

inline const QString noDepartmentText = QStringLiteral("未分科室");

struct CatalogueNode {
    enum class Kind { Department, Class, Item };
    Kind kind = Kind::Item;
    QString text;
    qint64 id = 0;         // items: the catalogue ID (also in the text as "(ID)")
    bool expanded = false; // departments: shown open
    std::vector<CatalogueNode> children;

    bool operator==(const CatalogueNode&) const = default;
};

// Unsorted keeps catalogue order (departments and classes where they first occur, items by
// ID); Sorted orders departments, classes and items by name as the clinic's server did
// (GBK byte order, ASCII case ignored, no department first).
enum class CatalogueOrder { Unsorted, Sorted };

// Departments: one node per distinct Office (ASCII case and trailing blanks ignored). A NULL
// and an empty Office each give a "未分科室" node listing every item without a department;
// nodes named "未分科室" (those two, or a department really called so) appear only when some
// item has no department. Under a department come its items without a class, then its
// classes with their items. The node of the current department and the no-department nodes
// are expanded. One read of the catalogue builds the whole tree.
// On a database failure the tree is left empty and db::Error is passed on.
std::vector<CatalogueNode> FillCatalogueTree(db::Connection& c, const QString& currentDepartment,
                                             CatalogueOrder order = CatalogueOrder::Unsorted);

} // namespace receipt
