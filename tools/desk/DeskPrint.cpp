// Printing at the desk: the receipt page of any settled document, for the patient after the
// checkout or a walk-in sheet, and again later (marked as a reprint) from either list.
#include "print/PrintRun.h"
#include "tools/desk/DeskWindow.h"
#include <QTabWidget>

using namespace Qt::StringLiterals;

std::optional<print::DocumentRef> DeskWindow::selectedDocument(bool* settled) const
{
    // The list the cashier is looking at decides: the patient's receipts or today's documents.
    if (tabs_ && tabs_->currentIndex() == 1) {
        const auto d = selectedDayRow();
        if (!d) return std::nullopt;
        if (settled) *settled = d->paid;
        return print::DocumentRef{d->walkIn ? print::DocumentTable::WalkIn : print::DocumentTable::Receipt, d->id};
    }
    const auto r = selectedReceipt();
    if (!r) return std::nullopt;
    if (settled) *settled = r->paid;
    return print::DocumentRef{print::DocumentTable::Receipt, r->id};
}

QString DeskWindow::printDocument(const print::DocumentRef& doc, bool reprint)
{
    const QString name = print::documentName(doc);
    QString refusal;
    std::optional<print::ReceiptPage> page;
    try {
        page = print::loadReceiptPage(link_->lookups(), doc, clinicName_, refusal);
    } catch (const db::Error& e) {
        return u"%1 没有打印：%2"_s.arg(name, e.message());
    }
    if (!page) return refusal;
    page->reprint = reprint;
    // The preview outlives this call: its routine keeps the page.
    auto kept = std::make_shared<print::ReceiptPage>(std::move(*page));
    const print::PageRoutine routine = [kept](print::Canvas& dc, const print::PrintInfo& info, void*) {
        print::drawReceiptPage(dc, info, kept.get());
    };
    const QString what = reprint ? u"%1 的补打收据"_s.arg(name) : u"%1 的收据"_s.arg(name);
    if (print::previewPage(routine, this, nullptr, u"%1 (预览)"_s.arg(what))) return what + u"已在打印预览中"_s;
    return what + u"没有打开打印预览"_s;
}
