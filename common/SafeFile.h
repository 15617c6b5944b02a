#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

// Files the module reads or writes on a person's say-so (a UI script, its transcript, the
// settings file), handled so that a path naming something else cannot be turned against us:
// a device or FIFO is never read (no hang, no endless read), a file other users may write is
// never trusted as instructions, a symbolic link is never followed into writing somewhere
// else, and files we create are readable by their owner only (they hold patient data).
// Every function says what was wrong in *error (a short path quote included) and changes
// nothing when it refuses.
namespace safefile {

// What a script may weigh at most: far beyond any hand-written or generated script.
inline constexpr qint64 kMaxScriptBytes = 4 * 1024 * 1024;

// Reads a whole regular file of at most maxBytes. With trustedOnly, also refuses a file that
// anyone but its owner may write, or whose owner is neither us nor root.
bool readRegular(const QString& path, qint64 maxBytes, bool trustedOnly, QByteArray& data, QString* error);

// Appends to path, creating it with mode 0600; never through a symbolic link, never to
// anything but a regular file.
bool appendPrivate(const QString& path, const QByteArray& data, QString* error);
// Whether appendPrivate could write there, creating nothing: an existing regular file we may
// write, or a missing one in a folder we may write.
bool canAppend(const QString& path, QString* error);

// Creates a new empty file with mode 0600 (false when it exists or cannot be made).
bool createPrivate(const QString& path, QString* error);

// Replaces the content of an existing regular file in place, so that its owner, group, mode
// and links stay as they are. Refuses symbolic links and anything that is not a regular file.
// transform gets the current content (at most maxBytes) and returns the new one.
bool rewriteInPlace(const QString& path, qint64 maxBytes,
                    const std::function<QByteArray(const QByteArray&)>& transform, QString* error);

} // namespace safefile
