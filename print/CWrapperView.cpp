#include "print/CWrapperView.h"
#include "print/PrintUi.h"
#include "print/QtCanvas.h"
#include <QDebug>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <exception>

namespace print {

CWrapperView::CWrapperView(PageRoutine routine, void* context) : routine_(std::move(routine)), context_(context) {}

bool CWrapperView::drawPage(QPrinter& printer, bool preview) const
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        qWarning() << "print: cannot open the printer" << printer.printerName() << printer.outputFileName();
        return false;
    }
    PrintInfo info;
    info.preview = preview;
    try {
        QtCanvas canvas(painter);
        if (routine_)
            routine_(canvas, info, context_);
    } catch (const std::exception& e) {
        // A routine draws data it already holds; a failure must not escape into Qt's event loop.
        qWarning() << "print: the page routine failed:" << e.what();
        printer.abort();
        painter.end();
        return false;
    }
    return painter.end();
}

PrintOutcome CWrapperView::filePrint(QPrinter& printer, QWidget* dialogParent) const
{
    if (!PrintUi::current().choosePrinter(printer, dialogParent))
        return PrintOutcome::Cancelled;
    return drawPage(printer, false) ? PrintOutcome::Printed : PrintOutcome::Failed;
}

bool CWrapperView::writePdf(const QString& path, const QPageLayout& layout) const
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(layout);
    if (drawPage(printer, false))
        return true;
    QFile::remove(path);
    return false;
}

QPageLayout CWrapperView::defaultPdfLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                       QPageLayout::Millimeter);
}

} // namespace print
