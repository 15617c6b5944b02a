#pragma once
#include "db/Connection.h"
#include "db/Error.h"
#include "db/OptimisticEdit.h"
#include "receipt/StandardItems.h"
#include <vector>

// The record writer of standard-item receipts and walk-in sheets: the header row and one
// 收费明细表 row per line, written in one transaction. The lists are left as they were; the
// caller marks them saved (StandardItemList::markSaved) once its own transaction commits.
namespace receipt {

// Another desk changed or removed a row this save would overwrite since it was loaded (or
// settled the receipt meanwhile). Nothing of the save is kept.
class SaveConflict : public db::Error {
public:
    using db::Error::Error;
};

// Writes the lines of one receipt or sheet: loaded lines are updated while their rows still
// hold what was loaded, new lines are added (their IDs returned in list order), removed lines
// deleted. Runs in a transaction of its own (a savepoint inside the caller's). Throws
// db::Error, or SaveConflict when a loaded row is no longer as it was.
std::vector<qint64> saveStandardItems(db::Connection& c, ReceiptKind kind, qint64 ownerId,
                                      const StandardItemList& items);

// The header of a standard-item receipt as its dialog writes it.
struct StandardReceiptHeader {
    qint64 id = 0; // 0: a new receipt
    qint64 caseNumber = 0;
    QString patientName;
    QString doctorNumber;
    QString doctorName;
    QString remark;
    QDateTime date;
    QString department;
    int refund = 0; // FeeIO
    QString nurse;
    int discountType = -1;      // Doctor_Discout
    double discountValue = 1.0; // Doctor_Discout_Value
    // An existing receipt: its row as the dialog loaded it (loadStandardReceiptRow). It is
    // written only while it still stands so.
    std::optional<db::LoadedRow> loaded;
};

// The row of an unpaid standard-item receipt as an edit loads it; nothing when there is no such
// receipt (settled, deleted or a prescription receipt).
std::optional<db::LoadedRow> loadStandardReceiptRow(db::Connection& c, qint64 id);

struct SavedLines {
    qint64 id = 0;               // the receipt or sheet
    std::vector<qint64> newIds;  // of the lines added, in list order
    double total = 0.0;          // 合计 as stored
};

// Stores the receipt unpaid ("未付") with 合计 = the lines' discounted total (negative on a
// refund receipt), then its lines; one transaction. An existing receipt is written only while
// its row is as loaded, still unpaid and no prescription receipt, and its lines as loaded
// (else SaveConflict): another desk's lines and 合计 are never overwritten unseen.
SavedLines writeStandardReceipt(db::Connection& c, const StandardReceiptHeader& header,
                                const StandardItemList& items);

} // namespace receipt
