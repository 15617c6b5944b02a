#pragma once
#include <QColor>
#include <QTableWidget>

// The item list of the item dialogs: rows striped in two colours, the sorted column tinted,
// and a click on a column header sorting by that column's text as GBK bytes (so "10" comes
// before "9", and Chinese orders as the clinic's old lists did). Rows count from 0; row 0 is
// even. Full-row selection and grid lines are on; cells are not edited in place.
//
// A dialog fills it like this:
//   list->insertColumn(0, "编码", 80);
//   const int row = list->insertItem(list->itemCount(), "A01");
//   list->setItemText(row, 1, "洁治");
// and finds the chosen row with selectedRow(). Automation clicks rows through the
// accessible name the dialog gives the list.
class CStripedListCtrl : public QTableWidget {
    Q_OBJECT
public:
    explicit CStripedListCtrl(QWidget* parent = nullptr);

    // Striping (on when built). Off: the widget's own colours.
    void setStriped(bool on);
    bool isStriped() const { return striped_; }
    // Tinting the sorted column (on when built).
    void enableMarkSortedColumn(bool mark = true, bool redraw = true);

    void insertColumn(int column, const QString& heading, int width = 100,
                      Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
    // Inserts a row at row with text in column 0; returns its index.
    int insertItem(int row, const QString& text);
    void setItemText(int row, int column, const QString& text);
    QString itemText(int row, int column) const;
    // A number kept with the row (a record's key); it moves with the row when sorting.
    void setItemData(int row, qint64 data);
    qint64 itemData(int row) const;
    int itemCount() const { return rowCount(); }
    void deleteItem(int row) { removeRow(row); }
    void deleteAllItems() { setRowCount(0); }
    // The selected row, or -1.
    int selectedRow() const;

    // The column last sorted by (-1: none) and its direction.
    int sortedColumn() const { return sortedColumn_; }
    bool sortedAscending() const { return ascending_; }
    // Sorts by that column's text, compared as GBK bytes.
    void sortByColumn(int column, bool ascending);

    // On: the visible columns share the list's width in the proportions their widths were given
    // (as set by insertColumn or setColumnWidth), so none hides behind a horizontal scroll bar.
    void setColumnsFitWidth(bool on);
    bool columnsFitWidth() const { return fit_; }
    // The colours a cell is drawn with.
    QColor cellTextColor(int row, int column) const;
    QColor cellBackgroundColor(int row, int column) const;

    // While the columns fit: wide enough for every visible column at the width it was given.
    QSize sizeHint() const override;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    void headerClicked(int column);
    void sectionResized(int column, int newSize);
    void fitColumns();
    QTableWidgetItem* cell(int row, int column);

    bool striped_ = true;
    bool markSorted_ = true;
    int sortedColumn_ = -1;
    bool ascending_ = true;
    bool fit_ = false;
    bool fitting_ = false;
    QList<int> givenWidths_; // per column, while the columns fit the width
};
