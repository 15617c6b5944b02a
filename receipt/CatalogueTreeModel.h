#pragma once
#include "receipt/CatalogueTree.h"
#include <QAbstractItemModel>
#include <QHash>

namespace receipt {

// The catalogue tree for a view: read-only, one column, the node texts. Besides the text each
// index gives the item ID (0 on department and class nodes), the node kind and whether the
// node is to be shown expanded.
class CatalogueTreeModel : public QAbstractItemModel {
public:
    enum Role { ItemIdRole = Qt::UserRole + 1, KindRole, ExpandedRole };

    explicit CatalogueTreeModel(std::vector<CatalogueNode> departments = {}, QObject* parent = nullptr);
    void setDepartments(std::vector<CatalogueNode> departments);
    const std::vector<CatalogueNode>& departments() const { return roots_; }
    const CatalogueNode* node(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    struct Place {
        const CatalogueNode* parent;
        int row;
    };
    const std::vector<CatalogueNode>& childrenOf(const QModelIndex& parent) const;
    void place(const std::vector<CatalogueNode>& nodes, const CatalogueNode* parent);

    std::vector<CatalogueNode> roots_;
    QHash<const CatalogueNode*, Place> places_;
};

} // namespace receipt
