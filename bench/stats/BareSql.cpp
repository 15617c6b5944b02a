#include "bench/stats/BareSql.h"
#include <cstdlib>
#include <libpq-fe.h>
#include <sqlite3.h>
#include <stdexcept>

namespace bare {

Sqlite::Sqlite(const std::string& path)
{
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db_));
}

Sqlite::~Sqlite()
{
    for (auto& [sql, s] : statements_) sqlite3_finalize(s);
    sqlite3_close(db_);
}

Rows Sqlite::run(const std::string& sql, const std::vector<std::string>& params)
{
    sqlite3_stmt*& s = statements_[sql];
    if (!s && sqlite3_prepare_v2(db_, sql.c_str(), int(sql.size()), &s, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(db_));
    sqlite3_reset(s);
    for (size_t i = 0; i < params.size(); ++i)
        sqlite3_bind_text(s, int(i + 1), params[i].c_str(), int(params[i].size()), SQLITE_STATIC);
    Rows rows;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        const int n = sqlite3_column_count(s);
        std::vector<Cell> row(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c) {
            Cell& cell = row[size_t(c)];
            const int type = sqlite3_column_type(s, c);
            cell.null = type == SQLITE_NULL;
            if (type == SQLITE_TEXT) {
                cell.text = reinterpret_cast<const char*>(sqlite3_column_text(s, c));
                cell.number = std::atof(cell.text.c_str());
            } else if (!cell.null) {
                cell.number = sqlite3_column_double(s, c);
            }
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db_));
    return rows;
}

Postgres::Postgres(const std::string& url) : db_(PQconnectdb(url.c_str()))
{
    if (PQstatus(db_) != CONNECTION_OK) throw std::runtime_error(PQerrorMessage(db_));
}

Postgres::~Postgres() { PQfinish(db_); }

Rows Postgres::run(const std::string& sql, const std::vector<std::string>& params)
{
    auto it = statements_.find(sql);
    if (it == statements_.end()) {
        std::string numbered;
        int n = 0;
        for (char ch : sql) {
            if (ch == '?') numbered += "$" + std::to_string(++n);
            else numbered += ch;
        }
        const std::string name = "s" + std::to_string(statements_.size() + 1);
        PGresult* r = PQprepare(db_, name.c_str(), numbered.c_str(), 0, nullptr);
        const bool ok = PQresultStatus(r) == PGRES_COMMAND_OK;
        PQclear(r);
        if (!ok) throw std::runtime_error(PQerrorMessage(db_));
        it = statements_.emplace(sql, name).first;
    }
    std::vector<const char*> values;
    for (const std::string& p : params) values.push_back(p.c_str());
    PGresult* r = PQexecPrepared(db_, it->second.c_str(), int(values.size()), values.data(), nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_TUPLES_OK) {
        const std::string error = PQerrorMessage(db_);
        PQclear(r);
        throw std::runtime_error(error);
    }
    Rows rows(size_t(PQntuples(r)));
    const int columns = PQnfields(r);
    for (int i = 0; i < PQntuples(r); ++i) {
        rows[size_t(i)].resize(size_t(columns));
        for (int c = 0; c < columns; ++c) {
            Cell& cell = rows[size_t(i)][size_t(c)];
            cell.null = PQgetisnull(r, i, c);
            if (cell.null) continue;
            cell.text = PQgetvalue(r, i, c);
            cell.number = std::strtod(cell.text.c_str(), nullptr);
        }
    }
    PQclear(r);
    return rows;
}

} // namespace bare
