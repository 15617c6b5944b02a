// The striped list: its colours (as computed and as painted), GBK text order, and sorting that
// keeps rows whole.
#include "controls/StripedListCtrl.h"
#include <QHeaderView>
#include <QTest>

namespace {

const QColor evenText(128, 37, 0), oddText(0, 0, 0);
const QColor evenBack(253, 241, 249), oddBack(196, 238, 254);
const QColor evenSorted(233, 221, 229), oddSorted(176, 218, 234);

CStripedListCtrl* makeList(const QList<QStringList>& rows)
{
    auto* list = new CStripedListCtrl;
    list->insertColumn(0, QStringLiteral("编码"), 80);
    list->insertColumn(1, QStringLiteral("名称"), 80);
    list->insertColumn(2, QStringLiteral("金额"), 80);
    for (const QStringList& r : rows) {
        const int row = list->insertItem(list->itemCount(), r[0]);
        for (int c = 1; c < r.size(); ++c) list->setItemText(row, c, r[c]);
        list->setItemData(row, r[0].toLongLong());
    }
    return list;
}

QStringList columnTexts(const CStripedListCtrl& list, int c)
{
    QStringList texts;
    for (int r = 0; r < list.itemCount(); ++r) texts << list.itemText(r, c);
    return texts;
}

} // namespace

class TestStripedList : public QObject {
    Q_OBJECT
private slots:
    void colours_data()
    {
        QTest::addColumn<int>("sortedColumn");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        QTest::newRow("row 0, unsorted") << -1 << 0 << 0 << evenText << evenBack;
        QTest::newRow("row 1, unsorted") << -1 << 1 << 2 << oddText << oddBack;
        QTest::newRow("sorted column, even row") << 2 << 0 << 2 << evenText << evenSorted;
        QTest::newRow("sorted column, odd row") << 2 << 1 << 2 << oddText << oddSorted;
        QTest::newRow("other column keeps its stripe") << 2 << 1 << 0 << oddText << oddBack;
    }
    void colours()
    {
        QFETCH(int, sortedColumn);
        QFETCH(int, row);
        QFETCH(int, column);
        std::unique_ptr<CStripedListCtrl> list(
            makeList({{"1", "洁治", "10.00"}, {"2", "拔牙", "9.00"}, {"3", "补牙", "100.00"}}));
        if (sortedColumn >= 0) list->sortByColumn(sortedColumn, true);
        QTEST(list->cellTextColor(row, column), "text");
        QTEST(list->cellBackgroundColor(row, column), "background");
    }

    // The colours reach the screen: a pixel inside each cell has its background colour.
    void paintsTheColours()
    {
        std::unique_ptr<CStripedListCtrl> list(makeList({{"1", "", ""}, {"2", "", ""}}));
        list->resize(300, 150);
        list->show();
        list->sortByColumn(2, true);
        const QImage image = list->viewport()->grab().toImage();
        auto pixel = [&](int row, int column) {
            const QRect r = list->visualRect(list->model()->index(row, column));
            return image.pixelColor(r.left() + 4, r.center().y());
        };
        QCOMPARE(pixel(0, 0), evenBack);
        QCOMPARE(pixel(1, 1), oddBack);
        QCOMPARE(pixel(0, 2), evenSorted);
        QCOMPARE(pixel(1, 2), oddSorted);
    }

    void stripingOffUsesTheWidgetsColours()
    {
        std::unique_ptr<CStripedListCtrl> list(makeList({{"1"}}));
        list->setStriped(false);
        QCOMPARE(list->cellBackgroundColor(0, 0), list->palette().color(QPalette::Base));
        QCOMPARE(list->cellTextColor(0, 0), list->palette().color(QPalette::Text));
    }

