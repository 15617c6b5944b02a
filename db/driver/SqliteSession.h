#pragma once
#include "db/driver/Driver.h"
#include <QByteArray>
#include <memory>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace db::driver {

// A connection to one SQLite file through the sqlite3 C API.
class SqliteSession final : public Session {
public:
    explicit SqliteSession(const QString& path);
    ~SqliteSession() override;

    std::unique_ptr<Statement> prepare(const QString& sql) override;
    void execute(const QString& sql) override;
    bool alive(QString* why) override;
    void reopen() override;
    QStringList tables() override;
    QString quoteIdentifier(const QString& name) const override;

private:
    void open();
    void close();

    QString path_;
    sqlite3* db_ = nullptr;
    // BEGIN, COMMIT, SAVEPOINT … come again and again: kept prepared by their text.
    std::unordered_map<QString, sqlite3_stmt*> controls_;
};

} // namespace db::driver
