// The catalogue tree view and the search helper as the item-entry dialogs use them: what is
// expanded, what a pick reports, and what the Enter, F1 and F5 keys do in the entry area.
#include "controls/CatalogueSearchHelper.h"
#include "controls/CatalogueTreeView.h"
#include "tests/receipt/CatalogueFixture.h"
#include "tests/support/TestDb.h"
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using fixture::null;
using receipt::CatalogueItem;
using receipt::CatalogueSearch;

Q_DECLARE_METATYPE(receipt::CatalogueItem)

namespace {

void addCatalogue(db::Connection& c)
{
    const QList<fixture::CatalogueRow> rows{
        {QStringLiteral("放射科"), QStringLiteral("Xray"), QStringLiteral("全景片"), QStringLiteral("QJP"), QStringLiteral("XR")},
        {QStringLiteral("口腔科"), QStringLiteral("拔牙类"), QStringLiteral("拔牙"), QStringLiteral("BY"), QStringLiteral("BYL"), 100},
        {QStringLiteral("口腔科"), QStringLiteral("拔牙类"), QStringLiteral("拔牙(阻生)"), QStringLiteral("BYZS"), QStringLiteral("BYL"), 300, 0.9},
        {null, null, QStringLiteral("碘伏"), QStringLiteral("DF")},
    };
    for (const auto& r : rows) fixture::addItem(c, r);
}

// A bare entry area: 类别 and 项目 lists and a remark field.
struct EntryArea {
    QWidget window;
    QComboBox* classes = new QComboBox(&window);
    QComboBox* items = new QComboBox(&window);
    QLineEdit* remark = new QLineEdit(&window);
    EntryArea()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(classes);
        layout->addWidget(items);
        layout->addWidget(remark);
    }
    void show()
    {
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

} // namespace

class TestCatalogueWidgets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void treeViewShowsAndPicks_data() { testdb::addBackendRows(); }
    void treeViewShowsAndPicks()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addCatalogue(*c);
        CatalogueTreeView view;
        view.resize(400, 600);
        view.load(*c, QStringLiteral("口腔科"));
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        auto& model = view.catalogue();
        QCOMPARE(model.rowCount(), 3);
        const QModelIndex radiology = model.index(0, 0), dental = model.index(1, 0), none = model.index(2, 0);
        QCOMPARE(dental.data().toString(), QStringLiteral("口腔科"));
        QVERIFY(view.isExpanded(dental));
        QVERIFY(view.isExpanded(none));
        QVERIFY(!view.isExpanded(radiology));

        QSignalSpy changed(&view, &CatalogueTreeView::currentItemChanged);
        QSignalSpy doubleClicked(&view, &CatalogueTreeView::itemDoubleClicked);
        const QModelIndex extraction = model.index(0, 0, dental);
        view.expand(extraction);
        const QModelIndex impacted = model.index(1, 0, extraction);
        view.setCurrentIndex(extraction);
        view.setCurrentIndex(impacted);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(changed.at(0).at(0).toLongLong(), 0); // a class node picks nothing
        QCOMPARE(changed.at(1).at(0).toLongLong(), 3);
        QCOMPARE(view.currentItemId(), 3);

        const QRect r = view.visualRect(impacted);
        QVERIFY(r.isValid());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(doubleClicked.size(), 1);
        QCOMPARE(doubleClicked.at(0).at(0).toLongLong(), 3);

        QVERIFY(view.selectItem(4));
        QCOMPARE(view.currentIndex().data().toString(), QStringLiteral("碘伏 次 1.00 (4)"));
        QVERIFY(!view.selectItem(99));

        // A class named like an item's text ("… (2)") is still a class: it picks nothing.
        using Kind = receipt::CatalogueNode::Kind;
        view.setDepartments({{Kind::Department, QStringLiteral("口腔科"), 0, true,
                              {{Kind::Class, QStringLiteral("种植 (2)"), 0, true, {}}}}});
        view.setCurrentIndex(model.index(0, 0, model.index(0, 0)));
        QCOMPARE(view.currentItemId(), 0);
        QCOMPARE(changed.last().at(0).toLongLong(), 0);

