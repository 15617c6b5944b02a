#pragma once
#include <QString>

// What `calvane call EXPORT --help` says about an export's answer: its result and the meaning
// of each out value, as a script reading the printed JSON needs them.
namespace calltable {

QString resultMeaning(const QString& exportName);
// "" for a parameter that is not written.
QString outMeaning(const QString& exportName, const QString& parameter);

} // namespace calltable