    void sortsAsGbkText_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("ascending");
        QTest::newRow("amounts as text") << 2 << QStringList{"10.00", "100.00", "9.00"};
        // GBK orders these by pinyin: 拔 ba, 补 bu, 洁 jie.
        QTest::newRow("chinese by GBK bytes") << 1 << QStringList{"拔牙", "补牙", "洁治"};
    }
    void sortsAsGbkText()
    {
        QFETCH(int, column);
        QFETCH(QStringList, ascending);
        std::unique_ptr<CStripedListCtrl> list(
            makeList({{"1", "洁治", "10.00"}, {"2", "拔牙", "9.00"}, {"3", "补牙", "100.00"}}));
        list->sortByColumn(column, true);
        QCOMPARE(columnTexts(*list, column), ascending);
        std::reverse(ascending.begin(), ascending.end());
        list->sortByColumn(column, false);
        QCOMPARE(columnTexts(*list, column), ascending);
    }

    // Header clicks sort, a second click reverses; rows stay whole with their data and selection.
    void headerClickSortsWholeRows()
    {
        std::unique_ptr<CStripedListCtrl> list(
            makeList({{"1", "洁治", "10.00"}, {"2", "拔牙", "9.00"}, {"3", "补牙", "100.00"}}));
        list->selectRow(1); // 拔牙
        emit list->horizontalHeader()->sectionClicked(2);
        QCOMPARE(list->sortedColumn(), 2);
        QCOMPARE(columnTexts(*list, 0), (QStringList{"1", "3", "2"}));
        QCOMPARE(columnTexts(*list, 1), (QStringList{"洁治", "补牙", "拔牙"}));
        QCOMPARE(list->itemData(2), 2);
        QCOMPARE(list->selectedRow(), 2);
        emit list->horizontalHeader()->sectionClicked(2);
        QVERIFY(!list->sortedAscending());
        QCOMPARE(columnTexts(*list, 2), (QStringList{"9.00", "100.00", "10.00"}));
    }

    // Columns that fit the width share it in the proportions they were given: at any size of the
    // list, after a width set from outside, with a column hidden or inserted later.
    void columnsFitTheWidth()
    {
        CStripedListCtrl list;
        list.insertColumn(0, QStringLiteral("类别"), 100);
        list.insertColumn(1, QStringLiteral("项目"), 200);
        list.insertColumn(2, QStringLiteral("打折"), 0);
        list.setColumnHidden(2, true);
        list.insertColumn(3, QStringLiteral("金额"), 100);
        list.setColumnsFitWidth(true);
        list.insertItem(0, QStringLiteral("治疗类"));
        auto check = [&list](const QList<int>& shares) {
            const int available = list.viewport()->width();
            int total = 0, sum = 0, right = 0;
            for (int share : shares) total += share;
            for (int c = 0; c < list.columnCount(); ++c) {
                if (list.isColumnHidden(c)) continue;
                const int expected = shares[sum++] * available / total;
                QVERIFY2(qAbs(list.columnWidth(c) - expected) <= 2,
                         qPrintable(QStringLiteral("column %1: %2, expected %3").arg(c).arg(list.columnWidth(c)).arg(expected)));
                right = list.columnViewportPosition(c) + list.columnWidth(c);
            }
            QCOMPARE(right, available);
        };
        list.resize(300, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        check({100, 200, 100});
        list.resize(800, 200);
        QTRY_VERIFY(list.viewport()->width() > 700);
        check({100, 200, 100});
        list.setColumnWidth(0, 200); // the dialog gives 类别 more
        check({200, 200, 100});
        list.insertColumn(4, QStringLiteral("应收金额"), 100);
        check({200, 200, 100, 100});
        QVERIFY(list.isColumnHidden(2));
        list.setColumnWidth(2, 100); // as a dialog turns a column on: its width, then shown
        list.setColumnHidden(2, false);
        check({200, 200, 100, 100, 100});
        list.setColumnHidden(3, true);
        check({200, 200, 100, 100});
        QCOMPARE(list.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
};

QTEST_MAIN(TestStripedList)
#include "tst_stripedlist.moc"
