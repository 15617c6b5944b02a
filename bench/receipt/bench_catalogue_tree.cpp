// The catalogue tree of the item-entry dialogs for a large clinic: 10,000 items in 20
// departments and 300 classes, built and put into the tree model. Ours (FillCatalogueTree, the
// clinic's text rules, our query layer) against one bare scan (sqlite3 / libpq) grouped in plain
// C++ into the same nodes and the same model; both trees are compared first. A second line
// keeps the way the tree was first built, one query per department and class, against the
// same bare scan. Runs on SQLite and, when CALVANE_TEST_PG holds a server URL, on PostgreSQL.
#include "bench/support/Bare.h"
#include "bench/support/BenchDb.h"
#include "bench/support/Pairs.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "receipt/Catalogue.h"
#include "receipt/CatalogueTree.h"
#include "receipt/CatalogueTreeModel.h"
#include "receipt/ClinicText.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <unordered_map>

using namespace receipt;

namespace {

constexpr int itemCount = 10000, departmentCount = 20, classCount = 300;

// Department 0 is NULL, 1 is empty, the rest are named; every 20th item has no class.
void generate(db::Connection& c)
{
    db::Transaction t(c);
    for (int i = 0; i < itemCount; ++i) {
        const int cls = i % classCount;
        const int dept = cls % departmentCount;
        const QVariant office = dept == 0 ? QVariant() : dept == 1 ? QVariant(QStringLiteral("")) : QVariant(QStringLiteral("科室%1").arg(dept));
        const QVariant className = i % 20 == 7 ? QVariant() : QVariant(QStringLiteral("分类%1").arg(cls));
        db::AddRecord(c, QStringLiteral("收费标准表"),
                      {{QStringLiteral("Office"), office},
                       {QStringLiteral("收费分类"), className},
                       {QStringLiteral("TypeCode"), QStringLiteral("T%1").arg(cls)},
                       {QStringLiteral("收费项目"), QStringLiteral("项目%1").arg(i)},
                       {QStringLiteral("ItemCode"), QStringLiteral("I%1").arg(i)},
                       {QStringLiteral("单位"), QStringLiteral("次")},
                       {QStringLiteral("单价"), 10.0 + i % 97},
                       {QStringLiteral("IS_Discount"), 1}});
    }
    t.commit();
}

void addItems(db::Connection& c, const QString& sql, const QVariantList& values, std::vector<CatalogueNode>& into)
{
    db::Query q(c, sql);
    q.bindAll(values).exec();
    while (q.next()) {
        const qint64 id = q.integer(QStringLiteral("ID"));
        into.push_back({CatalogueNode::Kind::Item,
                        catalogueItemText(q.text(QStringLiteral("收费项目")), q.text(QStringLiteral("单位")),
                                          q.number(QStringLiteral("单价")), id),
                        id, false, {}});
    }
}

// The tree built the first way: the distinct departments, then per department a query for
// the items without class and the distinct classes, then one query per class. indexed: plain
// "=" that the (Office, 收费分类) index serves, instead of the case-insensitive comparison.
std::vector<CatalogueNode> perClassQueries(db::Connection& c, const QString& current, bool indexed)
{
    using clinictext::isBlank;
    const auto equals = [indexed](const QString& column) {
        return indexed ? column + QStringLiteral("=?") : clinictext::equals(column);
    };
    std::vector<CatalogueNode> tree;
    QVariantList offices;
    {
        db::Query q(c, QStringLiteral("SELECT DISTINCT(Office) FROM 收费标准表"));
        q.exec();
        while (q.next()) offices << q.value(0);
    }
    for (const QVariant& value : offices) {
        const bool none = value.isNull() || clinictext::blank(value.toString());
        const QString office = db::toText(value);
        const QString text = none ? noDepartmentText : office;
        if (text == noDepartmentText &&
            db::toInteger(db::scalar(c, QStringLiteral("SELECT COUNT(ID) AS countNum FROM 收费标准表 WHERE ") +
                                            isBlank(QStringLiteral("Office")))) <= 0)
            continue;
        CatalogueNode dept{CatalogueNode::Kind::Department, text, 0, text == current || text == noDepartmentText, {}};
        const QString inDept = none ? isBlank(QStringLiteral("Office")) : equals(QStringLiteral("Office"));
        const QVariantList deptValues = none ? QVariantList{} : QVariantList{office};
        addItems(c,
                 QStringLiteral("SELECT * FROM 收费标准表 WHERE %1 AND %2 ORDER BY ID").arg(inDept, isBlank(QStringLiteral("收费分类"))),
                 deptValues, dept.children);
        const QVariantList classes = db::FindRecordValue(
            c, QStringLiteral("SELECT 收费分类 FROM 收费标准表 WHERE %1 GROUP BY 收费分类 ORDER BY MIN(ID)").arg(inDept),
            deptValues, QStringLiteral("收费分类"));
        for (const QVariant& classValue : classes) {
            const QString cls = db::toText(classValue);
            if (clinictext::blank(cls)) continue;
            CatalogueNode node{CatalogueNode::Kind::Class, cls, 0, false, {}};
            addItems(c,
                     QStringLiteral("SELECT * FROM 收费标准表 WHERE %1 AND %2 ORDER BY ID").arg(inDept, equals(QStringLiteral("收费分类"))),
                     deptValues + QVariantList{cls}, node.children);
            dept.children.push_back(std::move(node));
        }
        tree.push_back(std::move(dept));
    }
    return tree;
}

// Departments in a fixed order, so trees whose departments came back in another order compare.
std::vector<CatalogueNode> canonical(std::vector<CatalogueNode> tree)
{
    std::stable_sort(tree.begin(), tree.end(), [](const auto& a, const auto& b) { return a.text < b.text; });
    return tree;
}

size_t nodeCount(const std::vector<CatalogueNode>& nodes)
{
    size_t n = nodes.size();
    for (const auto& node : nodes) n += nodeCount(node.children);
    return n;
}

// The bare side: the same scan, grouped with plain strings. The generated catalogue has no
// names that differ only in case or trailing blanks, so plain equality groups as the clinic's
// comparison does; NULL and empty departments are two entries that both hold every item without
// a department, as the first-seen rule of the clinic's tree gives.
std::vector<CatalogueNode> bareTree(bench::Bare& bare, int scan, const QString& current)
{
    const std::vector<bench::Row> rows = bare.run(scan, {});
    const std::string nullKey("\x01"), emptyKey("\x02");
    std::vector<std::string> departments;
    std::unordered_map<std::string, std::vector<const bench::Row*>> byOffice;
    std::vector<const bench::Row*> unassigned;
    for (const bench::Row& r : rows) {
        const bool blank = !r[1] || r[1]->empty();
        const std::string key = !r[1] ? nullKey : r[1]->empty() ? emptyKey : *r[1];
        if (blank) unassigned.push_back(&r);
        auto [it, added] = byOffice.try_emplace(key);
        if (added) departments.push_back(key);
        if (!blank) it->second.push_back(&r);
    }
    const auto item = [](const bench::Row* r) {
        char price[32];
        std::snprintf(price, sizeof price, "%.2f", bench::number((*r)[5]));
        const qint64 id = std::stoll(*(*r)[0]);
        const std::string text = *(*r)[3] + " " + (*r)[4].value_or("") + " " + price + " (" + std::to_string(id) + ")";
        return CatalogueNode{CatalogueNode::Kind::Item, QString::fromStdString(text), id, false, {}};
    };
    std::vector<CatalogueNode> tree;
    for (const std::string& key : departments) {
        const bool blank = key == nullKey || key == emptyKey;
        const QString text = blank ? noDepartmentText : QString::fromStdString(key);
        CatalogueNode dept{CatalogueNode::Kind::Department, text, 0, blank || text == current, {}};
        std::vector<std::string> classes;
        std::unordered_map<std::string, std::vector<const bench::Row*>> byClass;
        for (const bench::Row* r : blank ? unassigned : byOffice[key]) {
            if (!(*r)[2] || (*r)[2]->empty()) {
                dept.children.push_back(item(r));
                continue;
            }
            auto [it, added] = byClass.try_emplace(*(*r)[2]);
            if (added) classes.push_back(*(*r)[2]);
            it->second.push_back(r);
        }
        for (const std::string& c : classes) {
            CatalogueNode cls{CatalogueNode::Kind::Class, QString::fromStdString(c), 0, false, {}};
            for (const bench::Row* r : byClass[c]) cls.children.push_back(item(r));
            dept.children.push_back(std::move(cls));
        }
        tree.push_back(std::move(dept));
    }
    return tree;
}

void run(const bench::Backend& b)
{
    auto c = db::Connection::open(b.url);
    db::schema::migrate(*c);
    generate(*c);
    bench::settleTables(*c);
    auto bare = bench::Bare::open(b.url);
    const int scan = bare->prepare("SELECT ID,Office,收费分类,收费项目,单位,单价 FROM 收费标准表 ORDER BY ID");
    const QString current = QStringLiteral("科室5");
    using Tree = std::vector<CatalogueNode>;
    const auto same = [](const Tree& a, const Tree& b) { return canonical(a) == canonical(b); };
    // Both sides end with the model a tree view shows.
    const std::function<Tree()> ours = [&] {
        CatalogueTreeModel model(FillCatalogueTree(*c, current, CatalogueOrder::Unsorted));
        return model.departments();
    };
    const std::function<Tree()> plain = [&] {
        CatalogueTreeModel model(bareTree(*bare, scan, current));
        return model.departments();
    };
    const std::string name = b.name.toStdString();
    std::printf("%s: %zu nodes\n", name.c_str(), nodeCount(ours()));
    bench::report("bench_catalogue_tree", name, "tree and model of 10,000 items", bench::pairs<Tree>(ours, plain, same));
    const std::function<Tree()> perClass = [&] {
        CatalogueTreeModel model(perClassQueries(*c, current, false));
        return model.departments();
    };
    bench::report("bench_catalogue_tree", name, "the same, one query per class (first way)",
                  bench::pairs<Tree>(perClass, plain, same));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    for (const bench::Backend& b : bench::backends(dir, QStringLiteral("catalogue"))) run(b);
    bench::dropAll();
    return 0;
}
