#pragma once
#include "db/Connection.h"
#include "receipt/CatalogueTree.h"
#include "receipt/CatalogueTreeModel.h"
#include <QTreeView>

// The fee standard catalogue as a tree (department, class, item) for the item-entry dialogs.
// It reports picked items by their ID; what a pick does (double click or a change of the
// current node) is the dialog's choice.
class CatalogueTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit CatalogueTreeView(QWidget* parent = nullptr);

    // Builds the tree from the catalogue; on a database failure the tree stays empty.
    void load(db::Connection& c, const QString& currentDepartment,
              receipt::CatalogueOrder order = receipt::CatalogueOrder::Unsorted);
    void setDepartments(std::vector<receipt::CatalogueNode> departments);
    receipt::CatalogueTreeModel& catalogue() { return model_; }

    // The current item's ID; 0 on a department or class node.
    qint64 currentItemId() const;
    // Makes the item with that ID the current node (false when it is not in the tree).
    bool selectItem(qint64 id);

Q_SIGNALS:
    void itemDoubleClicked(qint64 id);
    void currentItemChanged(qint64 id);

private:
    void applyExpansion(const QModelIndex& parent);
    QModelIndex findItem(qint64 id, const QModelIndex& parent) const;

    receipt::CatalogueTreeModel model_;
};
