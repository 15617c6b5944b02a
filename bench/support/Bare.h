#pragma once
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The baseline side of the benchmarks: the database's own C library (sqlite3, libpq) and
// nothing of ours, statements prepared once. Values go in and come out as text (NULL as
// nullopt), which both libraries speak natively.
namespace bench {

using Value = std::optional<std::string>;
using Row = std::vector<Value>;

class Bare {
public:
    // "sqlite:PATH" (an existing file) or "postgresql://…".
    static std::unique_ptr<Bare> open(const QString& url);
    virtual ~Bare() = default;

    // Prepares sql ("?" placeholders) once; returns its handle.
    virtual int prepare(const std::string& sql) = 0;
    // Runs a prepared statement; every row it returns.
    virtual std::vector<Row> run(int statement, const std::vector<Value>& params) = 0;
    // Runs text without parameters (BEGIN, COMMIT, …).
    virtual void execute(const std::string& sql) = 0;
};

double number(const Value& v); // NULL reads 0

} // namespace bench
