#include "BareSql.h"
#include <QDateTime>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <cstdio>
#include <cstdlib>

namespace
{

QByteArray textOf(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    if (v.typeId() == QMetaType::Double) return QByteArray::number(v.toDouble(), 'g', 17);
    return v.toString().toUtf8();
}

[[noreturn]] void die(const char* what, const char* why)
{
    std::fprintf(stderr, "bare %s: %s\n", what, why);
    std::abort();
}

class BareSQLite : public BareSql {
public:
    explicit BareSQLite(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            die("open", sqlite3_errmsg(db_));
        sqlite3_busy_timeout(db_, 5000);
    }
    ~BareSQLite() override
    {
        for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
        sqlite3_close(db_);
    }
    int prepare(const QString& sql) override
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
            die("prepare", sqlite3_errmsg(db_));
        statements_.push_back(s);
        return int(statements_.size()) - 1;
    }
    Result run(int statement, const QVariantList& values) override
    {
        sqlite3_stmt* s = statements_[statement];
        sqlite3_reset(s);
        for (int i = 0; i < values.size(); ++i) {
            const QVariant& v = values[i];
            if (v.isNull()) sqlite3_bind_null(s, i + 1);
            else if (v.typeId() == QMetaType::Double) sqlite3_bind_double(s, i + 1, v.toDouble());
            else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
                sqlite3_bind_int64(s, i + 1, v.toLongLong());
            else {
                const QByteArray t = textOf(v);
                sqlite3_bind_text(s, i + 1, t.constData(), int(t.size()), SQLITE_TRANSIENT);
            }
        }
        Result r;
        int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) {
            switch (sqlite3_column_type(s, 0)) {
            case SQLITE_INTEGER: r.first = qint64(sqlite3_column_int64(s, 0)); break;
            case SQLITE_FLOAT: r.first = sqlite3_column_double(s, 0); break;
            case SQLITE_NULL: break;
            default: r.first = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
            }
            while (rc == SQLITE_ROW) rc = sqlite3_step(s);
        }
        if (rc != SQLITE_DONE) die("step", sqlite3_errmsg(db_));
        r.changed = sqlite3_changes(db_);
        return r;
    }
    void exec(const char* sql) override
    {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) die("exec", error);
    }
    bool isSQLite() const override { return true; }

private:
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
};

class BarePostgres : public BareSql {
public:
    explicit BarePostgres(const QString& url)
    {
        pg_ = PQconnectdb(url.toUtf8().constData());
        if (PQstatus(pg_) != CONNECTION_OK) die("connect", PQerrorMessage(pg_));
    }
    ~BarePostgres() override { PQfinish(pg_); }
    int prepare(const QString& sql) override
    {
        // "?" → "$n"; our statements hold no "?" inside literals.
        QString text;
        int n = 0;
        for (const QChar ch : sql) text += ch == u'?' ? QStringLiteral("$%1").arg(++n) : QString(ch);
        const QByteArray name = "s" + QByteArray::number(count_++);
        PGresult* r = PQprepare(pg_, name.constData(), text.toUtf8().constData(), 0, nullptr);
        if (PQresultStatus(r) != PGRES_COMMAND_OK) die("prepare", PQerrorMessage(pg_));
        PQclear(r);
        return count_ - 1;
    }
    Result run(int statement, const QVariantList& values) override
    {
        std::vector<QByteArray> texts;
        std::vector<const char*> params;
        texts.reserve(values.size());
        for (const QVariant& v : values) {
            texts.push_back(textOf(v));
            params.push_back(v.isNull() ? nullptr : texts.back().constData());
        }
        const QByteArray name = "s" + QByteArray::number(statement);
        PGresult* r = PQexecPrepared(pg_, name.constData(), int(params.size()), params.data(), nullptr, nullptr, 0);
        const ExecStatusType st = PQresultStatus(r);
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) die("exec", PQerrorMessage(pg_));
        Result out;
        out.changed = QByteArray(PQcmdTuples(r)).toInt();
        if (st == PGRES_TUPLES_OK && PQntuples(r) > 0 && !PQgetisnull(r, 0, 0))
            out.first = QString::fromUtf8(PQgetvalue(r, 0, 0));
        PQclear(r);
        return out;
    }
    void exec(const char* sql) override
    {
        PGresult* r = PQexec(pg_, sql);
        if (PQresultStatus(r) != PGRES_COMMAND_OK) die("exec", PQerrorMessage(pg_));
        PQclear(r);
    }
    bool isSQLite() const override { return false; }

private:
    PGconn* pg_ = nullptr;
    int count_ = 0;
};

} // namespace

std::unique_ptr<BareSql> BareSql::open(const QString& url)
{
    if (url.startsWith(QLatin1String("sqlite:"))) return std::make_unique<BareSQLite>(url.mid(7));
    return std::make_unique<BarePostgres>(url);
}
