#pragma once
#include <QString>
#include <QStringView>

// A refused value quoted in a message: its first few characters, and how long it was when it
// was longer. A message names what was wrong; it does not echo ten megabytes back to a log.
inline QString shortQuote(QStringView value, qsizetype keep = 40)
{
    if (value.size() <= keep) return value.toString();
    return value.left(keep).toString() + QStringLiteral("…(%1 chars)").arg(value.size());
}
