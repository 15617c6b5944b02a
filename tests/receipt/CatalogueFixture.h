#pragma once
#include "db/RecordOps.h"
#include "receipt/CatalogueTree.h"
#include <QStringList>
#include <QVariant>

// Catalogue rows for the look-up tests. A null QVariant stands for NULL.
namespace fixture {

struct CatalogueRow {
    QVariant office;
    QVariant className;
    QString name;
    QString itemCode = {};
    QString typeCode = {};
    double price = 1.0;
    QVariant rate = {};
};

inline const QVariant null = QVariant();

inline qint64 addItem(db::Connection& c, const CatalogueRow& r)
{
    return db::AddRecord(c, QStringLiteral("收费标准表"),
                         {{QStringLiteral("Office"), r.office},
                          {QStringLiteral("收费分类"), r.className},
                          {QStringLiteral("TypeCode"), r.typeCode},
                          {QStringLiteral("收费项目"), r.name},
                          {QStringLiteral("ItemCode"), r.itemCode},
                          {QStringLiteral("单位"), QStringLiteral("次")},
                          {QStringLiteral("单价"), r.price},
                          {QStringLiteral("备注"), QStringLiteral("备注") + r.name},
                          {QStringLiteral("IS_Discount"), 1},
                          {QStringLiteral("Discout_Value"), r.rate}});
}

// The tree as indented lines: "[department]" with "+" when expanded, "<class>", item texts.
inline void render(const std::vector<receipt::CatalogueNode>& nodes, int depth, QStringList& out)
{
    for (const auto& n : nodes) {
        QString line(depth * 2, QLatin1Char(' '));
        switch (n.kind) {
        case receipt::CatalogueNode::Kind::Department:
            line += QLatin1Char('[') + n.text + QLatin1Char(']') + (n.expanded ? QStringLiteral("+") : QString());
            break;
        case receipt::CatalogueNode::Kind::Class:
            line += QLatin1Char('<') + n.text + QLatin1Char('>');
            break;
        case receipt::CatalogueNode::Kind::Item:
            line += n.text;
            break;
        }
        out << line;
        render(n.children, depth + 1, out);
    }
}

inline QStringList render(const std::vector<receipt::CatalogueNode>& nodes)
{
    QStringList out;
    render(nodes, 0, out);
    return out;
}

} // namespace fixture
