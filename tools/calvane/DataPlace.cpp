#include "tools/calvane/DataPlace.h"
#include <QDir>
#include <QFileInfo>

namespace dataplace {

QString dataFolder()
{
    // The XDG rule: a relative XDG_DATA_HOME is invalid and ignored.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/calvane");
}

QString defaultDatabaseUrl()
{
    return QStringLiteral("sqlite:") + dataFolder() + QStringLiteral("/clinic.sqlite");
}

bool makeFolderFor(const QString& sqliteUrl, QString* why)
{
    const QString folder = QFileInfo(sqliteUrl.mid(7)).absolutePath();
    if (QDir().mkpath(folder)) return true;
    if (why) *why = QStringLiteral("cannot create the folder %1").arg(folder);
    return false;
}

} // namespace dataplace
