#pragma once
#include "print/PageRoutine.h"

class QPageLayout;
class QPrinter;
class QString;
class QWidget;

namespace print {

enum class PrintOutcome { Printed, Cancelled, Failed };

// The invisible print view of a print run: draws the dialog's document on a printer, a
// preview page or a PDF, and runs the print command (print dialog, then the job).
class CWrapperView {
public:
    CWrapperView(PageRoutine routine, void* context);

    // Draws the one page of the document on printer; false when the printer cannot be opened
    // or the routine failed (the job is then aborted: half a receipt is no receipt).
    bool drawPage(QPrinter& printer, bool preview) const;
    // The print dialog, then the job.
    PrintOutcome filePrint(QPrinter& printer, QWidget* dialogParent) const;
    // Writes the page to a PDF file with the given page layout; on failure no file is left.
    bool writePdf(const QString& path, const QPageLayout& layout) const;

    // A4 with the margins of a usual printer, for PDFs and for previews without a printer.
    static QPageLayout defaultPdfLayout();

private:
    enum class Drawn { NotOpened, Failed, Done };
    Drawn draw(QPrinter& printer, bool preview) const;

    PageRoutine routine_;
    void* context_;
};

} // namespace print
