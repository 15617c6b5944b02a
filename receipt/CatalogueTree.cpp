#include "receipt/CatalogueTree.h"
#include "common/Gbk.h"
#include "db/Query.h"
#include "receipt/Catalogue.h"
#include "receipt/ClinicText.h"
#include <QHash>
#include <algorithm>

namespace receipt {

namespace {

// A tree node's text holds at most 255 bytes (GBK), cut at a whole character.
QString limitBytes(const QString& text, int bytes)
{
    if (gbk::byteLength(text) <= bytes) return text;
    QString out;
    int used = 0;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, n);
        const int len = gbk::byteLength(ch);
        if (used + len > bytes) break;
        out += ch;
        used += len;
        i += n;
    }
    return out;
}

struct Row {
    qint64 id = 0;
    bool officeNull = false;
    QString office;
    QString officeKey;
    QString className;
    QString classKey;
    QString name;
    QString unit;
    double price = 0.0;
};

bool withoutDepartment(const Row& r) { return r.officeNull || r.officeKey.isEmpty(); }

// Orders names as the server's ORDER BY did: GBK bytes, ASCII case ignored.
class SortKeys {
public:
    // By value: a later insertion may move the hash's entries.
    QByteArray of(const QString& text)
    {
        auto it = cache_.find(text);
        if (it == cache_.end()) it = cache_.insert(text, gbk::encode(clinictext::key(text)));
        return *it;
    }
    bool less(const QString& a, const QString& b) { return of(a) < of(b); }

private:
    QHash<QString, QByteArray> cache_;
};

std::vector<CatalogueNode> itemNodes(std::vector<const Row*> rows, CatalogueOrder order, SortKeys& keys)
{
    if (order == CatalogueOrder::Sorted)
        std::stable_sort(rows.begin(), rows.end(), [&](const Row* a, const Row* b) { return keys.less(a->name, b->name); });
    std::vector<CatalogueNode> nodes;
    nodes.reserve(rows.size());
    for (const Row* r : rows)
        nodes.push_back({CatalogueNode::Kind::Item, catalogueItemText(r->name, r->unit, r->price, r->id), r->id, false, {}});
    return nodes;
}

// Items without a class first, then one node per class with its items.
void fillDepartment(CatalogueNode& department, const std::vector<const Row*>& members, CatalogueOrder order,
                    SortKeys& keys)
{
    std::vector<const Row*> unclassed;
    std::vector<QString> classOrder; // class keys, first occurrence
    QHash<QString, std::vector<const Row*>> byClass;
    QHash<QString, QString> classText;
    for (const Row* r : members) {
        if (r->classKey.isEmpty()) {
            unclassed.push_back(r);
            continue;
        }
        auto it = byClass.find(r->classKey);
        if (it == byClass.end()) {
            classOrder.push_back(r->classKey);
            classText.insert(r->classKey, r->className);
            it = byClass.insert(r->classKey, {});
        }
        it->push_back(r);
    }
    if (order == CatalogueOrder::Sorted)
        std::stable_sort(classOrder.begin(), classOrder.end(),
                         [&](const QString& a, const QString& b) { return keys.less(a, b); });

    department.children = itemNodes(unclassed, order, keys);
    for (const QString& key : classOrder) {
        CatalogueNode cls{CatalogueNode::Kind::Class, classText.value(key), 0, false, {}};
        cls.children = itemNodes(byClass.value(key), order, keys);
        department.children.push_back(std::move(cls));
    }
}

} // namespace

std::vector<CatalogueNode> FillCatalogueTree(db::Connection& c, const QString& currentDepartment, CatalogueOrder order)
{
    std::vector<Row> rows;
    {
        db::Query q(c, QStringLiteral("SELECT ID,Office,收费分类,收费项目,单位,单价 FROM 收费标准表 WHERE coalesce(停用,0)=0 ORDER BY ID"));
        q.exec();
        while (q.next()) {
            Row r;
            r.id = q.integer(0);
            r.officeNull = q.value(1).isNull();
            r.office = q.text(1);
            r.officeKey = clinictext::key(r.office);
            r.className = q.text(2);
            r.classKey = clinictext::key(r.className);
            r.name = q.text(3);
            r.unit = q.text(4);
            r.price = q.number(5);
            rows.push_back(std::move(r));
        }
    }

    // Distinct Office values: NULL, empty and each named department (by key), where first seen.
    struct Department {
        enum Kind { Null, Empty, Named } kind;
        QString key;
        QString value;
    };
    std::vector<Department> departments;
    QHash<QString, std::vector<const Row*>> byOffice;
    std::vector<const Row*> unassigned;
    bool seenNull = false, seenEmpty = false;
    for (const Row& r : rows) {
        if (withoutDepartment(r)) {
            unassigned.push_back(&r);
            bool& seen = r.officeNull ? seenNull : seenEmpty;
            if (!seen) departments.push_back({r.officeNull ? Department::Null : Department::Empty, {}, {}});
            seen = true;
            continue;
        }
        auto it = byOffice.find(r.officeKey);
        if (it == byOffice.end()) {
            departments.push_back({Department::Named, r.officeKey, r.office});
            it = byOffice.insert(r.officeKey, {});
        }
        it->push_back(&r);
    }

    SortKeys keys;
    if (order == CatalogueOrder::Sorted)
        std::stable_sort(departments.begin(), departments.end(), [&](const Department& a, const Department& b) {
            if (a.kind != b.kind) return a.kind < b.kind;
            return keys.less(a.key, b.key);
        });

    std::vector<CatalogueNode> tree;
    for (const Department& d : departments) {
        const QString text = d.kind == Department::Named ? limitBytes(d.value, 255) : noDepartmentText;
        const bool noDepartmentNode = clinictext::key(text) == noDepartmentText;
        if (noDepartmentNode && unassigned.empty()) continue;
        CatalogueNode node{CatalogueNode::Kind::Department, text, 0, false, {}};
        fillDepartment(node, d.kind == Department::Named ? byOffice.value(d.key) : unassigned, order, keys);
        node.expanded = noDepartmentNode || text == currentDepartment;
        tree.push_back(std::move(node));
    }
    return tree;
}

} // namespace receipt