        c->failStatementAfter(1);
        view.load(*c, QString());
        QCOMPARE(model.rowCount(), 0);
    }

    void searchKeys_data() { testdb::addBackendRows(); }
    void searchKeys()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addCatalogue(*c);
        EntryArea area;
        CatalogueSearchHelper helper(c, area.classes, area.items, &area.window);
        area.show();
        QSignalSpy loaded(&helper, &CatalogueSearchHelper::itemLoaded);
        QSignalSpy add(&helper, &CatalogueSearchHelper::addEntryRequested);
        QSignalSpy submit(&helper, &CatalogueSearchHelper::submitRequested);

        // A class code, then Enter: the classes found, the first one's items, focus on 项目.
        area.classes->setFocus();
        QTest::keyClicks(area.classes->lineEdit(), QStringLiteral("byl"));
        QCOMPARE(helper.search().state(), CatalogueSearch::SearchClass);
        QTest::keyClick(area.classes->lineEdit(), Qt::Key_Return);
        QCOMPARE(area.classes->count(), 1);
        QCOMPARE(area.classes->currentText(), QStringLiteral("拔牙类"));
        QCOMPARE(area.items->count(), 2);
        QCOMPARE(area.items->itemText(1), QStringLiteral("拔牙(阻生)"));
        QTRY_VERIFY(area.items->hasFocus());
        QCOMPARE(helper.search().state(), CatalogueSearch::Idle);

        // Picking from the 项目 list loads that item of the class.
        Q_EMIT area.items->activated(1);
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.at(0).at(0).value<CatalogueItem>().rate, 0.9);

        // An item code, Enter loads it; Enter again adds it and waits for the next code.
        area.items->setEditText(QString());
        QTest::keyClicks(area.items->lineEdit(), QStringLiteral("df"));
        QCOMPARE(helper.search().state(), CatalogueSearch::SearchItem);
        QTest::keyClick(area.items->lineEdit(), Qt::Key_Return);
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(loaded.at(1).at(0).value<CatalogueItem>().id, 4);
        QCOMPARE(area.items->currentText(), QStringLiteral("碘伏"));
        QCOMPARE(helper.search().state(), CatalogueSearch::ItemFound);
        QTest::keyClick(area.items->lineEdit(), Qt::Key_Return);
        QCOMPARE(add.size(), 1);
        QCOMPARE(helper.search().state(), CatalogueSearch::SearchItem);

        // Nothing found: the typed text stays and Enter does nothing more.
        area.items->setEditText(QString());
        QTest::keyClicks(area.items->lineEdit(), QStringLiteral("zz"));
        QTest::keyClick(area.items->lineEdit(), Qt::Key_Return);
        QCOMPARE(area.items->count(), 0);
        QCOMPARE(area.items->currentText(), QStringLiteral("zz"));
        QCOMPARE(helper.search().state(), CatalogueSearch::NothingFound);
        QTest::keyClick(area.items->lineEdit(), Qt::Key_Return);
        QCOMPARE(add.size(), 1);
        QCOMPARE(loaded.size(), 2);

        // F1 from anywhere in the area goes to the 项目 list; F5 submits.
        area.remark->setFocus();
        QTRY_VERIFY(area.remark->hasFocus());
        QTest::keyClick(area.remark, Qt::Key_F1);
        QCOMPARE(helper.search().state(), CatalogueSearch::SearchItem);
        QTRY_VERIFY(area.items->hasFocus());
        QTest::keyClick(area.remark, Qt::Key_F5);
        QCOMPARE(submit.size(), 1);
    }

    void withoutClassSearch_data() { testdb::addBackendRows(); }
    void withoutClassSearch()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addCatalogue(*c);
        EntryArea area;
        CatalogueSearchHelper helper(c, area.classes, area.items, &area.window, false);
        area.show();
        QTest::keyClicks(area.classes->lineEdit(), QStringLiteral("byl"));
        QTest::keyClick(area.classes->lineEdit(), Qt::Key_Return);
        QCOMPARE(helper.search().state(), CatalogueSearch::Idle);
        QCOMPARE(area.classes->count(), 0);
        // The class list still fills the item list when a class is picked.
        area.classes->addItem(QStringLiteral("拔牙类"));
        Q_EMIT area.classes->activated(0);
        QCOMPARE(area.items->count(), 2);
    }
};

QTEST_MAIN(TestCatalogueWidgets)
#include "tst_catalogue_widgets.moc"
