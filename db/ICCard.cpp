#include "db/ICCard.h"
#include "common/Settings.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace db {

namespace {

// A card holds a few dozen bytes; anything much larger is not a card.
constexpr qint64 maxCardBytes = 4096;

ICCardDevice* installed = nullptr;

} // namespace

bool FileICCard::read(QString& content)
{
    QFile f(path_);
    if (path_.isEmpty() || !f.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = f.read(maxCardBytes + 1);
    if (bytes.size() > maxCardBytes) return false;
    QString text = QString::fromUtf8(bytes);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))) text.chop(1);
    content = text;
    return true;
}

bool FileICCard::write(const QString& content)
{
    if (path_.isEmpty() || !QFileInfo(path_).isFile()) return false;
    const QByteArray bytes = content.toUtf8();
    if (bytes.size() > maxCardBytes) return false;
    QSaveFile f(path_);
    if (!f.open(QIODevice::WriteOnly)) return false;
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        return false;
    }
    return f.commit();
}

QString icCardFilePath()
{
    const QString fromEnv = qEnvironmentVariable("CALVANE_IC_CARD");
    if (!fromEnv.isEmpty()) return fromEnv;
    return settings::readValue(QStringLiteral("ICCardFile")).value_or(QString());
}

ICCardScope::ICCardScope(ICCardDevice* device) : previous_(installed) { installed = device; }
ICCardScope::~ICCardScope() { installed = previous_; }

int ReadICCard(QString& content)
{
    if (installed) return installed->read(content) ? 0 : 1;
    FileICCard card(icCardFilePath());
    return card.read(content) ? 0 : 1;
}

int WriteICCard(const QString& content)
{
    if (installed) return installed->write(content) ? 0 : 1;
    FileICCard card(icCardFilePath());
    return card.write(content) ? 0 : 1;
}

} // namespace db
