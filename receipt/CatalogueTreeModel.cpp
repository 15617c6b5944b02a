#include "receipt/CatalogueTreeModel.h"

namespace receipt {

CatalogueTreeModel::CatalogueTreeModel(std::vector<CatalogueNode> departments, QObject* parent)
    : QAbstractItemModel(parent)
{
    setDepartments(std::move(departments));
}

void CatalogueTreeModel::setDepartments(std::vector<CatalogueNode> departments)
{
    beginResetModel();
    roots_ = std::move(departments);
    places_.clear();
    place(roots_, nullptr);
    endResetModel();
}

// Nodes never move once the tree is stored, so their addresses serve as the indexes' pointers.
void CatalogueTreeModel::place(const std::vector<CatalogueNode>& nodes, const CatalogueNode* parent)
{
    for (size_t i = 0; i < nodes.size(); ++i) {
        places_.insert(&nodes[i], {parent, static_cast<int>(i)});
        place(nodes[i].children, &nodes[i]);
    }
}

const CatalogueNode* CatalogueTreeModel::node(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<const CatalogueNode*>(index.internalPointer()) : nullptr;
}

const std::vector<CatalogueNode>& CatalogueTreeModel::childrenOf(const QModelIndex& parent) const
{
    const CatalogueNode* n = node(parent);
    return n ? n->children : roots_;
}

QModelIndex CatalogueTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const auto& nodes = childrenOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(nodes.size())) return {};
    return createIndex(row, 0, const_cast<CatalogueNode*>(&nodes[static_cast<size_t>(row)]));
}

QModelIndex CatalogueTreeModel::parent(const QModelIndex& child) const
{
    const CatalogueNode* n = node(child);
    if (!n) return {};
    const CatalogueNode* p = places_.value(n).parent;
    if (!p) return {};
    return createIndex(places_.value(p).row, 0, const_cast<CatalogueNode*>(p));
}

int CatalogueTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0) return 0;
    return static_cast<int>(childrenOf(parent).size());
}

int CatalogueTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant CatalogueTreeModel::data(const QModelIndex& index, int role) const
{
    const CatalogueNode* n = node(index);
    if (!n) return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::AccessibleTextRole:
        return n->text;
    case ItemIdRole:
        return n->id;
    case KindRole:
        return static_cast<int>(n->kind);
    case ExpandedRole:
        return n->expanded;
    default:
        return {};
    }
}

} // namespace receipt
