#include "rx/MedicineCatalogue.h"
#include "common/Gbk.h"
#include "common/Money.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include <QHash>
#include <QSet>
#include <algorithm>

namespace rx {

namespace {

const QString table = QStringLiteral("常用药品表");

Medicine medicineOf(const db::Query& q)
{
    return {q.integer(QStringLiteral("ID")),
            q.text(QStringLiteral("类别")),
            q.text(QStringLiteral("名称")),
            q.text(QStringLiteral("规格")),
            q.text(QStringLiteral("单位")),
            q.number(QStringLiteral("单价")),
            q.text(QStringLiteral("服用方式")),
            q.text(QStringLiteral("每次用量")),
            q.text(QStringLiteral("每日用量")),
            q.text(QStringLiteral("适应症")),
            q.text(QStringLiteral("医保类型"))};
}

std::optional<Medicine> first(db::Query& q)
{
    q.exec();
    if (!q.next()) return std::nullopt;
    return medicineOf(q);
}

// Each value once (as the list fillers offer them), blanks left out, in GBK order.
QStringList distinctSorted(QStringList values)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString& v : values) {
        if (v.trimmed().isEmpty() || seen.contains(db::textKey(v))) continue;
        seen.insert(db::textKey(v));
        out << v;
    }
    std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) { return gbk::compare(a, b) < 0; });
    return out;
}

} // namespace

QList<MedicineCategory> MedicineTree(db::Connection& c)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 常用药品表 ORDER BY ID"));
    q.exec();
    QList<MedicineCategory> tree;
    QHash<QString, qsizetype> byKey;
    while (q.next()) {
        Medicine m = medicineOf(q);
        const QString key = db::textKey(m.category);
        auto it = byKey.find(key);
        if (it == byKey.end()) {
            it = byKey.insert(key, tree.size());
            tree.append({m.category, {}});
        }
        tree[*it].medicines.append(std::move(m));
    }
    std::stable_sort(tree.begin(), tree.end(), [](const MedicineCategory& a, const MedicineCategory& b) {
        return gbk::compare(db::textKey(a.name), db::textKey(b.name)) < 0;
    });
    return tree;
}

QString medicineText(const Medicine& m)
{
    return QStringList{m.name,
                       m.spec,
                       QStringLiteral("￥") + money::format2(m.price),
                       m.indication,
                       m.usage,
                       m.dose,
                       m.daily,
                       m.category,
                       QStringLiteral("(%1)").arg(m.id)}
        .join(QLatin1Char(' '));
}

std::optional<Medicine> MedicineById(db::Connection& c, qint64 id)
{
    db::Query q(c, QStringLiteral("SELECT * FROM 常用药品表 WHERE ID=?"), {id});
    return first(q);
}

std::optional<Medicine> MedicineByNameSpec(db::Connection& c, const QString& name, const QString& spec)
{
    db::Query q(c,
                QStringLiteral("SELECT * FROM 常用药品表 WHERE ") + db::sameText(QStringLiteral("名称")) +
                    QStringLiteral(" AND ") + db::sameText(QStringLiteral("规格")) + QStringLiteral(" ORDER BY ID"),
                {name, spec});
    return first(q);
}

QStringList NamesOfCategory(db::Connection& c, const QString& category)
{
    return db::InitComboxForSpecial(c, table, QStringLiteral("名称"), QStringLiteral("类别"), category);
}

QStringList SpecsOfName(db::Connection& c, const QString& name)
{
    return db::InitComboxForSpecial(c, table, QStringLiteral("规格"), QStringLiteral("名称"), name);
}

DoseLists DosesOf(db::Connection& c, const QString& name, const QString& spec)
{
    db::Query q(c,
                QStringLiteral("SELECT 每次用量, 每日用量 FROM 常用药品表 WHERE ") + db::sameText(QStringLiteral("名称")) +
                    QStringLiteral(" AND ") + db::sameText(QStringLiteral("规格")),
                {name, spec});
    q.exec();
    QStringList doses, daily;
    while (q.next()) {
        doses << q.text(0);
        daily << q.text(1);
    }
    return {distinctSorted(doses), distinctSorted(daily)};
}

} // namespace rx
