#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <stdexcept>

// The statistics dialogs keep their results as list lines whose columns are separated by "#",
// which is also how their printouts and exports read them back.
namespace stats {

QString joinLine(const QStringList& columns);
QStringList columnsOf(const QString& line);
// A sum as the reports show it ("%.1f"). Sums of fen amounts are first rounded to the fen, so
// the noise of adding many doubles (or of adding them in another order) never tips a digit.
QString amount1(double sum);

// The lines as CSV, UTF-8 with a byte-order mark so that spreadsheet programs read the Chinese
// texts; one row per line, one cell per column, quoted where a cell needs it.
QByteArray toCsv(const QStringList& lines);
// Writes toCsv(lines) to path whole or not at all; false with the reason when it cannot.
bool writeCsv(const QStringList& lines, const QString& path, QString* error);

// Long reports report their progress between slices of work: done of total. The callback
// answers false to stop; the report then throws Cancelled and its result is not used.
using Progress = std::function<bool(int done, int total)>;
struct Cancelled : std::runtime_error {
    Cancelled() : std::runtime_error("cancelled") {}
};

} // namespace stats
