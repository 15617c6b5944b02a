#pragma once
#include <QStringList>

// Each command takes its own arguments (after the command name) and returns the exit code.
int initCommand(const QStringList& args);
// Calls one export as a host would (no application object of our own: the module makes its own).
// Whole-database copies: a backup file, its restore, a move between SQLite and PostgreSQL.
int backupCommand(const QStringList& args);
int restoreCommand(const QStringList& args);
int copyCommand(const QStringList& args);
int callCommand(const QStringList& args);
// The front desk window; needs a display.
int deskCommand(int argc, char** argv, const QStringList& args);
