#include "db/OptimisticEdit.h"
#include "db/Query.h"
#include <algorithm>

namespace db {

const QString kChangedElsewhere = QStringLiteral("该收据已在其他收费台被修改，已重新读取，请核对后再修改！");

LoadedRow LoadedRow::capture(const Query& query, const QString& table, const QString& keyColumn,
                             const QStringList& columns)
{
    checkIdentifier(table);
    checkIdentifier(keyColumn);
    LoadedRow row;
    row.table_ = table;
    row.keyColumn_ = keyColumn;
    row.key_ = query.value(keyColumn);
    QStringList names = columns;
    if (names.isEmpty()) {
        for (int i = 0; i < query.columnCount(); ++i)
            names << query.columnName(i);
    }
    for (const QString& name : names) {
        if (name.compare(keyColumn, Qt::CaseInsensitive) == 0)
            continue;
        checkIdentifier(name);
        row.values_.append({name, query.value(name)});
    }
    return row;
}

std::optional<LoadedRow> LoadedRow::load(Connection& c, const QString& table, const QString& keyColumn,
                                         const QVariant& key, const QStringList& columns)
{
    checkIdentifier(table);
    checkIdentifier(keyColumn);
    for (const QString& name : columns)
        checkIdentifier(name);
    const QString list =
        columns.isEmpty() ? QStringLiteral("*") : keyColumn + QLatin1Char(',') + columns.join(QLatin1Char(','));
    Query q(c, QStringLiteral("SELECT %1 FROM %2 WHERE %3=?").arg(list, table, keyColumn), {key});
    q.exec();
    if (!q.next())
        return std::nullopt;
    return capture(q, table, keyColumn, columns);
}

QVariant LoadedRow::value(const QString& column) const
{
    for (const auto& [name, value] : values_)
        if (name.compare(column, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

void LoadedRow::assign(const FieldValues& written)
{
    for (const auto& [column, value] : written)
        for (auto& [name, loaded] : values_)
            if (name.compare(column, Qt::CaseInsensitive) == 0)
                loaded = value;
}

Where LoadedRow::unchanged(const Connection& c) const
{
    // SQLite's IS and PostgreSQL's IS NOT DISTINCT FROM are "=" with NULL equal to NULL.
    const QString same = c.isSQLite() ? QStringLiteral("%1 IS ?") : QStringLiteral("%1 IS NOT DISTINCT FROM ?");
    Where w{keyColumn_ + QStringLiteral("=?"), {key_}};
    for (const auto& [name, value] : values_) {
        w.sql += QStringLiteral(" AND ") + same.arg(name);
        w.values << value;
    }
    return w;
}

namespace {

Where both(const Where& a, const Where& b)
{
    if (b.sql.isEmpty())
        return a;
    return {QStringLiteral("(%1) AND (%2)").arg(a.sql, b.sql), a.values + b.values};
}

EditResult outcome(Connection& c, const LoadedRow& row, int touched)
{
    if (touched > 0)
        return EditResult::Written;
    const bool there =
        !scalar(c, QStringLiteral("SELECT %1 FROM %2 WHERE %1=?").arg(row.keyColumn(), row.table()), {row.key()})
             .isNull();
    return there ? EditResult::Changed : EditResult::Gone;
}

} // namespace

EditResult modifyIfUnchanged(Connection& c, const LoadedRow& row, const FieldValues& fields, const Where& also)
{
    return outcome(c, row, ModefyRecord(c, row.table(), fields, both(row.unchanged(c), also)));
}

EditResult deleteIfUnchanged(Connection& c, const LoadedRow& row, const Where& also)
{
    return outcome(c, row, DeleteRecord(c, row.table(), both(row.unchanged(c), also)));
}

Where stillAsRead(const QString& keyColumn, const QVariant& key, const FieldValues& read, const FieldValues& nullReadAs)
{
    checkIdentifier(keyColumn);
    Where where{keyColumn + QStringLiteral("=?"), {key}};
    for (const auto& [column, value] : read) {
        checkIdentifier(column);
        const auto named = std::find_if(nullReadAs.cbegin(), nullReadAs.cend(),
                                        [&column](const auto& d) { return d.first.compare(column, Qt::CaseInsensitive) == 0; });
        if (named != nullReadAs.cend()) {
            where.sql += QStringLiteral(" AND coalesce(%1,?)=?").arg(column);
            where.values << named->second;
        } else {
            const bool number = value.typeId() != QMetaType::QString;
            where.sql += QStringLiteral(" AND coalesce(%1,%2)=?").arg(column, number ? QStringLiteral("0") : QStringLiteral("''"));
        }
        // A text read as nothing compares as "", never as NULL (which equals nothing).
        const bool nullText = value.typeId() == QMetaType::QString && value.toString().isNull();
        where.values << (nullText ? QVariant(QStringLiteral("")) : value);
    }
    return where;
}

} // namespace db
