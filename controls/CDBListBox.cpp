#include "controls/CDBListBox.h"
#include <QHeaderView>
#include <algorithm>

namespace {
constexpr int defaultWidth = 80;
constexpr int lineRole = Qt::UserRole + 1;
} // namespace

CDBListBox::CDBListBox(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setColumnCount(1);
    header()->setStretchLastSection(true);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { emit lineChosen(i.row()); });
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) emit lineChosen(indexOfTopLevelItem(item));
    });
}

void CDBListBox::setTabStop(int column, int position)
{
    if (column < 0) return;
    while (stops_.size() <= column) stops_ << (stops_.isEmpty() ? 0 : stops_.last() + defaultWidth);
    stops_[column] = position;
    applyTabStops();
}

void CDBListBox::applyTabStops()
{
    for (int c = 0; c + 1 < stops_.size() && c < columnCount(); ++c)
        setColumnWidth(c, std::max(8, stops_[c + 1] - (c == 0 ? 0 : stops_[c])));
}

void CDBListBox::addString(const QString& line)
{
    const QStringList cols = line.split(QLatin1Char('#'));
    if (cols.size() > columnCount()) {
        setColumnCount(int(cols.size()));
        applyTabStops();
    }
    auto* item = new QTreeWidgetItem(cols);
    item->setData(0, lineRole, line);
    addTopLevelItem(item);
}

void CDBListBox::setLines(const QStringList& lines)
{
    resetContent();
    for (const QString& l : lines) addString(l);
}

void CDBListBox::resetContent()
{
    clear();
    setColumnCount(1);
}

QString CDBListBox::line(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, lineRole).toString() : QString();
}

QStringList CDBListBox::lines() const
{
    QStringList out;
    for (int r = 0; r < count(); ++r) out << line(r);
    return out;
}

QStringList CDBListBox::columns(int row) const { return line(row).split(QLatin1Char('#')); }

int CDBListBox::currentRow() const
{
    return currentItem() ? currentIndex().row() : -1;
}
