#pragma once
#include <QStringList>

// Each command takes its own arguments (after the command name) and returns the exit code.
int initCommand(const QStringList& args);
