#include "db/RecordOps.h"
#include "common/ShortQuote.h"
#include "db/Query.h"
#include <array>

namespace db {

void checkIdentifier(const QString& name)
{
    bool ok = !name.isEmpty();
    for (const QChar ch : name) {
        if (!(ch.isLetterOrNumber() || ch == QLatin1Char('_'))) ok = false;
    }
    if (!ok) throw Error(QStringLiteral("无效的表名或列名: %1").arg(shortQuote(name)));
}

namespace {

// The fields of a save, from a FieldValues or from a brace list alike.
struct Fields {
    const Field* first;
    qsizetype count;
    Fields(const FieldValues& list) : first(list.constData()), count(list.size()) {}
    Fields(std::initializer_list<Field> list) : first(list.begin()), count(qsizetype(list.size())) {}
    qsizetype size() const { return count; }
    bool isEmpty() const { return count == 0; }
    const Field* begin() const { return first; }
    const Field* end() const { return first + count; }
    const Field& operator[](qsizetype i) const { return first[i]; }
};

// The SQL of one shape of insert or update (table, columns, condition or key). A save writes the
// same few shapes over and over, and checking the names and writing the text out was most of
// what an update by key cost beyond SQLite's own work: the last shapes are kept, per thread,
// and found again by comparing the names. The text depends on nothing but the shape, so it is
// good on any connection.
struct Shape {
    bool insert = false;
    QString table;
    QString tail; // the condition of an update, the key field of an insert
    QStringList columns;
    QString sql;
};

thread_local std::array<Shape, 8> shapes;
thread_local size_t nextShape = 0;

const QString* knownShape(bool insert, const QString& table, Fields fields, const QString& tail)
{
    for (const Shape& shape : shapes) {
        if (shape.sql.isEmpty() || shape.insert != insert || shape.columns.size() != fields.size() || shape.table != table
            || shape.tail != tail)
            continue;
        bool same = true;
        for (qsizetype i = 0; same && i < fields.size(); ++i) same = shape.columns[i] == fields[i].first;
        if (same) return &shape.sql;
    }
    return nullptr;
}

const QString& keepShape(bool insert, const QString& table, Fields fields, const QString& tail, QString sql)
{
    Shape& shape = shapes[nextShape++ % shapes.size()];
    shape.insert = insert;
    shape.table = table;
    shape.tail = tail;
    shape.columns.clear();
    for (const auto& field : fields) shape.columns << field.first;
    shape.sql = std::move(sql);
    return shape.sql;
}

QString insertSql(const QString& table, Fields fields, const QString& keyField)
{
    if (const QString* known = knownShape(true, table, fields, keyField)) return *known;
    checkIdentifier(table);
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
    return keepShape(true, table, fields, keyField, std::move(sql));
}

QString modefySql(const QString& table, Fields fields, const Where& where)
{
    if (const QString* known = knownShape(false, table, fields, where.sql)) return *known;
    checkIdentifier(table);
    if (fields.isEmpty()) throw Error(QStringLiteral("没有要修改的列: %1").arg(table));
    QString sql;
    sql.reserve(64 + 16 * fields.size() + where.sql.size());
    sql += QLatin1String("UPDATE ");
    sql += table;
    sql += QLatin1String(" SET ");
    for (const auto& field : fields) {
        checkIdentifier(field.first);
        if (&field != fields.begin()) sql += QLatin1Char(',');
        sql += field.first;
        sql += QLatin1String("=?");
    }
    if (!where.sql.isEmpty()) {
        sql += QLatin1String(" WHERE ");
        sql += where.sql;
    }
    return keepShape(false, table, fields, where.sql, std::move(sql));
}

void bindFields(Query& q, Fields fields)
{
    for (const auto& field : fields) q.bind(field.second);
}

} // namespace

std::unique_ptr<Query> insertQuery(Connection& c, const QString& table, const FieldValues& fields, const QString& keyField)
{
    auto q = std::make_unique<Query>(c, insertSql(table, fields, keyField));
    bindFields(*q, fields);
    return q;
}

qint64 insertedKey(Query& insert, const QString& table)
{
    if (!insert.next()) throw Error(QStringLiteral("新记录的编号没有返回: %1").arg(table));
    return insert.integer(0);
}

namespace {

qint64 addRecord(Connection& c, const QString& table, Fields fields, const QString& keyField)
{
    Query q(c, insertSql(table, fields, keyField));
    bindFields(q, fields);
    q.exec();
    return keyField.isEmpty() ? 0 : insertedKey(q, table);
}

int modefyRecord(Connection& c, const QString& table, Fields fields, const Where& where)
{
    if (fields.isEmpty()) {
        checkIdentifier(table);
        return 0;
    }
    Query q(c, modefySql(table, fields, where));
    bindFields(q, fields);
    q.bindAll(where.values).exec();
    return q.rowsAffected();
}

} // namespace

qint64 AddRecord(Connection& c, const QString& table, const FieldValues& fields, const QString& keyField)
{
    return addRecord(c, table, fields, keyField);
}

qint64 AddRecord(Connection& c, const QString& table, std::initializer_list<Field> fields, const QString& keyField)
{
    return addRecord(c, table, fields, keyField);
}

int ModefyRecord(Connection& c, const QString& table, const FieldValues& fields, const Where& where)
{
    return modefyRecord(c, table, fields, where);
}

int ModefyRecord(Connection& c, const QString& table, std::initializer_list<Field> fields, const Where& where)
{
    return modefyRecord(c, table, fields, where);
}

std::unique_ptr<Query> modefyQuery(Connection& c, const QString& table, const FieldValues& fields, const Where& where)
{
    auto q = std::make_unique<Query>(c, modefySql(table, fields, where));
    bindFields(*q, fields);
    q->bindAll(where.values);
    return q;
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
