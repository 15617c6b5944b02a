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

// Brings freshly loaded tables to where a working clinic's are before anything is timed: their
// statistics gathered and the write-ahead log emptied into the database; on PostgreSQL also
// vacuumed. Otherwise autovacuum takes up the new tables, and a checkpoint writes out their
// pages, while a later measurement runs, and falls on whichever side runs then.
void settleTables(db::Connection& c);

} // namespace bench
