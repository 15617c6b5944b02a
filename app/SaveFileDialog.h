#pragma once
#include <QString>

class QFileDialog;
class QWidget;

// The one way the product asks where to save a file (CSV, PDF). The clinic's SQLite database
// belongs to SQLite alone: POSIX locks are per process, and any other open() and close() of
// the database or its -wal/-shm drops SQLite's locks, after which another desk can delete the
// WAL under us. So the dialog starts in the user's documents folder (never the working folder,
// where a database may live), tells file types by name only (Qt's own would read the start of
// every file it cannot name, the database among them), and refuses to save over a database.
namespace app {

// A save dialog set up as above, for a file like suggestedName (only its name is used).
void setUpSaveDialog(QFileDialog& dialog, const QString& suggestedName, const QString& filter, const QString& suffix);

// Asks where to save; empty when cancelled or refused (a message says why). A name without
// the suffix gets it.
QString chooseSaveFile(QWidget* parent, const QString& title, const QString& suggestedName, const QString& filter,
                       const QString& suffix);

// The folder save dialogs start in.
QString saveStartFolder();

// Whether path is a SQLite database or one of its companion files, judged by name alone (never
// by opening it).
bool isDatabaseFile(const QString& path);

} // namespace app
