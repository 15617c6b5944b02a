#pragma once
#include "db/Connection.h"
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace db {
class Query;
}

// Fresh, empty databases for tests: a temporary SQLite file always, and a new PostgreSQL
// database when CALVANE_TEST_PG holds a URL (scripts/test.sh starts a throwaway server).
namespace testdb {

QStringList backends();
// For data-driven tests: adds the column "backend" and one row per backend.
void addBackendRows();
// A new database on that backend, migrated to the current schema unless migrate is false.
db::ConnectionPtr open(const QString& backend, bool migrate = true);
// The URL open() would use, without opening it (for code that opens its own connection).
QString freshUrl(const QString& backend);
// Points the settings file at a fresh temporary path (not created) and returns it.
QString isolateSettings();
// The query's current row by lower-cased column name (PostgreSQL folds unquoted names).
QVariantMap currentRow(const db::Query& q);

} // namespace testdb
