#include "db/driver/SqliteSession.h"
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <sqlite3.h>

namespace db::driver {

namespace {

ErrorKind kindOf(int code)
{
    if (code == SQLITE_READONLY_DBMOVED) return ErrorKind::ConnectionLost;
    switch (code & 0xff) {
    case SQLITE_CONSTRAINT:
        return ErrorKind::Constraint;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ErrorKind::Busy;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
        return ErrorKind::ConnectionLost;
    default:
        return ErrorKind::Other;
    }
}

// The database's own message, with the statement it came from for whoever reads the log.
Error errorOf(sqlite3* db, int code, const QString& sql)
{
    QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(code));
    if (!sql.isEmpty()) message += QStringLiteral(" [") + sql + QLatin1Char(']');
    return Error(message, kindOf(code), QString::number(code));
}

class SqliteStatement final : public Statement {
public:
    SqliteStatement(sqlite3* db, sqlite3_stmt* statement, const QString& sql)
        : db_(db), statement_(statement), sql_(sql), readOnly_(sqlite3_stmt_readonly(statement) != 0),
          parameters_(sqlite3_bind_parameter_count(statement))
    {
    }
    ~SqliteStatement() override { sqlite3_finalize(statement_); }

    void exec(const QVariantList& values) override
    {
        reset();
        const int expected = parameters_;
        if (values.size() != expected)
            throw Error(QStringLiteral("Parameter count mismatch: %1 values for %2 placeholders [%3]")
                            .arg(values.size())
                            .arg(expected)
                            .arg(sql_));
        for (int i = 0; i < values.size(); ++i) bind(i + 1, values[i]);
        step();
        pending_ = hasRow_;
    }

    bool next() override
    {
        if (pending_) {
            pending_ = false;
            return true;
        }
        if (!hasRow_) return false;
        step();
        return hasRow_;
    }

    int columnCount() const override { return sqlite3_column_count(statement_); }
    QString columnName(int index) const override { return QString::fromUtf8(sqlite3_column_name(statement_, index)); }

    QVariant value(int index) const override
    {
        if (!hasRow_ || index < 0 || index >= sqlite3_column_count(statement_)) return {};
        switch (sqlite3_column_type(statement_, index)) {
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(statement_, index));
        case SQLITE_FLOAT:
            return sqlite3_column_double(statement_, index);
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, index));
            return QString::fromUtf8(text, sqlite3_column_bytes(statement_, index));
        }
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, index));
            return QByteArray(data, sqlite3_column_bytes(statement_, index));
        }
        default:
            return {};
        }
    }

    int rowsAffected() const override { return changes_; }

    void reset() override
    {
        // The result code repeats the last step's, which was reported when it happened. A run
        // that ended (done or failed) was reset as it ended.
        if (hasRow_) sqlite3_reset(statement_);
        hasRow_ = pending_ = false;
        kept_.clear();
    }

private:
    void bind(int slot, const QVariant& v)
    {
        int rc = SQLITE_OK;
        // The commonest types are read in place; a NULL comes as an invalid QVariant.
        switch (v.typeId()) { // an invalid QVariant's is UnknownType
        case QMetaType::UnknownType:
            rc = sqlite3_bind_null(statement_, slot);
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(statement_, slot, *static_cast<const double*>(v.constData()));
            break;
        case QMetaType::LongLong:
            rc = sqlite3_bind_int64(statement_, slot, *static_cast<const qlonglong*>(v.constData()));
            break;
        case QMetaType::Int:
            rc = sqlite3_bind_int64(statement_, slot, *static_cast<const int*>(v.constData()));
            break;
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(statement_, slot, v.toLongLong());
            break;
        case QMetaType::ULongLong:
        case QMetaType::ULong:
            rc = v.toULongLong() > quint64(std::numeric_limits<qint64>::max())
                ? sqlite3_bind_double(statement_, slot, v.toDouble())
                : sqlite3_bind_int64(statement_, slot, v.toLongLong());
            break;
        case QMetaType::Bool:
            rc = sqlite3_bind_int(statement_, slot, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Float:
            rc = sqlite3_bind_double(statement_, slot, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            kept_.append(v.toByteArray());
            const QByteArray& data = kept_.last();
            rc = sqlite3_bind_blob64(statement_, slot, data.constData(), quint64(data.size()), SQLITE_STATIC);
            break;
        }
        default: {
            // Texts, and anything else as its text. Kept until the next run: SQLite reads
            // the bytes in place rather than copying them.
            kept_.append(v.typeId() == QMetaType::QString ? static_cast<const QString*>(v.constData())->toUtf8()
                                                          : v.toString().toUtf8());
            const QByteArray& text = kept_.last();
            rc = sqlite3_bind_text64(statement_, slot, text.constData(), quint64(text.size()), SQLITE_STATIC,
                                     SQLITE_UTF8);
        }
        }
        if (rc != SQLITE_OK) throw errorOf(db_, rc, sql_);
    }

    void step()
    {
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW) {
            hasRow_ = true;
            return;
        }
        hasRow_ = false;
        if (rc == SQLITE_DONE) {
            changes_ = readOnly_ ? 0 : sqlite3_changes(db_);
            // Ended here, so that a read finished with does not keep its snapshot open.
            sqlite3_reset(statement_);
            return;
        }
        Error e = errorOf(db_, rc, sql_);
        sqlite3_reset(statement_);
        throw e;
    }

    sqlite3* db_;
    sqlite3_stmt* statement_;
    QString sql_;
    bool readOnly_;
    int parameters_;
    bool hasRow_ = false;
    bool pending_ = false; // exec() stepped onto the first row; next() has yet to hand it out
    int changes_ = 0;
    QList<QByteArray> kept_;
};

} // namespace

