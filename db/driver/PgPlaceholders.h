#pragma once
#include <QByteArray>
#include <QString>

namespace db::driver {

// The statement with its "?" placeholders numbered $1, $2, … as PostgreSQL's extended protocol
// wants them. A "?" inside a '…' or E'…' literal, a "…" identifier, a -- or /* */ comment or a
// $tag$ … $tag$ body is text, not a placeholder, and stays as it is. `count` gets how many
// placeholders there were.
QByteArray numberedPlaceholders(const QString& sql, int* count);

} // namespace db::driver
