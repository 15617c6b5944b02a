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

qint64 AddRecord(Connection& c, const QString& table, const FieldValues& fields, const QString& keyField)
{
    checkIdentifier(table);
    QStringList names, marks;
    QVariantList values;
    for (const auto& [name, value] : fields) {
        checkIdentifier(name);
        names << name;
        marks << QStringLiteral("?");
        values << value;
    }
    QString sql = names.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    if (!keyField.isEmpty()) {
        checkIdentifier(keyField);
        sql += QStringLiteral(" RETURNING ") + keyField;
    }
    Query q(c, sql);
    q.bindAll(values).exec();
    if (keyField.isEmpty()) return 0;
    if (!q.next()) throw Error(QStringLiteral("新记录的编号没有返回: %1").arg(table));
    return q.integer(0);
}

int ModefyRecord(Connection& c, const QString& table, const FieldValues& fields, const Where& where)
{
    checkIdentifier(table);
    if (fields.isEmpty()) return 0;
    QStringList sets;
    QVariantList values;
    for (const auto& [name, value] : fields) {
        checkIdentifier(name);
        sets << name + QStringLiteral("=?");
        values << value;
    }
    QString sql = QStringLiteral("UPDATE %1 SET %2").arg(table, sets.join(QLatin1Char(',')));
    if (!where.sql.isEmpty()) sql += QStringLiteral(" WHERE ") + where.sql;
    Query q(c, sql);
    q.bindAll(values).bindAll(where.values).exec();
    return q.rowsAffected();
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
