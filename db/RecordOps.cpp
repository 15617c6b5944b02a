#include "db/RecordOps.h"
#include "common/ShortQuote.h"
#include "db/Query.h"

namespace db {

void checkIdentifier(const QString& name)
{
    bool ok = !name.isEmpty();
    for (const QChar ch : name) {
        if (!(ch.isLetterOrNumber() || ch == QLatin1Char('_'))) ok = false;
    }
    if (!ok) throw Error(QStringLiteral("无效的表名或列名: %1").arg(shortQuote(name)));
}

std::unique_ptr<Query> insertQuery(Connection& c, const QString& table, const FieldValues& fields, const QString& keyField)
{
    checkIdentifier(table);
    // Written straight into one string: a save writes many lines, and this runs for each.
    QString sql;
    sql.reserve(64 + 16 * fields.size());
    sql += QLatin1String("INSERT INTO ");
    sql += table;
    if (fields.isEmpty()) {
        sql += QLatin1String(" DEFAULT VALUES");
    } else {
        QChar separator = QLatin1Char('(');
        for (const auto& field : fields) {
            checkIdentifier(field.first);
            sql += separator;
            sql += field.first;
            separator = QLatin1Char(',');
        }
        sql += QLatin1String(") VALUES (?");
        for (qsizetype i = 1; i < fields.size(); ++i) sql += QLatin1String(",?");
        sql += QLatin1Char(')');
    }
    if (!keyField.isEmpty()) {
        checkIdentifier(keyField);
        sql += QLatin1String(" RETURNING ");
        sql += keyField;
    }
    auto q = std::make_unique<Query>(c, sql);
    for (const auto& field : fields) q->bind(field.second);
    return q;
}

qint64 insertedKey(Query& insert, const QString& table)
{
    if (!insert.next()) throw Error(QStringLiteral("新记录的编号没有返回: %1").arg(table));
    return insert.integer(0);
}

qint64 AddRecord(Connection& c, const QString& table, const FieldValues& fields, const QString& keyField)
{
    const auto q = insertQuery(c, table, fields, keyField);
    q->exec();
    return keyField.isEmpty() ? 0 : insertedKey(*q, table);
}

std::unique_ptr<Query> modefyQuery(Connection& c, const QString& table, const FieldValues& fields, const Where& where)
{
    checkIdentifier(table);
    if (fields.isEmpty()) throw Error(QStringLiteral("没有要修改的列: %1").arg(table));
    QString sql;
    sql.reserve(64 + 16 * fields.size() + where.sql.size());
    sql += QLatin1String("UPDATE ");
    sql += table;
    sql += QLatin1String(" SET ");
    for (const auto& field : fields) {
        checkIdentifier(field.first);
        if (&field != &fields.front()) sql += QLatin1Char(',');
        sql += field.first;
        sql += QLatin1String("=?");
    }
    if (!where.sql.isEmpty()) {
        sql += QLatin1String(" WHERE ");
        sql += where.sql;
    }
    auto q = std::make_unique<Query>(c, sql);
    for (const auto& field : fields) q->bind(field.second);
    q->bindAll(where.values);
    return q;
}

int ModefyRecord(Connection& c, const QString& table, const FieldValues& fields, const Where& where)
{
    if (fields.isEmpty()) {
        checkIdentifier(table);
        return 0;
    }
    const auto q = modefyQuery(c, table, fields, where);
    q->exec();
    return q->rowsAffected();
}

int DeleteRecord(Connection& c, const QString& table, const Where& where)
{
    checkIdentifier(table);
    QString sql = QStringLiteral("DELETE FROM %1").arg(table);
    if (!where.sql.isEmpty()) sql += QStringLiteral(" WHERE ") + where.sql;
    Query q(c, sql);
    q.bindAll(where.values).exec();
    return q.rowsAffected();
}

QVariant SelectFieldValue(Connection& c, const QString& sql, const QVariantList& values, const QString& field)
{
    Query q(c, sql);
    q.bindAll(values).exec();
    return q.next() ? q.value(field) : QVariant();
}

QVariantList FindRecordValue(Connection& c, const QString& sql, const QVariantList& values, const QString& field)
{
    Query q(c, sql);
    q.bindAll(values).exec();
    QVariantList out;
    while (q.next()) out << q.value(field);
    return out;
}

QDateTime GetServerTime(Connection& c) { return c.serverTime(); }

} // namespace db
