#include "controls/CatalogueTreeView.h"
#include "receipt/Catalogue.h"
#include <QHeaderView>

CatalogueTreeView::CatalogueTreeView(QWidget* parent) : QTreeView(parent)
{
    setModel(&model_);
    setHeaderHidden(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setUniformRowHeights(true);
    header()->setStretchLastSection(true);

    // Picks go by the ID the node was built with, not the "(ID)" in its text: a department or
    // class may be named "种植(2)" and must not read as item 2.
    const auto idOf = [](const QModelIndex& index) -> qint64 {
        return index.isValid() ? index.data(receipt::CatalogueTreeModel::ItemIdRole).toLongLong() : 0;
    };
    connect(this, &QTreeView::doubleClicked, this, [this, idOf](const QModelIndex& index) {
        Q_EMIT itemDoubleClicked(idOf(index));
    });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this, idOf](const QModelIndex& current) { Q_EMIT currentItemChanged(idOf(current)); });
}

void CatalogueTreeView::load(db::Connection& c, const QString& currentDepartment, receipt::CatalogueOrder order)
{
    std::vector<receipt::CatalogueNode> departments;
    try {
        departments = receipt::FillCatalogueTree(c, currentDepartment, order);
    } catch (const db::Error&) {
    }
    setDepartments(std::move(departments));
}

void CatalogueTreeView::setDepartments(std::vector<receipt::CatalogueNode> departments)
{
    model_.setDepartments(std::move(departments));
    applyExpansion({});
}

void CatalogueTreeView::applyExpansion(const QModelIndex& parent)
{
    for (int row = 0; row < model_.rowCount(parent); ++row) {
        const QModelIndex index = model_.index(row, 0, parent);
        setExpanded(index, index.data(receipt::CatalogueTreeModel::ExpandedRole).toBool());
    }
}

qint64 CatalogueTreeView::currentItemId() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.data(receipt::CatalogueTreeModel::ItemIdRole).toLongLong() : 0;
}

QModelIndex CatalogueTreeView::findItem(qint64 id, const QModelIndex& parent) const
{
    for (int row = 0; row < model_.rowCount(parent); ++row) {
        const QModelIndex index = model_.index(row, 0, parent);
        if (index.data(receipt::CatalogueTreeModel::ItemIdRole).toLongLong() == id) return index;
        const QModelIndex found = findItem(id, index);
        if (found.isValid()) return found;
    }
    return {};
}

bool CatalogueTreeView::selectItem(qint64 id)
{
    const QModelIndex index = id > 0 ? findItem(id, {}) : QModelIndex();
    if (!index.isValid()) return false;
    scrollTo(index);
    setCurrentIndex(index);
    return true;
}
