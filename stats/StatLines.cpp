#include "stats/StatLines.h"
#include "common/Money.h"
#include <QSaveFile>

namespace stats {

QString joinLine(const QStringList& columns) { return columns.join(QLatin1Char('#')); }

QStringList columnsOf(const QString& line) { return line.split(QLatin1Char('#')); }

QString amount1(double sum) { return money::formatFixed(money::round2(sum), 1); }

namespace {
QString csvCell(const QString& cell)
{
    if (!cell.contains(QLatin1Char(',')) && !cell.contains(QLatin1Char('"')) && !cell.contains(QLatin1Char('\n'))
        && !cell.contains(QLatin1Char('\r')))
        return cell;
    QString quoted = cell;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
} // namespace

QByteArray toCsv(const QStringList& lines)
{
    QByteArray out("\xEF\xBB\xBF");
    for (const QString& line : lines) {
        QStringList cells;
        for (const QString& c : columnsOf(line)) cells << csvCell(c);
        out += cells.join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
    }
    return out;
}

bool writeCsv(const QStringList& lines, const QString& path, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toCsv(lines)) < 0 || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace stats
