#pragma once
#include <QString>
#include <exception>

namespace prepay
{

// The reading rules count an unreadable value as 0 or "none" and carry on; the caller may still
// want to know why (the exports tell the host). Keeps the first error: the later ones mostly
// follow from it.
inline void noteFailure(QString* failure, const QString& why)
{
    if (failure && failure->isEmpty())
        *failure = why;
}

inline void noteFailure(QString* failure, const std::exception& e)
{
    noteFailure(failure, QString::fromUtf8(e.what()));
}

} // namespace prepay
