#include "common/CallFailure.h"
#include "common/Prompter.h"

namespace callfailure {

namespace {
thread_local QString lastReason;
}

void record(const QString& reason)
{
    lastReason = reason.isEmpty() ? QStringLiteral("unknown error") : reason;
}

void report(const QString& message, const std::exception& error)
{
    record(QString::fromUtf8(error.what()));
    Prompter::current().inform(message);
}

QString last()
{
    return lastReason;
}
void clear()
{
    lastReason.clear();
}

} // namespace callfailure
