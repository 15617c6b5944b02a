#include "common/SafeFile.h"
#include "common/ShortQuote.h"
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace safefile {

namespace {

// Closes the descriptor however the function returns.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd()
    {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

bool fail(QString* error, const QString& path, const QString& why)
{
    if (error) *error = QStringLiteral("%1: %2").arg(shortQuote(path, 120), why);
    return false;
}

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return QStringLiteral("a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
    if (S_ISSOCK(mode)) return QStringLiteral("a socket");
    if (S_ISLNK(mode)) return QStringLiteral("a symbolic link");
    return QStringLiteral("not a regular file");
}

bool writeAll(int fd, const QByteArray& data, off_t at, bool positioned)
{
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = positioned ? ::pwrite(fd, data.constData() + done, size_t(data.size() - done), at + done)
                                     : ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Reads at most limit + 1 bytes: a file that claims a small size but keeps giving (a /proc
// file) is still caught.
bool readAll(int fd, qint64 limit, QByteArray& data)
{
    data.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        data.append(buffer, n);
        if (data.size() > limit) return true;
    }
}

} // namespace

bool readRegular(const QString& path, qint64 maxBytes, bool trustedOnly, QByteArray& data, QString* error)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    Fd f(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (f.fd < 0) return fail(error, path, systemError(errno));
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return fail(error, path, systemError(errno));
    if (!S_ISREG(st.st_mode)) return fail(error, path, QStringLiteral("refused: %1, not a regular file").arg(kindOf(st.st_mode)));
    if (trustedOnly) {
        if (st.st_mode & (S_IWGRP | S_IWOTH)) return fail(error, path, QStringLiteral("refused: other users may write it"));
        if (st.st_uid != ::geteuid() && st.st_uid != 0)
            return fail(error, path, QStringLiteral("refused: it belongs to another user"));
    }
    if (st.st_size > maxBytes)
        return fail(error, path, QStringLiteral("refused: larger than %1 bytes").arg(maxBytes));
    const int flags = ::fcntl(f.fd, F_GETFL);
    if (flags >= 0) ::fcntl(f.fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!readAll(f.fd, maxBytes, data)) return fail(error, path, systemError(errno));
    if (data.size() > maxBytes) {
        data.clear();
        return fail(error, path, QStringLiteral("refused: larger than %1 bytes").arg(maxBytes));
    }
    return true;
}

bool appendPrivate(const QString& path, const QByteArray& data, QString* error)
{
    Fd f(::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                S_IRUSR | S_IWUSR));
    if (f.fd < 0)
        return fail(error, path, errno == ELOOP ? QStringLiteral("refused: a symbolic link") : systemError(errno));
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return fail(error, path, systemError(errno));
    if (!S_ISREG(st.st_mode)) return fail(error, path, QStringLiteral("refused: %1, not a regular file").arg(kindOf(st.st_mode)));
    if (!writeAll(f.fd, data, 0, false)) return fail(error, path, systemError(errno));
    return true;
}

bool canAppend(const QString& path, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return fail(error, path, QStringLiteral("refused: %1, not a regular file").arg(kindOf(st.st_mode)));
        if (::access(name.constData(), W_OK) != 0) return fail(error, path, systemError(errno));
        return true;
    }
    if (errno != ENOENT) return fail(error, path, systemError(errno));
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0) return fail(error, path, systemError(errno));
    return true;
}

bool createPrivate(const QString& path, QString* error)
{
    Fd f(::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                S_IRUSR | S_IWUSR));
    if (f.fd < 0) return fail(error, path, systemError(errno));
    return true;
}

bool rewriteInPlace(const QString& path, qint64 maxBytes,
                    const std::function<QByteArray(const QByteArray&)>& transform, QString* error)
{
    Fd f(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (f.fd < 0)
        return fail(error, path, errno == ELOOP ? QStringLiteral("refused: a symbolic link") : systemError(errno));
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) return fail(error, path, systemError(errno));
    if (!S_ISREG(st.st_mode)) return fail(error, path, QStringLiteral("refused: %1, not a regular file").arg(kindOf(st.st_mode)));
    if (st.st_size > maxBytes) return fail(error, path, QStringLiteral("refused: larger than %1 bytes").arg(maxBytes));
    QByteArray old;
    if (!readAll(f.fd, maxBytes, old)) return fail(error, path, systemError(errno));
    if (old.size() > maxBytes) return fail(error, path, QStringLiteral("refused: larger than %1 bytes").arg(maxBytes));
    const QByteArray now = transform(old);
    if (now == old) return true;
    if (!writeAll(f.fd, now, 0, true) || ::ftruncate(f.fd, off_t(now.size())) != 0 || ::fsync(f.fd) != 0)
        return fail(error, path, systemError(errno));
    return true;
}

} // namespace safefile
