#pragma once
#include <QString>

// A UI script's transcript: one JSON object a line, each naming its "event". A script names the
// file, so the name may be anything, the clinic's database included. A transcript is written
// (appended to, or emptied for a new call) only when the file is one: missing, empty, or
// beginning with a transcript line. Anything else, and a SQLite database's companion files
// whatever they hold (an empty -wal is still the database's), is refused before it is touched.
namespace transcript {

// Whether path may be written as a transcript; *error says why not.
bool mayWrite(const QString& path, QString* error);

} // namespace transcript
