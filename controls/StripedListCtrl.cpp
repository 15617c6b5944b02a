#include "controls/StripedListCtrl.h"
#include "common/Gbk.h"
#include <QEvent>
#include <QHeaderView>
#include <QStyle>
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

void CStripedListCtrl::setColumnsFitWidth(bool on)
{
    if (fit_ == on) return;
    fit_ = on;
    setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    if (!on) {
        disconnect(horizontalHeader(), &QHeaderView::sectionResized, this, nullptr);
        return;
    }
    givenWidths_.clear();
    for (int column = 0; column < columnCount(); ++column) givenWidths_.append(columnWidth(column));
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int newSize) { sectionResized(column, newSize); });
    fitColumns();
}

// A width set from outside (the dialog, or the user dragging a header) is the column's new share.
void CStripedListCtrl::sectionResized(int column, int newSize)
{
    if (fitting_ || column < 0) return;
    while (givenWidths_.size() <= column) givenWidths_.append(0);
    givenWidths_[column] = newSize;
    fitColumns();
}

void CStripedListCtrl::fitColumns()
{
    if (!fit_ || fitting_) return;
    const int available = viewport()->width();
    if (available <= 0) return;
    QList<int> visible;
    qint64 given = 0;
    for (int column = 0; column < columnCount() && column < givenWidths_.size(); ++column) {
        if (isColumnHidden(column) || givenWidths_[column] <= 0) continue;
        visible.append(column);
        given += givenWidths_[column];
    }
    if (given <= 0) return;
    fitting_ = true;
    int used = 0;
    for (int i = 0; i < visible.size(); ++i) {
        const int column = visible[i];
        const int width = i + 1 == visible.size() ? available - used : int(givenWidths_[column] * available / given);
        setColumnWidth(column, width);
        used += width;
    }
    fitting_ = false;
}

QSize CStripedListCtrl::sizeHint() const
{
    QSize hint = QTableWidget::sizeHint();
    if (!fit_) return hint;
    int given = 0;
    for (int column = 0; column < columnCount() && column < givenWidths_.size(); ++column)
        if (!isColumnHidden(column)) given += givenWidths_[column];
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    hint.setWidth(std::max(hint.width(), given + 2 * frameWidth() + scrollBar));
    return hint;
}

bool CStripedListCtrl::viewportEvent(QEvent* event)
{
    const bool handled = QTableWidget::viewportEvent(event);
    if (fit_ && event->type() == QEvent::Resize) fitColumns();
    return handled;
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
    fitting_ = fit_; // the new column's default width is no one's choice
    QTableWidget::insertColumn(column);
    fitting_ = false;
    auto* header = new QTableWidgetItem(heading);
    header->setTextAlignment(alignment);
    setHorizontalHeaderItem(column, header);
    if (fit_) givenWidths_.insert(std::clamp<qsizetype>(column, 0, givenWidths_.size()), width);
    setColumnWidth(column, width);
    fitColumns(); // also when the width was the default one already and no resize is signalled
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
