#include "common/Settings.h"
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

bool keyExists() { return QFileInfo::exists(path()); }

bool createKey()
{
    const QString p = path();
    if (QFileInfo::exists(p)) return true;
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    return f.open(QIODevice::WriteOnly);
}

std::optional<QString> readValue(const QString& name)
{
    if (!keyExists()) return std::nullopt;
    QSettings s(path(), QSettings::IniFormat);
    if (!s.contains(name)) return std::nullopt;
    // A hand-written title with a comma reads back as a list: it is still the one title.
    const QVariant v = s.value(name);
    return v.typeId() == QMetaType::QStringList ? v.toStringList().join(QLatin1Char(',')) : v.toString();
}

bool writeValue(const QString& name, const QString& value)
{
    if (!keyExists()) return false;
    QSettings s(path(), QSettings::IniFormat);
    s.setValue(name, value);
    s.sync();
    return s.status() == QSettings::NoError;
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
