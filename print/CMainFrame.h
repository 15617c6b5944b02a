#pragma once
#include "print/CWrapperView.h"
#include "print/PageRoutine.h"
#include <QMainWindow>
#include <QPointer>
#include <memory>

class QAction;
class QPrinter;
class QPrintPreviewWidget;

namespace print {

// The window of a print run. In preview mode it shows page 1 maximised and hides the owner
// dialog until it closes; its tool bar prints (print dialog, job, close), saves the page as PDF,
// zooms and closes. In direct mode it shows nothing itself: the print dialog, then the job.
// Either way the owner is visible again when the run ends and the frame deletes itself.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Starts a print run for owner (may be null). A run of the same owner that is still open is
    // raised instead of starting another. Under an automation script no window opens: the page
    // goes to the script's print_to PDF, or nowhere when it has none. Returns the preview window
    // while it is open; null in direct mode, which has ended when this returns.
    static QPointer<CMainFrame> start(PageRoutine routine, QWidget* owner, void* context, bool directPrint,
                                      const QString& title = {});
    // The open run of owner, if any.
    static CMainFrame* runOf(const QWidget* owner);
    // The given title; else the owner's caption + " (预览)"; else "打印预览".
    static QString frameTitle(const QWidget* owner, const QString& title);

    ~CMainFrame() override;

    QWidget* owner() const { return owner_; }
    bool directPrint() const { return directPrint_; }
    QPrintPreviewWidget* previewView() const { return preview_; }
    QPrinter& printer() const { return *printer_; }
    QAction* printAction() const { return printAction_; }
    QAction* savePdfAction() const { return savePdfAction_; }
    QAction* closeAction() const { return closeAction_; }

public Q_SLOTS:
    // The preview bar's Print: print dialog and job, then the preview closes either way.
    void printFromPreview();
    // Asks for a file and writes the page there; the preview stays open.
    bool savePdf();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CMainFrame(PageRoutine routine, QWidget* owner, void* context, bool directPrint, const QString& title);
    void startPreview();
    void runDirect();
    void restoreOwner();
    // Tells the user when a job could not be printed (a cancel says nothing).
    void reportFailure(PrintOutcome outcome) const;

    QPointer<QWidget> owner_;
    const QWidget* ownerKey_;
    bool directPrint_;
    bool ownerHidden_ = false;
    bool busy_ = false;
    CWrapperView view_;
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* preview_ = nullptr;
    QAction* printAction_ = nullptr;
    QAction* savePdfAction_ = nullptr;
    QAction* closeAction_ = nullptr;
};

} // namespace print
