#include "print/PrintRun.h"
#include <QPageLayout>

namespace print {

bool writePagePdf(PageRoutine routine, void* context, const QString& path)
{
    return CWrapperView(std::move(routine), context).writePdf(path, CWrapperView::defaultPdfLayout());
}

} // namespace print
