#pragma once
#include "db/Connection.h"
#include "db/Query.h"
#include <QString>
#include <memory>

// The amounts a receipt's rows hold, as the checkouts settle on them. Other programs write these
// tables too, and SQLite keeps whatever they wrote: a text where an amount belongs, or no amount
// where the checkout needs one, stops the settlement with its cause instead of being settled on
// as 0 (a prescription of 20 settled for nothing, a category of "abc" let off).
namespace settle {

// Empty when the receipt's amounts can be settled on; otherwise the cashier's message, naming
// the value. The receipt's kind comes from its rows: a prescription (its 合计, and its lines'
// 数量 and 金额, which must be there), a receipt of catalogue items (its lines' 金额, which must
// be there) or a receipt by categories (the twelve categories and 合计). An amount the rules read
// as 0 when it is NULL may be NULL; none may be a text that is not a number. A receipt that is
// not there is for the checkout to refuse. Throws db::Error when the rows cannot be read.
QString StoredAmountsRefusal(db::Connection& c, qint64 receiptId);

// The same judgement in two steps, for a settlement that sends its reads ahead with its writes
// (db::Query::send, inside its transaction): the receipt and its catalogue lines are sent
// first, judged when their answers are needed. A prescription's lines are read then.
struct StoredAmountReads {
    qint64 receiptId = 0;
    std::unique_ptr<db::Query> receipt;
    std::unique_ptr<db::Query> itemLines;
};
StoredAmountReads SendStoredAmountReads(db::Connection& c, qint64 receiptId);
QString StoredAmountsRefusal(db::Connection& c, StoredAmountReads& reads);

} // namespace settle
