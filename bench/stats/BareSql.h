#pragma once
#include <map>
#include <string>
#include <vector>

struct pg_conn;
struct sqlite3;
struct sqlite3_stmt;

// The other side of the statistics benchmark: the database's own C client, each statement
// prepared once and run with text parameters, no layer in between.
namespace bare {

struct Cell {
    bool null = true;
    double number = 0;
    std::string text;
};
using Rows = std::vector<std::vector<Cell>>;

class Client {
public:
    virtual ~Client() = default;
    // sql with "?" placeholders.
    virtual Rows run(const std::string& sql, const std::vector<std::string>& params) = 0;
};

class Sqlite : public Client {
public:
    explicit Sqlite(const std::string& path);
    ~Sqlite() override;
    Rows run(const std::string& sql, const std::vector<std::string>& params) override;

private:
    sqlite3* db_ = nullptr;
    std::map<std::string, sqlite3_stmt*> statements_;
};

class Postgres : public Client {
public:
    explicit Postgres(const std::string& url);
    ~Postgres() override;
    Rows run(const std::string& sql, const std::vector<std::string>& params) override;

private:
    pg_conn* db_ = nullptr;
    std::map<std::string, std::string> statements_; // sql → prepared name
};

} // namespace bare
