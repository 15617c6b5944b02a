#pragma once
#include <QString>

// Whole-clinic copies: a backup file of one database, its restore, and the move of a clinic
// between SQLite and PostgreSQL. Each throws db::Error with a message for the clinic's IT
// person; nothing is reported done that was not.
namespace backup {

// SQLite: a SQLite file made with SQLite's online backup (desks may keep working meanwhile).
// PostgreSQL: a pg_dump archive (custom format). FILE must not exist yet.
void backupDatabase(const QString& url, const QString& file);
// Puts a backup file back as the database at URL. A database that already holds receipts is
// kept unless `force`: a restore over it would lose the day's money.
void restoreDatabase(const QString& file, const QString& url, bool force);
// Copies every row of every clinic table from one database to another (either kind). The
// target is migrated first and must hold no receipts unless `force`; it is filled in one
// transaction, so a failed copy leaves it as it was. Returns the number of rows copied.
qint64 copyDatabase(const QString& fromUrl, const QString& toUrl, bool force);

} // namespace backup
