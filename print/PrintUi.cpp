#include "print/PrintUi.h"
#include "app/SaveFileDialog.h"
#include <QPrintDialog>
#include <QPrinter>

namespace print {

namespace {
PrintUi* installed = nullptr;
}

bool PrintUi::choosePrinter(QPrinter& printer, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    // Every job is one page.
    dialog.setMinMax(1, 1);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

QString PrintUi::choosePdfFile(QWidget* parent, const QString& suggestion)
{
    return app::chooseSaveFile(parent, QStringLiteral("另存为PDF"), suggestion, QStringLiteral("PDF (*.pdf)"),
                               QStringLiteral("pdf"));
}

PrintUi& PrintUi::current()
{
    static PrintUi qtDialogs;
    return installed ? *installed : qtDialogs;
}

PrintUi::Scope::Scope(PrintUi* ui) : previous_(installed)
{
    installed = ui;
}

PrintUi::Scope::~Scope()
{
    installed = previous_;
}

} // namespace print
