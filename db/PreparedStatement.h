#pragma once
#include "db/driver/Driver.h"
#include <QHash>
#include <QString>
#include <QVariantList>
#include <memory>

namespace db {

// A statement as the connection keeps it between uses: the driver's prepared statement and
// what is known about its SQL, worked out once rather than on every run or look-up.
struct PreparedStatement {
    std::unique_ptr<driver::Statement> statement; // null until prepared
    // The values of the run being bound; emptied between uses but keeping its room, so that a
    // statement run again and again binds without allocating.
    QVariantList values;
    bool writes = false;
    quint64 generation = 0;
    // Where the connection keeps statements of this SQL, while the cache it belongs to lasts.
    std::vector<std::unique_ptr<PreparedStatement>>* slot = nullptr;
    quint64 slotEpoch = 0;
    // Lower-cased column name -> index; the first of equal names wins. Built at the first
    // look-up by name, again only when the column count changes (SQLite re-prepares a
    // statement when the schema changes under it).
    QHash<QString, int> columns;
    int columnsIndexed = -1;

    int indexOf(const QString& column);
};

} // namespace db
