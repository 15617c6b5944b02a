#pragma once
#include "db/Connection.h"
#include <QList>

// The clinic schema, built by numbered migrations. Only `calvane init` (and tests) migrate:
// the module itself never creates tables while it runs.
namespace db::schema {

// The newest migration this build knows.
int latestVersion();
// The numbers of every migration this build knows, in order (numbers may skip).
QList<int> knownVersions();
// The migration the database is at; 0 for a database that has none.
int currentVersion(Connection& c);
// Applies every migration the database has not had, each in its own transaction; with upTo,
// only those numbered up to it (tests build an older database that way).
void migrate(Connection& c, int upTo = 0);

} // namespace db::schema
