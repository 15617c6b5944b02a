#include "print/CMainFrame.h"
#include "app/Automation.h"
#include "app/Dialog.h"
#include "app/LastError.h"
#include "app/PrintRedirect.h"
#include "common/Prompter.h"
#include "print/PrintUi.h"
#include <QAction>
#include <QCloseEvent>
#include <QDebug>
#include <QDir>
#include <QHash>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QToolButton>

namespace print {

namespace {
QHash<const QWidget*, CMainFrame*>& runs()
{
    static QHash<const QWidget*, CMainFrame*> open;
    return open;
}
QString cannotSave(const QString& path)
{
    return QStringLiteral("无法保存文件：%1").arg(QDir::toNativeSeparators(path));
}

} // namespace

QString CMainFrame::frameTitle(const QWidget* owner, const QString& title)
{
    if (!title.isEmpty())
        return title;
    const QString caption = owner ? owner->windowTitle() : QString();
    return caption.isEmpty() ? QStringLiteral("打印预览") : caption + QStringLiteral(" (预览)");
}

CMainFrame* CMainFrame::runOf(const QWidget* owner)
{
    return owner ? runs().value(owner) : nullptr;
}

QPointer<CMainFrame> CMainFrame::start(PageRoutine routine, QWidget* owner, void* context, bool directPrint,
                                       const QString& title)
{
    const QString redirect = app::printRedirectPath();
    if (!redirect.isEmpty()) {
        if (!CWrapperView(std::move(routine), context).writePdf(redirect, CWrapperView::defaultPdfLayout()))
            Prompter::current().inform(cannotSave(redirect));
        return {};
    }
    if (app::Automation::active()) {
        // Nobody is there to work a print dialog or a preview window: without "print_to" the
        // script's print requests print nothing.
        app::setLastError(QStringLiteral("print: the script has no print_to; nothing printed"));
        return {};
    }
    if (CMainFrame* open = runOf(owner)) {
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
        }
        return open;
    }
    auto* frame = new CMainFrame(std::move(routine), owner, context, directPrint, title);
    if (directPrint) {
        frame->runDirect();
        delete frame;
        return {};
    }
    frame->startPreview();
    return frame;
}

CMainFrame::CMainFrame(PageRoutine routine, QWidget* owner, void* context, bool directPrint, const QString& title)
    : owner_(owner), ownerKey_(owner), directPrint_(directPrint), view_(std::move(routine), context),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(frameTitle(owner, title));
    setGeometry(200, 200, 300, 300); // the restored size; the frame shows maximised
    if (owner) {
        setWindowIcon(owner->windowIcon());
        runs().insert(ownerKey_, this);
        // A run outlives no owner.
        connect(owner, &QObject::destroyed, this, [this] {
            runs().remove(ownerKey_);
            ownerKey_ = nullptr;
            close();
        });
    }
    if (printer_->outputFormat() == QPrinter::PdfFormat)
        printer_->setPageLayout(CWrapperView::defaultPdfLayout()); // no printer installed
}

CMainFrame::~CMainFrame()
{
    restoreOwner();
    if (ownerKey_ && runs().value(ownerKey_) == this)
        runs().remove(ownerKey_);
}

void CMainFrame::runDirect()
{
    // The owner stays visible; the print dialog sits on it.
    busy_ = true;
    const PrintOutcome outcome = view_.filePrint(*printer_, owner_);
    busy_ = false;
    reportFailure(outcome);
}

void CMainFrame::reportFailure(PrintOutcome outcome) const
{
    if (outcome != PrintOutcome::Failed)
        return;
    const QString where =
        printer_->outputFileName().isEmpty() ? printer_->printerName() : QDir::toNativeSeparators(printer_->outputFileName());
    Prompter::current().inform(QStringLiteral("打印失败：%1").arg(where));
}

void CMainFrame::startPreview()
{
    preview_ = new QPrintPreviewWidget(printer_.get(), this);
    preview_->setAccessibleName(QStringLiteral("打印预览"));
    connect(preview_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { view_.drawPage(*printer, true); });
    setCentralWidget(preview_);

    QToolBar* bar = addToolBar(QStringLiteral("预览"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [bar](const QString& text, const QString& name) {
        QAction* action = bar->addAction(text);
        action->setObjectName(name);
        if (QWidget* button = bar->widgetForAction(action))
            button->setAccessibleName(name);
        return action;
    };
    printAction_ = add(QStringLiteral("打印(&P)..."), QStringLiteral("打印"));
    savePdfAction_ = add(QStringLiteral("另存为PDF(&S)..."), QStringLiteral("另存为PDF"));
    QAction* zoomIn = add(QStringLiteral("放大(&I)"), QStringLiteral("放大"));
    QAction* zoomOut = add(QStringLiteral("缩小(&O)"), QStringLiteral("缩小"));
    closeAction_ = add(QStringLiteral("关闭(&C)"), QStringLiteral("关闭"));
    closeAction_->setShortcut(QKeySequence::Cancel);
    connect(printAction_, &QAction::triggered, this, &CMainFrame::printFromPreview);
    connect(savePdfAction_, &QAction::triggered, this, &CMainFrame::savePdf);
    connect(zoomIn, &QAction::triggered, preview_, [this] { preview_->zoomIn(); });
    connect(zoomOut, &QAction::triggered, preview_, [this] { preview_->zoomOut(); });
    connect(closeAction_, &QAction::triggered, this, &QWidget::close);

    // The preview stands in for the modal owner: the host's windows stay blocked until it closes.
    setWindowModality(Qt::ApplicationModal);
    showMaximized();
    if (owner_) {
        // QWidget's own hide: a QDialog's would also end the dialog's exec(), and the dialog
        // must get control back when the preview closes.
        if (auto* dialog = qobject_cast<app::Dialog*>(owner_.data()))
            dialog->setSteppedAside(true);
        owner_->QWidget::setVisible(false);
        ownerHidden_ = true;
    }
    PrintUi::current().previewShown(*this);
}

void CMainFrame::printFromPreview()
{
    if (busy_)
        return;
    busy_ = true;
    const PrintOutcome outcome = view_.filePrint(*printer_, this);
    busy_ = false;
    reportFailure(outcome);
    close();
}

bool CMainFrame::savePdf()
{
    if (busy_)
        return false;
    busy_ = true;
    const QString suggestion = QDir::home().filePath(windowTitle() + QStringLiteral(".pdf"));
    const QString path = PrintUi::current().choosePdfFile(this, suggestion);
    bool saved = false;
    if (!path.isEmpty()) {
        saved = view_.writePdf(path, printer_->pageLayout());
        if (!saved)
            Prompter::current().inform(cannotSave(path));
    }
    busy_ = false;
    return saved;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        // The print dialog or the job is still running on top of this window.
        event->ignore();
        return;
    }
    restoreOwner();
    event->accept();
    // A closed run is over: the owner's next request starts a new one, even before this frame
    // is deleted.
    if (ownerKey_ && runs().value(ownerKey_) == this)
        runs().remove(ownerKey_);
}

void CMainFrame::restoreOwner()
{
    if (!ownerHidden_)
        return;
    ownerHidden_ = false;
    if (owner_) {
        owner_->show();
        owner_->raise();
        owner_->activateWindow();
        if (auto* dialog = qobject_cast<app::Dialog*>(owner_.data()))
            dialog->setSteppedAside(false);
    }
}

} // namespace print
