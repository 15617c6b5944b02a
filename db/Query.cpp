#include "db/Query.h"
#include "common/Money.h"
#include "common/ShortQuote.h"
#include <QSqlError>
#include <QSqlRecord>

namespace db {

namespace {
// Dates are stored as "YYYY-MM-DD …" text: a year outside 1..9999 would not sort or read back.
bool yearStorable(const QDate& d) { return !d.isValid() || (d.year() >= 1 && d.year() <= 9999); }
} // namespace

Query::Query(Connection& connection, const QString& sql)
    : connection_(connection), query_(connection.takeStatement(sql, prepared_)), sql_(sql)
{
}

Query::~Query()
{
    if (prepared_) connection_.returnStatement(sql_, std::move(query_));
}

Query::Query(Connection& connection, const QString& sql, std::initializer_list<QVariant> values)
    : Query(connection, sql)
{
    for (const auto& v : values) bind(v);
}

Query& Query::bind(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDateTime:
        if (!yearStorable(value.toDateTime().date())) badDate_ = QString::number(value.toDateTime().date().year());
        values_ << (value.toDateTime().isValid() ? QVariant(dateTimeText(value.toDateTime())) : QVariant());
        break;
    case QMetaType::QDate:
        if (!yearStorable(value.toDate())) badDate_ = QString::number(value.toDate().year());
        values_ << QVariant(value.toDate().toString(QStringLiteral("yyyy-MM-dd")));
        break;
    case QMetaType::Bool:
        values_ << QVariant(value.toBool() ? 1 : 0);
        break;
    default:
        values_ << value;
    }
    return *this;
}

Query& Query::bindAll(const QVariantList& values)
{
    for (const auto& v : values) bind(v);
    return *this;
}

Query& Query::exec()
{
    const bool writes = isWrite(sql_);
    if (writes) refuseUnstorableValues();
    connection_.checkInjectedFault();
    if (!prepared_) {
        if (!query_.prepare(sql_)) {
            connection_.noteFailedStatement();
            throw Error(query_.lastError().text() + QStringLiteral(" [") + sql_ + QLatin1Char(']'));
        }
        prepared_ = true;
    }
    for (int i = 0; i < values_.size(); ++i) query_.bindValue(i, values_[i]);
    buffered_ = false;
    rows_.clear();
    row_ = -1;
    if (!query_.exec()) {
        connection_.noteFailedStatement();
        throw Error(query_.lastError().text() + QStringLiteral(" [") + sql_ + QLatin1Char(']'));
    }
    if (writes) finish();
    connection_.checkInjectedFinishFault();
    return *this;
}

void Query::refuseUnstorableValues() const
{
    // The last line of defence: whatever a form or a host let through, an infinite, NaN or
    // absurd number never lands in a row (it would poison every sum made from it), nor a text
    // with a NUL in it (PostgreSQL refuses it, SQLite would store a text that C hosts cut
    // short), nor a date no column holds.
    for (const QVariant& v : values_) {
        if (v.isNull()) continue;
        const int type = v.typeId();
        if ((type == QMetaType::Double || type == QMetaType::Float) && !money::isStorable(v.toDouble()))
            throw Error(QStringLiteral("%1 (%2) [%3]").arg(money::kAmountOutOfRange, v.toString(), sql_));
        if (type == QMetaType::QString && v.toString().contains(QChar(0)))
            throw Error(QStringLiteral("文本中含有空字符（NUL），不能保存：%1 [%2]").arg(shortQuote(v.toString()), sql_));
    }
    if (!badDate_.isEmpty()) throw Error(QStringLiteral("日期超出范围（0001 至 9999 年）：%1 年 [%2]").arg(badDate_, sql_));
}

void Query::finish()
{
    // Step through every row the write returns, so the statement ends here and any failure at
    // its end (SQLITE_FULL, SQLITE_IOERR, a deferred constraint) reaches us. An abandoned
    // statement would report it only when reset, where nobody looks.
    buffered_ = true;
    columns_ = query_.record();
    if (query_.isSelect()) {
        while (query_.next()) rows_.append(query_.record());
    }
    if (query_.lastError().type() != QSqlError::NoError) {
        connection_.noteFailedStatement();
        throw Error(query_.lastError().text() + QStringLiteral(" [") + sql_ + QLatin1Char(']'));
    }
}

bool Query::next()
{
    if (!buffered_) return query_.next();
    if (row_ < rows_.size()) ++row_;
    return row_ < rows_.size();
}

QSqlRecord Query::record() const
{
    if (!buffered_) return query_.record();
    return row_ >= 0 && row_ < rows_.size() ? rows_[row_] : columns_;
}

int Query::indexOf(const QString& column) const
{
    const int i = record().indexOf(column);
    if (i < 0) throw Error(QStringLiteral("结果中没有列 %1 [%2]").arg(column, sql_));
    return i;
}

bool Query::isNull(const QString& column) const { return value(column).isNull(); }
QVariant Query::value(const QString& column) const { return value(indexOf(column)); }

QVariant Query::value(int index) const
{
    if (!buffered_) return query_.value(index);
    return row_ >= 0 && row_ < rows_.size() ? rows_[row_].value(index) : QVariant();
}

double Query::number(const QString& column) const { return toNumber(value(column)); }
qint64 Query::integer(const QString& column) const { return toInteger(value(column)); }
QString Query::text(const QString& column) const { return toText(value(column)); }
QDateTime Query::dateTime(const QString& column) const { return toDateTime(value(column)); }
double Query::number(int index) const { return toNumber(value(index)); }
qint64 Query::integer(int index) const { return toInteger(value(index)); }
QString Query::text(int index) const { return toText(value(index)); }
int Query::rowsAffected() const { return query_.numRowsAffected(); }

bool isWrite(const QString& sql)
{
    qsizetype i = 0;
    while (i < sql.size() && (sql[i].isSpace() || sql[i] == QLatin1Char('('))) ++i;
    const QStringView rest = QStringView(sql).mid(i);
    for (const auto* read : {"SELECT", "WITH", "VALUES", "PRAGMA", "EXPLAIN", "SHOW"}) {
        const QLatin1String word(read);
        if (rest.startsWith(word, Qt::CaseInsensitive) &&
            (rest.size() == word.size() || !rest[word.size()].isLetterOrNumber()))
            return false;
    }
    return true;
}

double toNumber(const QVariant& v) { return v.isNull() ? 0.0 : v.toDouble(); }

qint64 toInteger(const QVariant& v)
{
    if (v.isNull()) return 0;
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    return ok ? i : static_cast<qint64>(v.toDouble());
}

QString toText(const QVariant& v) { return v.isNull() ? QString() : v.toString(); }

QDateTime toDateTime(const QVariant& v)
{
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    if (v.typeId() == QMetaType::QDate) return v.toDate().startOfDay();
    const QString s = v.toString().trimmed();
    for (const auto* f : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-dd HH:mm",
                          "yyyy-MM-dd"}) {
        const QDateTime t = QDateTime::fromString(s, QLatin1String(f));
        if (t.isValid()) return t;
    }
    return QDateTime::fromString(s, Qt::ISODate);
}

QString dateTimeText(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

int execute(Connection& c, const QString& sql, const QVariantList& values)
{
    Query q(c, sql);
    q.bindAll(values).exec();
    return q.rowsAffected();
}

QVariant scalar(Connection& c, const QString& sql, const QVariantList& values)
{
    Query q(c, sql);
    q.bindAll(values).exec();
    return q.next() ? q.value(0) : QVariant();
}

} // namespace db
