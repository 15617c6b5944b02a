// The catalogue tree of the item-entry dialogs for a large clinic: 10,000 items in 20
// departments and 300 classes. Compares the query-per-department-and-class pattern (one
// statement per class, as the tree was first built) with the single ordered scan that
// FillCatalogueTree uses, checks that both give the same nodes, and prints the times.
// Runs on SQLite and, when CALVANE_TEST_PG holds a server URL, on PostgreSQL.
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "receipt/Catalogue.h"
#include "receipt/CatalogueTree.h"
#include "receipt/ClinicText.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>
#include <algorithm>

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

template <typename F> double medianMs(int runs, F&& f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

bool run(const QString& name, db::Connection& c, QTextStream& out)
{
    db::schema::migrate(c);
    generate(c);
    const QString current = QStringLiteral("科室5");
    const auto a = perClassQueries(c, current, false);
    const auto b = FillCatalogueTree(c, current, CatalogueOrder::Unsorted);
    if (canonical(a) != canonical(b)) {
        out << name << ": the two trees differ\n";
        return false;
    }
    if (canonical(perClassQueries(c, current, true)) != canonical(b)) {
        out << name << ": the indexed per-class tree differs\n";
        return false;
    }
    const double perClass = medianMs(5, [&] { perClassQueries(c, current, false); });
    const double perClassIndexed = medianMs(5, [&] { perClassQueries(c, current, true); });
    const double scan = medianMs(11, [&] { FillCatalogueTree(c, current, CatalogueOrder::Unsorted); });
    const double sorted = medianMs(11, [&] { FillCatalogueTree(c, current, CatalogueOrder::Sorted); });
    out << QStringLiteral("%1: %2 nodes in %3 departments\n"
                          "  query per class, case-insensitive  %4 ms  (%5 x the scan)\n"
                          "  query per class, indexed '='       %6 ms  (%7 x the scan)\n"
                          "  one scan (FillCatalogueTree)       %8 ms, sorted variant %9 ms\n")
               .arg(name)
               .arg(nodeCount(b))
               .arg(b.size())
               .arg(perClass, 0, 'f', 1)
               .arg(perClass / scan, 0, 'f', 1)
               .arg(perClassIndexed, 0, 'f', 1)
               .arg(perClassIndexed / scan, 0, 'f', 1)
               .arg(scan, 0, 'f', 1)
               .arg(sorted, 0, 'f', 1);
    out.flush();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    bool ok = true;
    {
        QTemporaryDir dir;
        auto c = db::Connection::open(QStringLiteral("sqlite:%1/bench.sqlite").arg(dir.path()));
        ok = run(QStringLiteral("SQLite"), *c, out) && ok;
    }
    const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
    if (!admin.isEmpty()) {
        const QString name = QStringLiteral("calvane_bench_%1").arg(QCoreApplication::applicationPid());
        auto a = db::Connection::open(admin);
        a->execute(QStringLiteral("CREATE DATABASE %1").arg(name));
        {
            QUrl u(admin);
            u.setPath(QLatin1Char('/') + name);
            auto c = db::Connection::open(u.toString());
            ok = run(QStringLiteral("PostgreSQL"), *c, out) && ok;
        }
        a->execute(QStringLiteral("DROP DATABASE %1").arg(name));
    }
    return ok ? 0 : 1;
}
