#pragma once
#include "db/driver/Driver.h"
#include <QSqlDatabase>
#include <memory>

namespace db::driver {

// PostgreSQL through Qt's QPSQL driver, until the session on libpq itself replaces it.
class QtSqlSession final : public Session {
public:
    explicit QtSqlSession(const QString& url);
    ~QtSqlSession() override;

    std::unique_ptr<Statement> prepare(const QString& sql) override;
    void execute(const QString& sql) override;
    bool alive(QString* why) override;
    void reopen() override;
    QStringList tables() override;
    QString quoteIdentifier(const QString& name) const override;

private:
    void open();

    QSqlDatabase db_;
    QString name_;
};

} // namespace db::driver
