#include "app/SaveFileDialog.h"
#include "common/Prompter.h"
#include <QAbstractFileIconProvider>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace app {

namespace {

// Icons and type names from a file's name and kind, never from its content.
class NameOnlyIcons : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QAbstractFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override
    {
        return QAbstractFileIconProvider::icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& info) const override
    {
        if (info.isDir()) return u"文件夹"_s;
        return info.suffix().isEmpty() ? u"文件"_s : info.suffix().toUpper() + u" 文件"_s;
    }
};

NameOnlyIcons& nameOnlyIcons()
{
    static NameOnlyIcons icons;
    return icons;
}

} // namespace

QString saveStartFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
    return QDir::homePath();
}

bool isDatabaseFile(const QString& path)
{
    static const QStringList endings{u".sqlite"_s, u".sqlite3"_s, u".db"_s, u"-wal"_s, u"-shm"_s, u"-journal"_s};
    for (const QString& e : endings)
        if (path.endsWith(e, Qt::CaseInsensitive)) return true;
    return false;
}

void setUpSaveDialog(QFileDialog& dialog, const QString& suggestedName, const QString& filter, const QString& suffix)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&nameOnlyIcons());
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    dialog.setDirectory(saveStartFolder());
    dialog.selectFile(QFileInfo(suggestedName).fileName());
}

QString chooseSaveFile(QWidget* parent, const QString& title, const QString& suggestedName, const QString& filter,
                       const QString& suffix)
{
    QFileDialog dialog(parent, title);
    setUpSaveDialog(dialog, suggestedName, filter, suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    QString path = dialog.selectedFiles().constFirst();
    const QString name = QFileInfo(path).fileName();
    // A pattern is no name to save under (a "*" typed into the name field).
    if (name.isEmpty() || name.contains(u'*') || name.contains(u'?')) return QString();
    if (QFileInfo(path).suffix().isEmpty()) path += u'.' + suffix;
    if (isDatabaseFile(path)) {
        Prompter::current().inform(u"不能保存到数据库文件：%1"_s.arg(QDir::toNativeSeparators(path)));
        return QString();
    }
    return path;
}

} // namespace app
