#include "common/Settings.h"
#include "common/SafeFile.h"
#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace settings {

QString path()
{
    const QString overridden = qEnvironmentVariable("CALVANE_SETTINGS");
    if (!overridden.isEmpty()) return overridden;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/calvane/Kelvask.ini");
}

namespace {

// The settings file is a few lines; anything bigger is not ours to read or rewrite.
constexpr qint64 maxBytes = 1024 * 1024;

void warn(const QString& error) { qWarning("calvane: settings file %s", qUtf8Printable(error)); }

// A value as QSettings reads it back: quoted when it has characters the INI format gives a
// meaning to, or blanks at either end (which would be trimmed).
QByteArray iniValue(const QString& value)
{
    static const QString special = QStringLiteral(",;\"=\\#[]\r\n\t");
    bool quote = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    for (const QChar ch : value) quote = quote || special.contains(ch);
    if (!quote) return value.toUtf8();
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("\\n")).replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    escaped.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return '"' + escaped.toUtf8() + '"';
}

// The file with name set to value in its [General] section (or among the lines before any
// section, which QSettings reads as [General]). Every other line, comments and lines we
// cannot parse included, stays as it was.
QByteArray withValue(const QByteArray& content, const QString& name, const QString& value)
{
    QByteArrayList lines = content.split('\n');
    const bool endsWithNewline = content.isEmpty() || content.endsWith('\n');
    if (endsWithNewline) lines.removeLast();
    const QByteArray key = name.toUtf8();
    const QByteArray line = key + '=' + iniValue(value);
    bool general = true;  // before any section header, or in [General]
    qsizetype after = -1; // the last line of [General] that is not blank or a comment
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (t.startsWith('[')) {
            general = t == "[General]";
            if (general) after = i;
            continue;
        }
        if (!general || t.isEmpty() || t.startsWith(';') || t.startsWith('#')) continue;
        after = i;
        const qsizetype eq = t.indexOf('=');
        if (eq > 0 && t.left(eq).trimmed() == key) {
            lines[i] = line;
            return lines.join('\n') + '\n';
        }
    }
    if (after >= 0) lines.insert(after + 1, line);
    else lines << "[General]" << line;
    return lines.join('\n') + '\n';
}

// The value of name in the [General] section (or before any section), as QSettings reads it:
// blanks around it dropped, quoted parts taken literally with their escapes undone. A list
// written with commas reads as the one text.
std::optional<QString> valueIn(const QByteArray& content, const QString& name)
{
    const QByteArray key = name.toUtf8();
    bool general = true;
    for (const QByteArray& raw : content.split('\n')) {
        const QByteArray t = raw.trimmed();
        if (t.startsWith('[')) {
            general = t == "[General]";
            continue;
        }
        const qsizetype eq = t.indexOf('=');
        if (!general || eq <= 0 || t.left(eq).trimmed() != key) continue;
        const QString v = QString::fromUtf8(t.mid(eq + 1).trimmed());
        QString out;
        bool quoted = false;
        for (qsizetype i = 0; i < v.size(); ++i) {
            const QChar ch = v[i];
            if (ch == QLatin1Char('"')) {
                quoted = !quoted;
            } else if (quoted && ch == QLatin1Char('\\') && i + 1 < v.size()) {
                const QChar next = v[++i];
                out += next == QLatin1Char('n') ? QChar(u'\n') : next == QLatin1Char('t') ? QChar(u'\t')
                     : next == QLatin1Char('r') ? QChar(u'\r') : next;
            } else {
                out += ch;
            }
        }
        return out;
    }
    return std::nullopt;
}

} // namespace

bool keyExists() { return QFileInfo::exists(path()); }

bool createKey()
{
    const QString p = path();
    if (QFileInfo::exists(p)) return true;
    QDir().mkpath(QFileInfo(p).absolutePath());
    QString error;
    // Readable by its owner only: the clinic's settings are nobody else's business.
    if (safefile::createPrivate(p, &error)) return true;
    warn(error);
    return false;
}

std::optional<QString> readValue(const QString& name)
{
    if (!keyExists()) return std::nullopt;
    // Read and parsed here, not by QSettings: it would hang on a FIFO, and its cache of the
    // file misses our in-place writes when size and time stamp come out the same.
    QByteArray content;
    QString error;
    if (!safefile::readRegular(path(), maxBytes, false, content, &error)) {
        warn(error);
        return std::nullopt;
    }
    return valueIn(content, name);
}

bool writeValue(const QString& name, const QString& value)
{
    if (!keyExists()) return false;
    // In place, never by renaming a new file over it (as QSettings does): the file keeps its
    // owner, mode and links, and whatever else the clinic keeps in it.
    QString error;
    if (safefile::rewriteInPlace(path(), maxBytes, [&](const QByteArray& old) { return withValue(old, name, value); },
                                 &error))
        return true;
    warn(error);
    return false;
}

void readReceiptTitle(QString& title)
{
    if (!keyExists()) return;
    const auto stored = readValue(QStringLiteral("ReceiptTitle"));
    if (stored) {
        title = stored->left(255);
    } else {
        title = defaultReceiptTitle;
        writeValue(QStringLiteral("ReceiptTitle"), title);
    }
}

void readFeeDiscout(int& choice)
{
    if (!keyExists()) return;
    const auto stored = readValue(QStringLiteral("FeeDiscout"));
    if (!stored) {
        choice = 1;
        writeValue(QStringLiteral("FeeDiscout"), QStringLiteral("1"));
    } else if (*stored == QLatin1String("1")) {
        choice = 1;
    } else if (*stored == QLatin1String("0")) {
        choice = 0;
    }
}

void writeFeeDiscout(int choice)
{
    writeValue(QStringLiteral("FeeDiscout"),
               choice == 1 ? QStringLiteral("1") : choice == 0 ? QStringLiteral("0") : QString());
}

} // namespace settings
