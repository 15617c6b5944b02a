#include "common/Transcript.h"
#include "common/SafeFile.h"
#include "common/ShortQuote.h"
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace transcript {

namespace {

// The first line of a transcript is a whole JSON object; beyond this it is something else.
constexpr qint64 kFirstLineBytes = 64 * 1024;

bool refuse(QString* error, const QString& path, const QString& why)
{
    if (error) *error = QStringLiteral("%1: refused: %2").arg(shortQuote(path, 120), why);
    return false;
}

} // namespace

bool mayWrite(const QString& path, QString* error)
{
    for (const char* companion : {"-wal", "-shm", "-journal"})
        if (path.endsWith(QLatin1String(companion)))
            return refuse(error, path, QStringLiteral("a database's %1 file").arg(QLatin1String(companion)));
    if (!safefile::canAppend(path, error)) return false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? true : refuse(error, path, QString::fromLocal8Bit(std::strerror(errno)));
    QByteArray head(kFirstLineBytes, '\0');
    qint64 got = 0;
    while (got < kFirstLineBytes) {
        const ssize_t n = ::read(fd, head.data() + got, size_t(kFirstLineBytes - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += n;
    }
    ::close(fd);
    head.truncate(got);
    if (head.isEmpty()) return true;
    const qsizetype end = head.indexOf('\n');
    if (end < 0 && got == kFirstLineBytes) return refuse(error, path, QStringLiteral("not a transcript"));
    const QJsonDocument first = QJsonDocument::fromJson(end < 0 ? head : head.left(end));
    if (!first.isObject() || !first.object().value(QStringLiteral("event")).isString())
        return refuse(error, path, QStringLiteral("not a transcript (it holds something else)"));
    return true;
}

} // namespace transcript
