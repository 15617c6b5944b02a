// The fee standard catalogue look-ups on every backend: the department tree, picking by
// "(ID)", class and item lists, the search by name or code and its Enter-key states.
#include "db/Query.h"
#include "receipt/Catalogue.h"
#include "receipt/CatalogueSearch.h"
#include "receipt/CatalogueTree.h"
#include "receipt/CatalogueTreeModel.h"
#include "tests/receipt/CatalogueFixture.h"
#include "tests/support/TestDb.h"
#include <QAbstractItemModelTester>
#include <QTest>

using fixture::CatalogueRow;
using fixture::null;
using namespace receipt;

Q_DECLARE_METATYPE(QList<CatalogueRow>)

namespace {

QString item(const QString& name, int id) { return QStringLiteral("%1 次 1.00 (%2)").arg(name).arg(id); }

// Items of the search tests; IDs 1–8 in this order.
void addSearchCatalogue(db::Connection& c)
{
    const QList<CatalogueRow> rows{
        {QStringLiteral("放射科"), QStringLiteral("Xray"), QStringLiteral("全景片"), QStringLiteral("洁治"), QStringLiteral("XR"), 50},
        {QStringLiteral("口腔科"), QStringLiteral("拔牙类"), QStringLiteral("拔牙"), QStringLiteral("BY"), QStringLiteral("BYL"), 100},
        {QStringLiteral("口腔科"), QStringLiteral("拔牙类"), QStringLiteral("拔牙(阻生)"), QStringLiteral("BYZS"), QStringLiteral("BYL"), 300, 0.9},
        {QStringLiteral("口腔科"), QStringLiteral("洁治类"), QStringLiteral("洁治"), QStringLiteral("JZ"), QStringLiteral("JZL"), 80, 1.0},
        {QStringLiteral("放射科"), QStringLiteral("xray "), QStringLiteral("牙片"), QStringLiteral("YP"), QStringLiteral("xr"), 30},
        {QStringLiteral("口腔科"), QStringLiteral("材料"), QStringLiteral("50%氟化物"), QStringLiteral("F50"), QStringLiteral("CL"), 20},
        {QStringLiteral("口腔科"), QStringLiteral("材料"), QStringLiteral("O'Brien牙胶"), QStringLiteral("OB"), QStringLiteral("CL"), 20},
        {QStringLiteral("口腔科"), QStringLiteral("材料"), QStringLiteral("a\\b"), QStringLiteral("AB"), QStringLiteral("CL"), 20},
    };
    for (const auto& r : rows) fixture::addItem(c, r);
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tree_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QList<CatalogueRow>>("rows");
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("order");
        QTest::addColumn<QStringList>("expected");
        const QString none = QStringLiteral("未分科室");
        const QString noDept = QStringLiteral("[未分科室]+");
        const int unsorted = int(CatalogueOrder::Unsorted), sorted = int(CatalogueOrder::Sorted);

        struct Case {
            const char* name;
            QList<CatalogueRow> rows;
            QString current;
            int order;
            QStringList expected;
        };
        const QList<CatalogueRow> mixedNames{
            {QStringLiteral("中医科"), QStringLiteral("中药"), QStringLiteral("中成药")},
            {QStringLiteral("阿科"), QStringLiteral("阿类"), QStringLiteral("阿莫")},
            {QStringLiteral(""), QStringLiteral("中药"), QStringLiteral("板蓝根")},
            {null, null, QStringLiteral("碘伏")},
            {QStringLiteral("中医科"), QStringLiteral("中药"), QStringLiteral("阿胶")},
            {QStringLiteral("中医科"), QStringLiteral("阿类"), QStringLiteral("丁香")},
        };
        const QStringList noDeptOfMixed{noDept, "  " + item("碘伏", 4), "  <中药>", "    " + item("板蓝根", 3)};
        const QList<Case> cases{
            {"empty catalogue", {}, {}, unsorted, {}},
            {"every item without department: one node, expanded",
             {{QStringLiteral(""), QStringLiteral("洁治"), QStringLiteral("A")},
              {QStringLiteral(""), QStringLiteral("洁治"), QStringLiteral("B")},
              {QStringLiteral(""), null, QStringLiteral("C")}},
             {},
             unsorted,
             {noDept, "  " + item("C", 3), "  <洁治>", "    " + item("A", 1), "    " + item("B", 2)}},
            {"NULL and empty Office: two nodes, each with every item without department",
             {{null, null, QStringLiteral("A")},
              {QStringLiteral(""), QStringLiteral("X"), QStringLiteral("B")},
              {QStringLiteral("口腔科"), QStringLiteral("X"), QStringLiteral("C")}},
             {},
             unsorted,
             {noDept, "  " + item("A", 1), "  <X>", "    " + item("B", 2), noDept, "  " + item("A", 1), "  <X>",
              "    " + item("B", 2), "[口腔科]", "  <X>", "    " + item("C", 3)}},
            {"items without class in the NULL department are listed",
             {{null, null, QStringLiteral("A")}, {null, QStringLiteral(""), QStringLiteral("B")}},
             {},
             unsorted,
             {noDept, "  " + item("A", 1), "  " + item("B", 2)}},
            {"a department named 未分科室 needs items without department",
             {{none, QStringLiteral("X"), QStringLiteral("A")}, {QStringLiteral("口腔科"), null, QStringLiteral("B")}},
             {},
             unsorted,
             {"[口腔科]", "  " + item("B", 2)}},
            {"a department named 未分科室 beside the no-department node",
             {{none, QStringLiteral("X"), QStringLiteral("A")}, {null, QStringLiteral("Y"), QStringLiteral("B")}},
             {},
             unsorted,
             {noDept, "  <X>", "    " + item("A", 1), noDept, "  <Y>", "    " + item("B", 2)}},
            {"current department open, others closed, items without class first",
             {{QStringLiteral("正畸科"), QStringLiteral("托槽"), QStringLiteral("A")},
              {QStringLiteral("口腔科"), QStringLiteral("洁治"), QStringLiteral("B")},
              {QStringLiteral("正畸科"), QStringLiteral(""), QStringLiteral("C")}},
             QStringLiteral("正畸科"),
             unsorted,
             {"[正畸科]+", "  " + item("C", 3), "  <托槽>", "    " + item("A", 1), "[口腔科]", "  <洁治>",
              "    " + item("B", 2)}},
            {"ASCII case and trailing blanks compare as the server compared them",
             {{QStringLiteral("Ortho"), QStringLiteral("Wire"), QStringLiteral("A")},
              {QStringLiteral("ortho "), QStringLiteral("wire "), QStringLiteral("B")},
              {QStringLiteral("ORTHO"), QStringLiteral("  "), QStringLiteral("C")},
              {QStringLiteral("   "), QStringLiteral("X"), QStringLiteral("D")}},
             {},
             unsorted,
             {"[Ortho]", "  " + item("C", 3), "  <Wire>", "    " + item("A", 1), "    " + item("B", 2), noDept,
              "  <X>", "    " + item("D", 4)}},
            {"unsorted keeps catalogue order",
             mixedNames,
             {},
             unsorted,
             QStringList{"[中医科]", "  <中药>", "    " + item("中成药", 1), "    " + item("阿胶", 5), "  <阿类>",
                         "    " + item("丁香", 6), "[阿科]", "  <阿类>", "    " + item("阿莫", 2)} +
                 noDeptOfMixed + noDeptOfMixed},
            {"sorted: no department first, then GBK order",
             mixedNames,
             {},
             sorted,
             noDeptOfMixed + noDeptOfMixed +
                 QStringList{"[阿科]", "  <阿类>", "    " + item("阿莫", 2), "[中医科]", "  <阿类>",
                             "    " + item("丁香", 6), "  <中药>", "    " + item("阿胶", 5), "    " + item("中成药", 1)}},
            {"a department name is cut at 255 bytes",
             {{QString(200, QChar(0x79D1)), null, QStringLiteral("A")}},
             {},
             unsorted,
             {"[" + QString(127, QChar(0x79D1)) + "]", "  " + item("A", 1)}},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(c.name)))
                    << b << c.rows << c.current << c.order << c.expected;
    }
    void tree()
    {
        QFETCH(QString, backend);
        QFETCH(QList<CatalogueRow>, rows);
        QFETCH(QString, current);
        QFETCH(int, order);
        QFETCH(QStringList, expected);
        auto c = testdb::open(backend);
        for (const auto& r : rows) fixture::addItem(*c, r);
        const auto tree = FillCatalogueTree(*c, current, CatalogueOrder(order));
        const QStringList got = fixture::render(tree);
        if (got != expected) qWarning().noquote() << "got:\n" << got.join(QLatin1Char('\n'));
        QCOMPARE(got, expected);
    }

    // Enough names that the sort keys are looked up while their cache grows.
    void sortedManyItems_data() { testdb::addBackendRows(); }
    void sortedManyItems()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const int n = 500;
        for (int i = n; i > 0; --i)
            fixture::addItem(*c, {QStringLiteral("口腔科"), QStringLiteral("类%1").arg(i % 7), QStringLiteral("项目%1").arg(i, 3, 10, QLatin1Char('0'))});
        const auto tree = FillCatalogueTree(*c, {}, CatalogueOrder::Sorted);
        QCOMPARE(tree.size(), size_t(1));
        QCOMPARE(tree[0].children.size(), size_t(7));
        int total = 0;
        for (size_t k = 0; k < 7; ++k) {
            const auto& cls = tree[0].children[k];
            QCOMPARE(cls.text, QStringLiteral("类%1").arg(k));
            for (size_t j = 1; j < cls.children.size(); ++j)
                QVERIFY(cls.children[j - 1].text < cls.children[j].text);
            total += int(cls.children.size());
        }
        QCOMPARE(total, n);
    }

    void treeModelIsConsistent_data() { testdb::addBackendRows(); }
    void treeModelIsConsistent()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addSearchCatalogue(*c);
        fixture::addItem(*c, {null, null, QStringLiteral("碘伏")});
        CatalogueTreeModel model(FillCatalogueTree(*c, QStringLiteral("口腔科")));
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 3); // 放射科, 口腔科, 未分科室
        const QModelIndex dental = model.index(1, 0);
        QCOMPARE(dental.data().toString(), QStringLiteral("口腔科"));
        QVERIFY(dental.data(CatalogueTreeModel::ExpandedRole).toBool());
        QVERIFY(!model.index(0, 0).data(CatalogueTreeModel::ExpandedRole).toBool());
        const QModelIndex extraction = model.index(0, 0, dental);
        QCOMPARE(extraction.data().toString(), QStringLiteral("拔牙类"));
        QCOMPARE(extraction.data(CatalogueTreeModel::ItemIdRole).toLongLong(), 0);
        const QModelIndex impacted = model.index(1, 0, extraction);
        QCOMPARE(impacted.data().toString(), QStringLiteral("拔牙(阻生) 次 300.00 (3)"));
        QCOMPARE(impacted.data(CatalogueTreeModel::ItemIdRole).toLongLong(), 3);
        QCOMPARE(model.parent(impacted), extraction);
        QCOMPARE(model.parent(extraction), dental);
    }

    void idFromNodeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("id");
        QTest::newRow("item") << "拔牙 颗 100.00 (2)" << qint64(2);
        QTest::newRow("brackets in the name") << "拔牙(阻生) 次 300.00 (3)" << qint64(3);
        QTest::newRow("short name with a number in brackets") << "X(2) 次 5.00 (12)" << qint64(12);
        QTest::newRow("department") << "口腔科" << qint64(0);
        QTest::newRow("class") << "拔牙类" << qint64(0);
        QTest::newRow("empty") << "" << qint64(0);
    }
    void idFromNodeText()
    {
        QFETCH(QString, text);
        QFETCH(qint64, id);
        QCOMPARE(catalogueItemId(text), id);
    }

    void itemTextRoundTrips()
    {
        const QString text = catalogueItemText(QStringLiteral("拔牙(阻生)"), QStringLiteral("颗"), 12.5, 1234567);
        QCOMPARE(text, QStringLiteral("拔牙(阻生) 颗 12.50 (1234567)"));
        QCOMPARE(catalogueItemId(text), qint64(1234567));
    }

    void lookUps_data() { testdb::addBackendRows(); }
    void lookUps()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addSearchCatalogue(*c);

        QCOMPARE(ItemsOfClass(*c, QStringLiteral("拔牙类")), (QStringList{"拔牙", "拔牙(阻生)"}));
        QCOMPARE(ItemsOfClass(*c, QStringLiteral("XRAY")), (QStringList{"全景片", "牙片"}));
        QVERIFY(ItemsOfClass(*c, QStringLiteral("无此类")).isEmpty());

        auto plain = ItemDetails(*c, QStringLiteral("拔牙类"), QStringLiteral("拔牙"));
        QVERIFY(plain);
        QCOMPARE(plain->id, qint64(2));
        QCOMPARE(plain->unit, QStringLiteral("次"));
        QCOMPARE(plain->price, 100.0);
        QCOMPARE(plain->remark, QStringLiteral("备注拔牙"));
        QCOMPARE(plain->discountable, 1);
        QCOMPARE(plain->rate, 1.0); // NULL rate: no discount
        QCOMPARE(ItemDetails(*c, QStringLiteral("拔牙类"), QStringLiteral("拔牙(阻生)"))->rate, 0.9);
        QVERIFY(!ItemDetails(*c, QStringLiteral("拔牙类"), QStringLiteral("洁治")));

        auto byId = ItemById(*c, 3);
        QVERIFY(byId);
        QCOMPARE(byId->className, QStringLiteral("拔牙类"));
        QCOMPARE(byId->name, QStringLiteral("拔牙(阻生)"));
        QVERIFY(!ItemById(*c, 99));

        QCOMPARE(itemOfNodeText(*c, QStringLiteral("拔牙(阻生) 次 300.00 (3)"))->id, qint64(3));
        QVERIFY(!itemOfNodeText(*c, QStringLiteral("拔牙类")));
    }

    void searchClasses_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("classes");
        const QList<std::pair<QString, QStringList>> cases{
            {QStringLiteral("拔"), {"拔牙类"}},
            {QStringLiteral("xr"), {"Xray"}}, // by class code, one entry for Xray and "xray "
            {QStringLiteral("cl"), {"材料"}},
            {QStringLiteral("%类"), {"拔牙类", "洁治类"}},
            {QStringLiteral("无"), {}},
        };
        for (const QString& b : testdb::backends())
            for (const auto& [typed, classes] : cases)
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + typed)) << b << typed << classes;
    }
    void searchClasses()
    {
        QFETCH(QString, backend);
        QFETCH(QString, typed);
        QFETCH(QStringList, classes);
        auto c = testdb::open(backend);
        addSearchCatalogue(*c);
        QCOMPARE(SearchClasses(*c, typed), classes);
    }

    void searchItems_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<qint64>("loaded");
        struct Case {
            const char* name;
            QString typed;
            QStringList list;
            qint64 loaded;
        };
        const QStringList withTooth{"拔牙", "拔牙(阻生)", "牙片", "O'Brien牙胶"};
        const QList<Case> cases{
            {"a code equal to another item's name: the first row wins", QStringLiteral("洁治"), {}, 1},
            {"code, ignoring case", QStringLiteral("by"), {}, 2},
            {"code with a trailing blank", QStringLiteral("BY "), {}, 2},
            {"contains and starts with", QStringLiteral("牙"), withTooth, 5},
            {"contains only", QStringLiteral("阻生"), {"拔牙(阻生)"}, 0},
            {"% is a wildcard", QStringLiteral("%牙"), withTooth, 2},
            {"_ is a wildcard", QStringLiteral("_牙"), {"拔牙", "拔牙(阻生)", "O'Brien牙胶"}, 2},
            {"% in the text", QStringLiteral("50%"), {"50%氟化物"}, 6},
            {"apostrophe", QStringLiteral("O'Brien"), {"O'Brien牙胶"}, 7},
            {"backslash is no escape", QStringLiteral("a\\"), {"a\\b"}, 8},
            {"nothing", QStringLiteral("xyz"), {}, 0},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QStringLiteral(": ") + QString::fromUtf8(c.name)))
                    << b << c.typed << c.list << c.loaded;
    }
    void searchItems()
    {
        QFETCH(QString, backend);
        QFETCH(QString, typed);
        QFETCH(QStringList, list);
        QFETCH(qint64, loaded);
        auto c = testdb::open(backend);
        addSearchCatalogue(*c);
        const ItemSearchResult r = SearchItems(*c, typed);
        QCOMPARE(r.items, list);
        QCOMPARE(r.item ? r.item->id : 0, loaded);
    }

    void searchStates_data() { testdb::addBackendRows(); }
    void searchStates()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        addSearchCatalogue(*c);
        using Outcome = CatalogueSearch::Outcome;

        CatalogueSearch s;
        QCOMPARE(s.state(), CatalogueSearch::Idle);
        QCOMPARE(s.enter(*c, {}, {}).kind, Outcome::Nothing);

        s.classTextEdited();
        QCOMPARE(s.state(), CatalogueSearch::SearchClass);
        Outcome out = s.enter(*c, QStringLiteral("BYL"), {});
        QCOMPARE(out.kind, Outcome::ClassesFound);
        QCOMPARE(out.classes, QStringList{"拔牙类"});
        QCOMPARE(out.items, (QStringList{"拔牙", "拔牙(阻生)"}));
        QCOMPARE(s.state(), CatalogueSearch::Idle);

        s.itemTextEdited();
        out = s.enter(*c, {}, QStringLiteral("jz"));
        QCOMPARE(out.kind, Outcome::ItemSearched);
        QCOMPARE(out.item->name, QStringLiteral("洁治"));
        QCOMPARE(s.state(), CatalogueSearch::ItemFound);
        QCOMPARE(s.enter(*c, {}, {}).kind, Outcome::AddEntry);
        QCOMPARE(s.state(), CatalogueSearch::SearchItem);

        out = s.enter(*c, {}, QStringLiteral("xyz"));
        QVERIFY(!out.item);
        QCOMPARE(s.state(), CatalogueSearch::NothingFound);
        QCOMPARE(s.enter(*c, {}, {}).kind, Outcome::Nothing);
        QCOMPARE(s.state(), CatalogueSearch::NothingFound);
        s.f1();
        QCOMPARE(s.state(), CatalogueSearch::SearchItem);

        // A failed look-up leaves the state where it was.
        c->failStatementAfter(1);
        QVERIFY_THROWS_EXCEPTION(db::Error, s.enter(*c, {}, QStringLiteral("jz")));
        QCOMPARE(s.state(), CatalogueSearch::SearchItem);

        CatalogueSearch itemsOnly(false);
        itemsOnly.classTextEdited();
        QCOMPARE(itemsOnly.state(), CatalogueSearch::Idle);
        QCOMPARE(itemsOnly.enter(*c, QStringLiteral("BYL"), {}).kind, Outcome::Nothing);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
