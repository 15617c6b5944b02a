#pragma once
#include "db/Connection.h"

// The clinic schema, built by numbered migrations. Only `calvane init` (and tests) migrate:
// the module itself never creates tables while it runs.
namespace db::schema {

// The newest migration this build knows.
int latestVersion();
// The migration the database is at; 0 for a database that has none.
int currentVersion(Connection& c);
// Applies every migration newer than the database's up to upTo, each in its own transaction
// (tests stop short of the newest to see an upgrade of rows written before it).
void migrate(Connection& c, int upTo = latestVersion());

} // namespace db::schema
