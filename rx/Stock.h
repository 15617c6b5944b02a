#pragma once
#include "db/Connection.h"
#include "rx/MedicineLineList.h"
#include <QDateTime>
#include <QList>
#include <optional>

// The medicine stock as prescriptions use it: batches in 材料库存表 (库存编号, 现存数量,
// ExpireDate), withdrawals in 材料出库表. Only batches that are still good after the end of
// today count, for the check and the stock-out alike. Both work on the new lines of a
// prescription: the first (size − storedCount) lines from the head; `now` is the server's
// time, which also dates the withdrawals.
namespace rx {

// One new line the stock cannot cover, as the stock check dialog lists it.
struct ShortLine {
    QString name;
    QString spec;
    double quantity = 0.0;        // 出库数量
    std::optional<double> onHand; // 现有数量; none: no good batch at all ("库存中不存在！")
};

// The stock check and the stock-out throw NegativeStock for a medicine with a negative batch.

// The stock total check before a save: true when every new line is covered by the whole units
// its good batches hold together (a total of 2.7 does not cover 2.5).
bool StockCovers(db::Connection& c, const MedicineLineList& lines, int storedCount, const QDateTime& now);

// The rows of the stock check dialog: the new lines whose good batches hold less than the line
// (compared exactly), or none at all.
QList<ShortLine> ShortLines(db::Connection& c, const MedicineLineList& lines, int storedCount, const QDateTime& now);

// The stock-out could not take a line: its batches were emptied since the check (another desk)
// or never held enough. The whole stock-out is undone.
struct StockShortfall : std::runtime_error {
    StockShortfall(const MedicineLine& line, double missing);
    QString name;
    QString spec;
    double missing;
};

// A good batch of a line's medicine holds less than nothing: the stock records are wrong, and
// neither the check nor the stock-out can count on them (a batch of −3 beside one of 5 would
// make 2 on hand, or be passed over). Refused with the cashier's message until the stock is
// corrected.
struct NegativeStock : std::runtime_error {
    NegativeStock(const MedicineLine& line, double held);
    QString message;
};

struct StockTaker {
    QString taker;    // 领料人: the cashier
    QString receiver; // 领用人: the patient
};

// Takes the new lines out of stock, lowest batch number first, and writes a withdrawal row
// (备注 "药品处方自动出库") per batch used. Does nothing when the clinic keeps no stock. Each
// batch moves by a guarded relative update, so two desks taking the same batch at once never
// lose or double an amount. Runs in one transaction (a savepoint inside the caller's save);
// throws StockShortfall when a line cannot be covered and db::Error when a statement fails,
// with nothing taken either way.
void TakeOutOfStock(db::Connection& c, const MedicineLineList& lines, int storedCount, const StockTaker& who,
                    const QDateTime& now);

// The stock switch as a save reads it: whether the clinic keeps stock; a failed read throws
// db::Error instead of passing for "no stock", which would let medicines leave unrecorded.
bool stockKept(db::Connection& c);

// The expiry bound: batches must expire after this (the end of now's day).
QDateTime endOfDay(const QDateTime& now);

} // namespace rx
