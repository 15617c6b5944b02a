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

bool CWrapperView::drawPage(QPrinter& printer, bool preview) const { return draw(printer, preview) == Drawn::Done; }

CWrapperView::Drawn CWrapperView::draw(QPrinter& printer, bool preview) const
{
    QPainter painter;
    if (!painter.begin(&printer)) {
        qWarning() << "print: cannot open the printer" << printer.printerName() << printer.outputFileName();
        return Drawn::NotOpened;
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
        return Drawn::Failed;
    }
    return painter.end() ? Drawn::Done : Drawn::Failed;
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
    const Drawn drawn = draw(printer, false);
    // A file that could not even be opened is someone else's: only our half page goes.
    if (drawn == Drawn::Failed)
        QFile::remove(path);
    return drawn == Drawn::Done;
}

QPageLayout CWrapperView::defaultPdfLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                       QPageLayout::Millimeter);
}

} // namespace print
