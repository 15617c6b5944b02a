#pragma once
#include "print/PageRoutine.h"

class QPageLayout;
class QPrinter;
class QString;
class QWidget;

namespace print {

// The invisible print view of a print run: draws the dialog's document on a printer, a
// preview page or a PDF, and runs the print command (print dialog, then the job).
class CWrapperView {
public:
    CWrapperView(PageRoutine routine, void* context);

    // Draws the one page of the document on printer; false when the printer cannot be opened.
    bool drawPage(QPrinter& printer, bool preview) const;
    // The print dialog, then the job; false when cancelled or when the job failed.
    bool filePrint(QPrinter& printer, QWidget* dialogParent) const;
    // Writes the page to a PDF file with the given page layout.
    bool writePdf(const QString& path, const QPageLayout& layout) const;

    // A4 with the margins of a usual printer, for PDFs and for previews without a printer.
    static QPageLayout defaultPdfLayout();

private:
    PageRoutine routine_;
    void* context_;
};

} // namespace print
