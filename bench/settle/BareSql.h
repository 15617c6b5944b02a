#pragma once
// The same statements as the engine runs, written straight against each database's own client
// library (sqlite3, libpq), each prepared once: the yardstick of the settlement benchmark.
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

class BareSql {
public:
    // "sqlite:PATH" or a postgresql:// URL, as the engine's connections take them.
    static std::unique_ptr<BareSql> open(const QString& url);
    virtual ~BareSql() = default;

    // Prepares a statement with "?" placeholders; returns its handle.
    virtual int prepare(const QString& sql) = 0;
    struct Result {
        int changed = 0;  // rows touched
        QVariant first;   // the first column of the first row, if any
    };
    // Binds the values (QString, double, int, qint64, QDateTime, null) and runs it; aborts on error.
    virtual Result run(int statement, const QVariantList& values) = 0;
    virtual void exec(const char* sql) = 0;
    virtual bool isSQLite() const = 0;
};
