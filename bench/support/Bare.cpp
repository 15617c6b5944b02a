#include "bench/support/Bare.h"
#include <QUrl>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdexcept>

namespace bench {

namespace {

class BareSqlite : public Bare {
public:
    explicit BareSqlite(const std::string& path)
    {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("sqlite3_open_v2: " + std::string(sqlite3_errmsg(db_)));
        sqlite3_busy_timeout(db_, 5000);
    }
    ~BareSqlite() override
    {
        for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
        sqlite3_close(db_);
    }
    int prepare(const std::string& sql) override
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), int(sql.size()), &s, nullptr) != SQLITE_OK) fail(sql);
        statements_.push_back(s);
        return int(statements_.size()) - 1;
    }
    std::vector<Row> run(int statement, const std::vector<Value>& params) override
    {
        sqlite3_stmt* s = statements_[statement];
        sqlite3_reset(s);
        for (size_t i = 0; i < params.size(); ++i) {
            if (params[i]) sqlite3_bind_text(s, int(i) + 1, params[i]->c_str(), int(params[i]->size()), SQLITE_STATIC);
            else sqlite3_bind_null(s, int(i) + 1);
        }
        std::vector<Row> rows;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            Row row;
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
                row.push_back(text ? Value(std::string(text, size_t(sqlite3_column_bytes(s, c)))) : std::nullopt);
            }
            rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) fail(sqlite3_sql(s));
        sqlite3_reset(s);
        return rows;
    }
    void execute(const std::string& sql) override
    {
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
    }

private:
    [[noreturn]] void fail(const std::string& sql) { throw std::runtime_error(sqlite3_errmsg(db_) + (" [" + sql + "]")); }
    sqlite3* db_ = nullptr;
    std::vector<sqlite3_stmt*> statements_;
};

class BarePg : public Bare {
public:
    explicit BarePg(const std::string& url)
    {
        conn_ = PQconnectdb(url.c_str());
        if (PQstatus(conn_) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(conn_));
        PQclear(PQexec(conn_, "SET client_encoding TO 'UTF8'"));
    }
    ~BarePg() override { PQfinish(conn_); }
    int prepare(const std::string& sql) override
    {
        // "?" becomes $1, $2, … (no statement here has a "?" inside a literal).
        std::string pg;
        int n = 0;
        for (char ch : sql) pg += ch == '?' ? "$" + std::to_string(++n) : std::string(1, ch);
        const std::string name = "bare" + std::to_string(count_++);
        PGresult* r = PQprepare(conn_, name.c_str(), pg.c_str(), 0, nullptr);
        check(r, sql);
        PQclear(r);
        names_.push_back(name);
        return count_ - 1;
    }
    std::vector<Row> run(int statement, const std::vector<Value>& params) override
    {
        std::vector<const char*> values;
        for (const Value& v : params) values.push_back(v ? v->c_str() : nullptr);
        PGresult* r = PQexecPrepared(conn_, names_[statement].c_str(), int(values.size()), values.data(), nullptr,
                                     nullptr, 0);
        check(r, names_[statement]);
        std::vector<Row> rows;
        for (int i = 0; i < PQntuples(r); ++i) {
            Row row;
            for (int c = 0; c < PQnfields(r); ++c)
                row.push_back(PQgetisnull(r, i, c) ? std::nullopt : Value(std::string(PQgetvalue(r, i, c))));
            rows.push_back(std::move(row));
        }
        PQclear(r);
        return rows;
    }
    void execute(const std::string& sql) override
    {
        PGresult* r = PQexec(conn_, sql.c_str());
        check(r, sql);
        PQclear(r);
    }

private:
    void check(PGresult* r, const std::string& what)
    {
        const auto status = PQresultStatus(r);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
        const std::string message = PQresultErrorMessage(r);
        PQclear(r);
        throw std::runtime_error(message + " [" + what + "]");
    }
    PGconn* conn_ = nullptr;
    std::vector<std::string> names_;
    int count_ = 0;
};

} // namespace

std::unique_ptr<Bare> Bare::open(const QString& url)
{
    if (url.startsWith(QLatin1String("sqlite:"))) return std::make_unique<BareSqlite>(url.mid(7).toStdString());
    return std::make_unique<BarePg>(url.toStdString());
}

double number(const Value& v) { return v ? std::stod(*v) : 0.0; }

} // namespace bench
