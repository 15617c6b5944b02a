#pragma once
#include <QString>

// Where a clinic's data lives when nobody names a database: the user's data folder
// ($XDG_DATA_HOME/calvane, by default ~/.local/share/calvane), never the checkout or the folder
// the tool happens to be started in, so that the desk finds the same clinic from anywhere.
namespace dataplace {

QString dataFolder();
// sqlite:<data folder>/clinic.sqlite
QString defaultDatabaseUrl();
// Creates the folder of a sqlite: URL's file when missing; false and why when it cannot.
bool makeFolderFor(const QString& sqliteUrl, QString* why);

} // namespace dataplace
