#include "receipt/FeeCategories.h"
#include "db/Query.h"
#include "db/ClinicLookups.h"

namespace receipt {

namespace {

struct Category {
    QString column;
    QString label;
};

const std::array<Category, CategoryCount>& categories()
{
    static const std::array<Category, CategoryCount> all{{
        {QStringLiteral("挂号费"), QStringLiteral("挂号费")},
        {QStringLiteral("检查费"), QStringLiteral("检查费")},
        {QStringLiteral("镶牙费"), QStringLiteral("镶牙费")},
        {QStringLiteral("整畸费"), QStringLiteral("正畸费")},
        {QStringLiteral("注射费"), QStringLiteral("注射费")},
        {QStringLiteral("中药费"), QStringLiteral("中药费")},
        {QStringLiteral("西药费"), QStringLiteral("西药费")},
        {QStringLiteral("治疗费"), QStringLiteral("治疗费")},
        {QStringLiteral("手术费"), QStringLiteral("手术费")},
        {QStringLiteral("诊疗费"), QStringLiteral("诊疗费")},
        {QStringLiteral("放射费"), QStringLiteral("放射费")},
        {QStringLiteral("其它费用"), QStringLiteral("其它")},
    }};
    return all;
}

} // namespace

const QString& categoryColumn(int index) { return categories().at(static_cast<size_t>(index)).column; }

int categoryIndex(const QString& column)
{
    for (int i = 0; i < CategoryCount; ++i)
        if (categories()[i].column == column) return i;
    return -1;
}

CategoryLabels defaultCategoryLabels()
{
    CategoryLabels labels;
    for (int i = 0; i < CategoryCount; ++i) labels[i] = categories()[i].label;
    return labels;
}

double sumOf(const CategoryAmounts& amounts)
{
    double total = 0.0;
    for (double a : amounts) total += a;
    return total;
}


void LoadCategoryLabels(db::Connection& c, CategoryLabels& labels)
{
    labels = defaultCategoryLabels();
    db::GetReceiptItemName(c, labels);
}

db::FieldValues categoryFields(const CategoryAmounts& amounts)
{
    db::FieldValues fields;
    for (int i = 0; i < CategoryCount; ++i) fields.append({categoryColumn(i), amounts[size_t(i)]});
    return fields;
}

CategoryAmounts categoryAmountsOf(const db::Query& row)
{
    CategoryAmounts amounts{};
    for (int i = 0; i < CategoryCount; ++i) amounts[size_t(i)] = row.number(categoryColumn(i));
    return amounts;
}

} // namespace receipt