SqliteSession::SqliteSession(const QString& path) : path_(path) { open(); }

SqliteSession::~SqliteSession() { close(); }

void SqliteSession::open()
{
    // The file must be there: a new one is made by the caller, private to its owner, and a
    // file that went away is never silently replaced by an empty one.
    // NOMUTEX: a connection is used by one thread at a time (its statement cache is not shared
    // between threads either), so SQLite's own lock around every call would guard nothing.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (path_ == QLatin1String(":memory:")) flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(QFile::encodeName(path_).constData(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
        const Error e = errorOf(db_, rc, QString());
        close();
        throw e;
    }
    sqlite3_extended_result_codes(db_, 1);
    // A second workstation process may hold the file briefly; wait rather than fail.
    sqlite3_busy_timeout(db_, 5000);
    try {
        execute(QStringLiteral("PRAGMA foreign_keys=ON"));
        execute(QStringLiteral("PRAGMA journal_mode=WAL"));
    } catch (const Error&) {
        close();
        throw;
    }
}

void SqliteSession::close()
{
    for (const auto& [sql, statement] : controls_) sqlite3_finalize(statement);
    controls_.clear();
    // close_v2: a statement still held elsewhere keeps the handle until it is finalised.
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

std::unique_ptr<Statement> SqliteSession::prepare(const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v3(db_, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                                      nullptr);
    if (rc != SQLITE_OK) throw errorOf(db_, rc, sql);
    if (!statement) throw Error(QStringLiteral("empty statement [%1]").arg(sql));
    return std::make_unique<SqliteStatement>(db_, statement, sql);
}

void SqliteSession::execute(const QString& sql)
{
    const auto run = [&](sqlite3_stmt* statement) {
        int rc;
        do
            rc = sqlite3_step(statement);
        while (rc == SQLITE_ROW);
        if (rc != SQLITE_DONE) {
            const Error e = errorOf(db_, rc, sql);
            sqlite3_reset(statement);
            throw e;
        }
        sqlite3_reset(statement);
    };
    if (const auto kept = controls_.find(sql); kept != controls_.end()) return run(kept->second);

    // Several statements may come in one text (a migration's): each is run to its end in turn.
    const QByteArray text = sql.toUtf8();
    const char* rest = text.constData();
    const char* end = rest + text.size();
    while (rest < end) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        const int rc = sqlite3_prepare_v3(db_, rest, int(end - rest), 0, &statement, &tail);
        if (rc != SQLITE_OK) throw errorOf(db_, rc, sql);
        const bool whole = rest == text.constData() && QByteArrayView(tail, end - tail).trimmed().isEmpty();
        rest = tail;
        if (!statement) continue; // blanks or a comment
        // Short one-statement texts are the transaction's own: worth keeping; DDL is not.
        const bool keep = whole && text.size() < 64 && controls_.size() < 32;
        try {
            run(statement);
        } catch (const Error&) {
            sqlite3_finalize(statement);
            throw;
        }
        if (keep)
            controls_.emplace(sql, statement);
        else
            sqlite3_finalize(statement);
    }
}

bool SqliteSession::alive(QString* why)
{
    if (path_ == QLatin1String(":memory:") || QFileInfo::exists(path_)) return true;
    if (why) *why = QStringLiteral("数据库文件已不存在: %1").arg(path_);
    return false;
}

void SqliteSession::reopen()
{
    close();
    open();
}

QStringList SqliteSession::tables()
{
    QStringList names;
    auto statement = prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"));
    statement->exec({});
    while (statement->next()) names << statement->value(0).toString();
    return names;
}

QString SqliteSession::quoteIdentifier(const QString& name) const
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

std::unique_ptr<Session> openSqlite(const QString& path) { return std::make_unique<SqliteSession>(path); }

} // namespace db::driver
