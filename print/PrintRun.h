#pragma once
#include "print/CMainFrame.h"

// What a dialog's print buttons call. The routine draws the whole document (one page); the
// context is handed back to it untouched.
namespace print {

// "打印预览" and its kin: shows page 1 in a maximised preview window titled after the owner,
// hiding the owner until the preview closes. Returns the window while it is open.
inline QPointer<CMainFrame> previewPage(PageRoutine routine, QWidget* owner, void* context,
                                        const QString& title = {})
{
    return CMainFrame::start(std::move(routine), owner, context, false, title);
}

// "打  印" and its kin: the print dialog, then the job; the owner stays visible.
inline void printPage(PageRoutine routine, QWidget* owner, void* context)
{
    CMainFrame::start(std::move(routine), owner, context, true);
}

// The page as an A4 PDF, without any window.
bool writePagePdf(PageRoutine routine, void* context, const QString& path);

} // namespace print
