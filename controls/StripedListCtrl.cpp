#include "controls/StripedListCtrl.h"
#include "common/Gbk.h"
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

class StripeDelegate : public QStyledItemDelegate {
public:
    explicit StripeDelegate(CStripedListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!list_->isStriped()) return;
        option->backgroundBrush = list_->cellBackgroundColor(index.row(), index.column());
        option->palette.setColor(QPalette::Text, list_->cellTextColor(index.row(), index.column()));
    }

private:
    CStripedListCtrl* list_;
};

} // namespace

CStripedListCtrl::CStripedListCtrl(QWidget* parent) : QTableWidget(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setSortingEnabled(false); // we sort on header clicks only, never while rows are filled
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    setItemDelegate(new StripeDelegate(this));
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CStripedListCtrl::headerClicked);
}

void CStripedListCtrl::setStriped(bool on)
{
    striped_ = on;
    viewport()->update();
}

void CStripedListCtrl::enableMarkSortedColumn(bool mark, bool redraw)
{
    markSorted_ = mark;
    if (redraw) viewport()->update();
}

void CStripedListCtrl::insertColumn(int column, const QString& heading, int width, Qt::Alignment alignment)
{
    QTableWidget::insertColumn(column);
    auto* header = new QTableWidgetItem(heading);
    header->setTextAlignment(alignment);
    setHorizontalHeaderItem(column, header);
    setColumnWidth(column, width);
}

QTableWidgetItem* CStripedListCtrl::cell(int row, int column)
{
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem;
        if (QTableWidgetItem* header = horizontalHeaderItem(column)) it->setTextAlignment(Qt::Alignment(header->textAlignment()));
        setItem(row, column, it);
    }
    return it;
}

int CStripedListCtrl::insertItem(int row, const QString& text)
{
    row = std::clamp(row, 0, rowCount());
    insertRow(row);
    cell(row, 0)->setText(text);
    return row;
}

void CStripedListCtrl::setItemText(int row, int column, const QString& text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
    cell(row, column)->setText(text);
}

QString CStripedListCtrl::itemText(int row, int column) const
{
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

void CStripedListCtrl::setItemData(int row, qint64 data)
{
    if (row < 0 || row >= rowCount() || columnCount() == 0) return;
    cell(row, 0)->setData(Qt::UserRole, data);
}

qint64 CStripedListCtrl::itemData(int row) const
{
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->data(Qt::UserRole).toLongLong() : 0;
}

int CStripedListCtrl::selectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CStripedListCtrl::headerClicked(int column)
{
    // A second click on the sorted column turns the order round.
    sortByColumn(column, column == sortedColumn_ ? !ascending_ : true);
}

void CStripedListCtrl::sortByColumn(int column, bool ascending)
{
    if (column < 0 || column >= columnCount()) return;
    const int selected = selectedRow();
    // Take the rows out whole, so that every cell and the row's data move together.
    struct Row {
        std::vector<QTableWidgetItem*> cells;
        QString key;
        bool selected;
    };
    std::vector<Row> rows(rowCount());
    for (int r = 0; r < rowCount(); ++r) {
        rows[r].cells.resize(columnCount());
        for (int c = 0; c < columnCount(); ++c) rows[r].cells[c] = takeItem(r, c);
        const QTableWidgetItem* keyCell = rows[r].cells[column];
        rows[r].key = keyCell ? keyCell->text() : QString();
        rows[r].selected = r == selected;
    }
    std::stable_sort(rows.begin(), rows.end(), [ascending](const Row& a, const Row& b) {
        const int c = gbk::compare(a.key, b.key);
        return ascending ? c < 0 : c > 0;
    });
    int newSelected = -1;
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < columnCount(); ++c)
            if (rows[r].cells[c]) setItem(r, c, rows[r].cells[c]);
        if (rows[r].selected) newSelected = r;
    }
    if (newSelected >= 0) selectRow(newSelected);
    sortedColumn_ = column;
    ascending_ = ascending;
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    viewport()->update();
}

QColor CStripedListCtrl::cellTextColor(int row, int column) const
{
    Q_UNUSED(column);
    if (!striped_) return palette().color(QPalette::Text);
    return row % 2 == 0 ? QColor(128, 37, 0) : QColor(0, 0, 0);
}

QColor CStripedListCtrl::cellBackgroundColor(int row, int column) const
{
    if (!striped_) return palette().color(QPalette::Base);
    const bool even = row % 2 == 0;
    if (markSorted_ && sortedColumn_ >= 0 && column == sortedColumn_)
        return even ? QColor(233, 221, 229) : QColor(176, 218, 234);
    return even ? QColor(253, 241, 249) : QColor(196, 238, 254);
}
