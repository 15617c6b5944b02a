#pragma once
#include <QString>
#include <exception>

// Work of the current call that failed although a dialog answered it with its own message: a
// save the database refused ("收据记录失败,退出!", and the dialog stays open). The message is
// for the person at the desk; this record is for the host, so that a dialog closed after such a
// failure is not taken for a plain cancel. The module frame hands it to CalvaneLastError when
// the dialog ends without being confirmed, and forgets it when the dialog ends confirmed (a
// later attempt succeeded).
//
// Engine code that catches a database error and shows its own message calls report() instead
// of inform(); code that shows nothing calls record().
namespace callfailure {

// Remembers the reason (the last one recorded wins).
void record(const QString& reason);
// Shows message through the current Prompter and records what the error says.
void report(const QString& message, const std::exception& error);
// The reason recorded since the last clear(); empty when nothing failed.
QString last();
void clear();

} // namespace callfailure
