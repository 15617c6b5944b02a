#include "db/Query.h"
#include "common/Money.h"
#include "common/ShortQuote.h"
#include "db/PreparedStatement.h"

namespace db {

namespace {
// Dates are stored as "YYYY-MM-DD …" text: a year outside 1..9999 would not sort or read back.
bool yearStorable(const QDate& d) { return !d.isValid() || (d.year() >= 1 && d.year() <= 9999); }
} // namespace

Query::Query(Connection& connection, const QString& sql)
    : connection_(connection), sql_(sql), prepared_(connection.takeStatement(sql)), values_(prepared_->values)
{
    values_.clear();
}

Query::~Query()
{
    values_.clear();
    try {
        connection_.returnStatement(sql_, std::move(prepared_));
    } catch (...) {
        // Only the cache loses a statement.
    }
}

Query::Query(Connection& connection, const QString& sql, std::initializer_list<QVariant> values)
    : Query(connection, sql)
{
    for (const auto& v : values) bind(v);
}

Query& Query::bind(const QVariant& value)
{
    // A NULL goes on untyped, whatever type it was given: the drivers then tell it by
    // isValid() alone, which costs nothing, where isNull() is a call into Qt for every value.
    if (value.isNull()) {
        values_.emplaceBack();
        return *this;
    }
    switch (value.typeId()) {
    case QMetaType::Double:
        refuseIfUnstorable(*static_cast<const double*>(value.constData()), value);
        values_ << value;
        break;
    case QMetaType::Float:
        refuseIfUnstorable(double(*static_cast<const float*>(value.constData())), value);
        values_ << value;
        break;
    case QMetaType::QString: {
        const auto& text = *static_cast<const QString*>(value.constData());
        if (refused_.isEmpty() && text.contains(QChar(0)))
            refused_ = QStringLiteral("文本中含有空字符（NUL），不能保存：%1").arg(shortQuote(text));
        values_ << value;
        break;
    }
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

void Query::refuseIfUnstorable(double number, const QVariant& value)
{
    if (refused_.isEmpty() && !money::isStorable(number))
        refused_ = QStringLiteral("%1 (%2)").arg(money::kAmountOutOfRange, value.toString());
}

Query& Query::bindAll(const QVariantList& values)
{
    for (const auto& v : values) bind(v);
    return *this;
}

// Runs a step on the driver's statement; a failure is noted on the connection (PostgreSQL has
// lost the transaction) before it travels on.
template <class Step>
auto Query::failingNoted(Step&& step) const
{
    try {
        return step(*prepared_->statement);
    } catch (const Error&) {
        connection_.noteFailedStatement();
        throw;
    }
}

Query& Query::exec()
{
    failure_.reset();
    sentAhead_ = false;
    if (prepared_->writes) refuseUnstorableValues();
    connection_.checkInjectedFault();
    if (!prepared_->statement) connection_.prepare(*prepared_, sql_);
    if (ran_) prepared_->statement->reset();
    ran_ = false;
    buffered_ = false;
    rows_.clear();
    row_ = -1;
    failingNoted([this](driver::Statement& s) { s.exec(values_); });
    ran_ = true;
    if (prepared_->writes) finish();
    connection_.checkInjectedFinishFault();
    return *this;
}

Query& Query::send()
{
    if (connection_.transactionDepth() == 0)
        throw Error(QStringLiteral("a statement is sent ahead only inside a transaction [%1]").arg(sql_));
    failure_.reset();
    try {
        // SQLite answers at once: nothing to wait for.
        if (connection_.isSQLite()) return exec();
        if (prepared_->writes) refuseUnstorableValues();
        connection_.checkInjectedFault();
        if (!prepared_->statement) connection_.prepare(*prepared_, sql_);
        ran_ = false;
        buffered_ = false;
        rows_.clear();
        row_ = -1;
        failingNoted([this](driver::Statement& s) { s.send(values_); });
        ran_ = true;
        sentAhead_ = true;
    } catch (const Error& e) {
        failure_ = e;
        // Whether or not anybody looks, the transaction must not commit as if it had run.
        connection_.noteUnobservedFailure();
    }
    return *this;
}

void Query::awaitAnswer() const
{
    if (failure_) throw *failure_;
    if (!sentAhead_) return;
    sentAhead_ = false;
    if (!prepared_->writes) return; // the driver waits for the rows when they are read
    finish();
    connection_.checkInjectedFinishFault();
}

void Query::refuseUnstorableValues() const
{
    // The last line of defence: whatever a form or a host let through, an infinite, NaN or
    // absurd number never lands in a row (it would poison every sum made from it), nor a text
    // with a NUL in it (PostgreSQL refuses it, SQLite would store a text that C hosts cut
    // short), nor a date no column holds. Each value was judged as it was bound.
    if (!refused_.isEmpty()) throw Error(QStringLiteral("%1 [%2]").arg(refused_, sql_));
    if (!badDate_.isEmpty()) throw Error(QStringLiteral("日期超出范围（0001 至 9999 年）：%1 年 [%2]").arg(badDate_, sql_));
}

void Query::finish() const
{
    // Step through every row the write returns, so the statement ends here and any failure at
    // its end (SQLITE_FULL, SQLITE_IOERR, a deferred constraint) reaches us. An abandoned
    // statement would report it only when reset, where nobody looks.
    buffered_ = true;
    failingNoted([this](driver::Statement& s) {
        const int columns = s.columnCount();
        while (s.next()) {
            QVariantList row;
            row.reserve(columns);
            for (int i = 0; i < columns; ++i) row << s.value(i);
            rows_.append(std::move(row));
        }
    });
}

bool Query::next()
{
    awaitAnswer();
    if (!ran_) return false;
    if (!buffered_) return failingNoted([](driver::Statement& s) { return s.next(); });
    if (row_ < rows_.size()) ++row_;
    return row_ < rows_.size();
}

int Query::columnCount() const
{
    awaitAnswer();
    return ran_ ? failingNoted([](driver::Statement& s) { return s.columnCount(); }) : 0;
}

QString Query::columnName(int index) const
{
    return index >= 0 && index < columnCount() ? prepared_->statement->columnName(index) : QString();
}

int Query::indexOf(const QString& column) const
{
    awaitAnswer();
    const int i = ran_ ? prepared_->indexOf(column) : -1;
    if (i < 0) throw Error(QStringLiteral("结果中没有列 %1 [%2]").arg(column, sql_));
    return i;
}

bool Query::isNull(const QString& column) const { return value(column).isNull(); }
QVariant Query::value(const QString& column) const { return value(indexOf(column)); }

QVariant Query::value(int index) const
{
    awaitAnswer();
    if (!ran_) return {};
    if (!buffered_) return prepared_->statement->value(index);
    if (row_ < 0 || row_ >= rows_.size()) return {};
    const QVariantList& row = rows_[row_];
    return index >= 0 && index < row.size() ? row[index] : QVariant();
}

double Query::number(const QString& column) const { return toNumber(value(column)); }
qint64 Query::integer(const QString& column) const { return toInteger(value(column)); }
QString Query::text(const QString& column) const { return toText(value(column)); }
QDateTime Query::dateTime(const QString& column) const { return toDateTime(value(column)); }
double Query::number(int index) const { return toNumber(value(index)); }
qint64 Query::integer(int index) const { return toInteger(value(index)); }
QString Query::text(int index) const { return toText(value(index)); }
int Query::rowsAffected() const
{
    awaitAnswer();
    return ran_ ? failingNoted([](driver::Statement& s) { return s.rowsAffected(); }) : 0;
}

int PreparedStatement::indexOf(const QString& column)
{
    const int count = statement ? statement->columnCount() : 0;
    if (columnsIndexed != count) {
        columns.clear();
        QStringList names;
        for (int i = 0; i < count; ++i) names << statement->columnName(i);
        // Last to first, so that the first of names equal but for case wins.
        for (int i = count - 1; i >= 0; --i) columns.insert(names[i].toLower(), i);
        // The names as spelled too, so that a look-up spelled the same needs no lower-casing.
        for (int i = 0; i < count; ++i)
            if (columns.value(names[i].toLower()) == i) columns.insert(names[i], i);
        columnsIndexed = count;
    }
    auto it = columns.constFind(column);
    if (it == columns.cend()) it = columns.constFind(column.toLower());
    return it == columns.cend() ? -1 : *it;
}

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
