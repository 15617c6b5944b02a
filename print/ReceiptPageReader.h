#pragma once
#include "db/Connection.h"
#include "print/ReceiptPage.h"
#include <optional>

// Reads one settled document into its receipt page: a receipt of 收费收据表 with its payment
// record (fee categories, catalogue lines or prescription lines), or a walk-in sheet of
// 无病历收费单. Only what was settled is printed: a receipt not (yet) paid, or one without its
// payment record, is refused with the cashier's message and no page.
namespace print {

// Receipts and walk-in sheets number separately: the number says which table it is in.
enum class DocumentTable { Receipt, WalkIn };

struct DocumentRef {
    DocumentTable table = DocumentTable::Receipt;
    qint64 id = 0;
};

// The page of the document headed with the clinic's title, or nothing with the reason in
// refusal. Throws db::Error when the rows cannot be read.
std::optional<ReceiptPage> loadReceiptPage(db::Connection& c, const DocumentRef& doc, const QString& title,
                                           QString& refusal);

// "收据 18", "无病案收费单 5": how the desk names a document to the cashier.
QString documentName(const DocumentRef& doc);

} // namespace print
