#include "stats/ResultExport.h"
#include "app/Automation.h"
#include "app/PrintRedirect.h"
#include "app/SaveFileDialog.h"
#include "common/Prompter.h"
#include "print/PrintRun.h"
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

using namespace Qt::StringLiterals;

namespace stats {

namespace {
SaveChooser*& installed()
{
    static SaveChooser* chooser = nullptr;
    return chooser;
}

QString cannotSave(const QString& path) { return u"无法保存文件：%1"_s.arg(QDir::toNativeSeparators(path)); }

QString target(QWidget* owner, const QString& suggestion, const QString& filter, const QString& suffix)
{
    if (!installed() && app::Automation::active()) return scriptedTarget(suffix);
    return SaveChooser::current().chooseFile(owner, suggestion, filter);
}
} // namespace

QString SaveChooser::chooseFile(QWidget* parent, const QString& suggestion, const QString& filter)
{
    const QString suffix = QFileInfo(suggestion).suffix();
    return app::chooseSaveFile(parent, u"另存为"_s, suggestion, filter, suffix.isEmpty() ? u"csv"_s : suffix);
}

SaveChooser& SaveChooser::current()
{
    static SaveChooser people;
    return installed() ? *installed() : people;
}

SaveChooser::Scope::Scope(SaveChooser* chooser) : previous_(installed()) { installed() = chooser; }
SaveChooser::Scope::~Scope() { installed() = previous_; }

QString scriptedTarget(const QString& suffix)
{
    const QString pdf = app::printRedirectPath();
    if (pdf.isEmpty() || suffix == QLatin1String("pdf")) return pdf;
    const QFileInfo info(pdf);
    return info.dir().filePath(info.completeBaseName() + u'.' + suffix);
}

bool saveCsv(QWidget* owner, const QStringList& lines, const QString& suggestion)
{
    const QString path = target(owner, suggestion + u".csv"_s, u"CSV (*.csv)"_s, u"csv"_s);
    if (path.isEmpty()) return false;
    QString error;
    if (!writeCsv(lines, path, &error)) {
        Prompter::current().inform(cannotSave(path));
        return false;
    }
    return true;
}

bool savePdf(QWidget* owner, const print::PageRoutine& routine, void* context, const QString& suggestion)
{
    const QString path = target(owner, suggestion + u".pdf"_s, u"PDF (*.pdf)"_s, u"pdf"_s);
    if (path.isEmpty()) return false;
    if (!print::writePagePdf(routine, context, path)) {
        Prompter::current().inform(cannotSave(path));
        return false;
    }
    return true;
}

bool withProgress(QWidget* owner, bool show, const std::function<void(const Progress&)>& work)
{
    if (!show) {
        work({});
        return true;
    }
    QProgressDialog progress(u"正在统计…"_s, u"取消"_s, 0, 1, owner);
    progress.setWindowTitle(u"统计"_s);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    try {
        work([&](int done, int total) {
            progress.setMaximum(total);
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    } catch (const Cancelled&) {
        return false;
    }
    return true;
}

} // namespace stats
