#pragma once
#include "db/Connection.h"
#include <QString>
#include <QTemporaryDir>
#include <vector>

// The databases a benchmark runs on: a SQLite file, and a new PostgreSQL database when
// CALVANE_TEST_PG holds a maintenance URL (dropped again by dropAll()).
namespace bench {

struct Backend {
    QString name; // "sqlite" or "postgresql"
    QString url;
};

std::vector<Backend> backends(QTemporaryDir& dir, const QString& tag);
void dropAll();

} // namespace bench
