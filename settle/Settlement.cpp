#include "settle/Settlement.h"
#include "common/Money.h"
#include "db/ICCard.h"
#include "db/Query.h"
#include "db/Transaction.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayUse.h"
#include "settle/PaymentRecord.h"
#include "settle/StoredAmounts.h"
#include "settle/Voucher.h"
#include <QDate>
#include <QSet>
#include <cmath>

using namespace Qt::StringLiterals;

namespace settle
{

namespace
{

// A refusal of one step: its kind and what the cashier is told.
struct StepFailed {
    SettlementFailure failure;
    QString message;
    QString detail;
    bool retryable = false; // the database undid the whole transaction, which may run again
};

StepFailed failedOn(SettlementFailure failure, const QString& message, const db::Error& e)
{
    return {failure, message, e.message(), e.retryable()};
}

bool retryable(const std::exception& e)
{
    const auto* d = dynamic_cast<const db::Error*>(&e);
    return d && d->retryable();
}

// Half a fen: amounts compare to the fen, never on the last bits of a double.
constexpr double kHalfFen = 0.005;

// The money columns of the receipt and of its payment record. Whatever a checkout worked out
// (0.9 × 17.40 is 15.659999999999998 in doubles), what is stored is the amount to the fen, so
// that sums, the arrears read back at the next checkout and the statements agree with the
// receipt. Rates (Discout) are not amounts and keep their decimals.
const QSet<QString> kAmountColumns{
    u"合计"_s,         u"挂号费"_s,   u"检查费"_s,   u"治疗费"_s,      u"镶牙费"_s,          u"放射费"_s,
    u"整畸费"_s,       u"其它费用"_s, u"注射费"_s,   u"中药费"_s,      u"西药费"_s,          u"手术费"_s,
    u"诊疗费"_s,       u"总计应收费用"_s, u"免收费用"_s, u"实收费用"_s, u"余额"_s,            u"收款金额"_s,
    u"原欠金额"_s,     u"OtherFreeFee"_s, u"MoneyCard_Value"_s, u"MoneyCard_UsedValue"_s,
    u"OtherTypePayedMoney"_s, u"CashMoney"_s};

db::FieldValues toTheFen(db::FieldValues fields)
{
    for (auto& [column, value] : fields)
        if (kAmountColumns.contains(column) && !value.isNull() && value.typeId() == QMetaType::Double)
            value = money::round2(value.toDouble());
    return fields;
}

// What a first settlement sends before it looks at any answer: the reads its checks judge and
// the writes that wait for nothing. On PostgreSQL they go out in one round trip; their answers
// are then judged in the order of the steps, so that a cashier hears of the same refusal as if
// each had been run in turn, and a refusal rolls all of it back.
struct SentAhead {
    std::optional<StoredAmountReads> stored;
    std::unique_ptr<db::Query> markPaid;
    std::unique_ptr<db::Query> record;
    std::unique_ptr<db::Query> lockedUsable;
    QDate voucherDay; // valid when the voucher's debit and read were sent
    std::unique_ptr<db::Query> debit;
    std::unique_ptr<db::Query> voucherLeft;
};

// What the checkout showed was judged before its dialog opened; judged again here, before the
// receipt's own amounts are written over, on the rows as they now stand (read first in the
// transaction).
void checkStoredAmounts(db::Connection& c, const SettlementRequest& r, SentAhead& ahead)
{
    if (!ahead.stored) return;
    QString refusal;
    try {
        refusal = StoredAmountsRefusal(c, *ahead.stored);
    } catch (const db::Error& e) {
        throw failedOn(SettlementFailure::ReceiptNotUnpaid, kReceiptNotSettled, e);
    }
    if (!refusal.isEmpty()) throw StepFailed{SettlementFailure::StoredAmounts, refusal, {}};
}

// The payment record says what was taken and how; the settlement takes exactly that. A method
// other than cash and the cash beside it add up to what is collected, the method takes what the
// record says it paid (a first settlement's voucher debit included), and cash alone records
// nothing paid by a method. Judged in fen.
std::optional<double> fieldAmount(const db::FieldValues& fields, const QString& column)
{
    for (const auto& [name, value] : fields)
        if (name == column) return value.isNull() ? 0.0 : value.toDouble();
    return std::nullopt;
}

void checkSplit(const SettlementRequest& r)
{
    const auto collected = fieldAmount(r.paymentFields, u"收款金额"_s);
    if (!collected) return; // a record that does not say what it collected
    const qint64 method = money::toFen(fieldAmount(r.paymentFields, u"OtherTypePayedMoney"_s).value_or(0.0));
    const qint64 cash = money::toFen(fieldAmount(r.paymentFields, u"CashMoney"_s).value_or(0.0));
    const qint64 whole = money::toFen(*collected);
    QString why;
    if (r.method == Cash) {
        if (method != 0 || (cash != 0 && cash != whole)) why = u"cash settlement records %1 paid by a method and %2 in cash of %3"_s;
    } else if (method + cash != whole) {
        why = u"method %1 and cash %2 do not add up to the %3 collected"_s;
    } else if (method != money::toFen(r.methodAmount) || (r.method == Voucher && !r.resettle && method != money::toFen(r.voucher.amount))) {
        why = u"the record says %1 by the method, the settlement would take "_s + money::format2(r.methodAmount)
            + u" (cash %2, collected %3)"_s;
    }
    if (why.isEmpty()) return;
    throw StepFailed{SettlementFailure::Split, kSplitDisagrees,
                     why.arg(money::format2(money::fromFen(method)), money::format2(money::fromFen(cash)),
                             money::format2(*collected))};
}

// The voucher was debited by the first settlement and a re-settlement neither gives it back
// nor debits one: the record keeps saying whether the voucher paid, or the voucher's balance
// and the records would disagree (the patient paying twice, or a payment nobody took).
void keepVoucherPayment(const SettlementRequest& r)
{
    if (!r.resettle || !r.settledRecord) return;
    const QVariant was = r.settledRecord->value(u"MoneyPayed_type"_s);
    const bool byVoucher = !was.isNull() && db::toInteger(was) == Voucher;
    if (byVoucher != (r.method == Voucher))
        throw StepFailed{SettlementFailure::VoucherLocked, kVoucherLocked,
                         u"the record of receipt %1 was paid by %2, the re-settlement pays by %3"_s.arg(r.receiptId)
                             .arg(db::toInteger(was))
                             .arg(r.method)};
}

std::unique_ptr<db::Query> markPaidQuery(db::Connection& c, const SettlementRequest& r)
{
    db::FieldValues fields{{u"付款"_s, u"已付"_s}};
    fields.append(toTheFen(r.receiptFields));
    // A first settlement only takes a receipt that is still unpaid: when another desk settled
    // it meanwhile, no row changes and this settlement must not write a second payment.
    const db::Where which = r.resettle ? db::Where{u"ID=?"_s, {r.receiptId}}
                                       : db::Where{u"ID=? AND rtrim(付款)=?"_s, {r.receiptId, u"未付"_s}};
    return db::modefyQuery(c, r.receiptTable, fields, which);
}

void markPaid(const SettlementRequest& r, SentAhead& ahead)
{
    int changed = 0;
    try {
        changed = ahead.markPaid->rowsAffected();
    } catch (const db::Error& e) {
        throw failedOn(SettlementFailure::ReceiptNotUnpaid, kReceiptNotSettled, e);
    }
    if (changed != 1)
        throw StepFailed{SettlementFailure::ReceiptNotUnpaid, kReceiptNotSettled,
                         u"receipt %1 is not there to settle (settled elsewhere?)"_s.arg(r.receiptId)};
}

qint64 writeRecord(db::Connection& c, const SettlementRequest& r, SentAhead& ahead)
{
    try {
        if (ahead.record) return NewPaymentRecordNumber(*ahead.record);
        return WritePaymentRecord(c, r.resettle, r.caseNumber, r.receiptId, toTheFen(r.paymentFields), r.settledRecord);
    } catch (const SettledElsewhere& e) {
        throw StepFailed{SettlementFailure::ReceiptNotUnpaid, kReceiptNotSettled, QString::fromUtf8(e.what())};
    } catch (const db::Error& e) {
        throw failedOn(SettlementFailure::PaymentRecord, kPaymentRecordFailed, e);
    }
}

void bookPrePayUse(db::Connection& c, const SettlementRequest& r, int paidByPrePay, double amount, qint64 paySheet)
{
    try {
        prepay::BookPrePayUse(c, r.resettle ? 1 : 0, paidByPrePay, r.patientNumber, amount, r.cashier, r.date, QString(),
                              qint32(paySheet), r.prepayAccount);
    } catch (const db::Error& e) {
        throw failedOn(SettlementFailure::PaymentRecord, kPaymentRecordFailed, e);
    }
}

// The balance the payment dialog showed may be gone: another desk can have paid from the same
// account since. Read it again under a lock on the account (SQLite's transaction already holds
// the database's write lock) and refuse an overdraw. A first settlement locks the account and
// its sums row and reads them in one statement, sent ahead; a re-settlement (or an account
// without sums yet) locks the account in a statement of its own before the read: a read in the
// statement that waited for the account's lock alone would not see what the desk holding it had
// just booked.
QString accountLock(db::Connection& c)
{
    return u"SELECT ID FROM PrePay_Table WHERE ID=?"_s + (c.isSQLite() ? QString() : u" FOR UPDATE"_s);
}

bool takesFromAccount(const SettlementRequest& r) { return money::toFen(money::round2(r.methodAmount)) > 0; }

// Books the use. A first settlement's is sent ahead and returned, to go out with the COMMIT; a
// re-settlement's changes the record's use in its own step.
std::unique_ptr<db::Query> usePrePayment(db::Connection& c, const SettlementRequest& r, qint64 paySheet, SentAhead& ahead)
{
    const double amount = money::round2(r.methodAmount);
    if (takesFromAccount(r)) {
        bool found = false;
        double usable = 0.0;
        try {
            std::optional<double> locked;
            if (ahead.lockedUsable) locked = prepay::LockedUsablePrePay(*ahead.lockedUsable);
            if (locked) {
                found = true;
                usable = *locked;
            } else {
                db::Query lock(c, accountLock(c), {r.prepayAccount});
                found = lock.exec().next();
                if (found)
                    usable = prepay::UsablePrePay(c, r.prepayAccount, r.resettle ? std::optional<qint64>(paySheet) : std::nullopt);
            }
        } catch (const db::Error& e) {
            throw failedOn(SettlementFailure::PaymentRecord, kPaymentRecordFailed, e);
        }
        if (r.prepayAccount <= 0 || !found)
            throw StepFailed{SettlementFailure::PrePayShort, kPrePayShort.arg(money::format2(amount)),
                             u"no prepaid account %1"_s.arg(r.prepayAccount)};
        if (money::toFen(usable) < money::toFen(amount))
            throw StepFailed{SettlementFailure::PrePayShort, kPrePayShort.arg(money::format2(amount)),
                             u"usable %1, needed %2"_s.arg(money::format2(usable), money::format2(amount))};
    }
    // The use is booked as charged, to the fen: the account's balance is a sum of these.
    if (r.resettle) {
        bookPrePayUse(c, r, 1, amount, paySheet);
        return nullptr;
    }
    try {
        return prepay::SendPrePayUse(c, r.patientNumber, amount, r.cashier, r.date, QString(), qint32(paySheet), r.prepayAccount);
    } catch (const db::Error& e) {
        throw failedOn(SettlementFailure::PaymentRecord, kPaymentRecordFailed, e);
    }
}

// Why a guarded debit touched nothing (or why it was not tried), in the words of the voucher check.
StepFailed voucherRefusal(db::Connection& c, const VoucherDebit& v, double amount, const QDate& today)
{
    db::Query q(c, u"SELECT * FROM PreferManagement_table WHERE ID=?"_s, {v.id});
    q.exec();
    if (!q.next()) return {SettlementFailure::VoucherRecord, kVoucherRecordFailed, u"voucher %1 is gone"_s.arg(v.id)};
    const int state = int(q.integer(u"Card_Is_Takenback"_s));
    if (state == 0 || state == 3) return {SettlementFailure::VoucherUnusable, kVoucherNotIssued, {}};
    if (q.integer(u"Card_Is_HaveExpire"_s) == 1 && q.dateTime(u"Card_Expire_Date"_s) < QDateTime(today, QTime(0, 0)))
        return {SettlementFailure::VoucherUnusable, kVoucherExpired, {}};
    if (q.isNull(u"Card_Left_Fee"_s))
        return {SettlementFailure::VoucherShort, kVoucherNoBalance, u"voucher %1 holds no balance (NULL)"_s.arg(v.id)};
    const double left = q.number(u"Card_Left_Fee"_s);
    if (money::toFen(left) <= 0)
        return {SettlementFailure::VoucherShort, kVoucherEmpty, u"voucher %1 holds %2"_s.arg(v.id).arg(money::format2(left))};
    if (money::toFen(amount) <= 0)
        return {SettlementFailure::VoucherShort, kVoucherShort,
                u"a voucher pays a positive amount, not %1"_s.arg(money::format2(amount))};
    return {SettlementFailure::VoucherShort, kVoucherShort,
            u"voucher holds %1, needed %2"_s.arg(money::format2(left), money::format2(amount))};
}

// Takes the amount off the voucher where it still stands; returns what the voucher holds after.
QDate voucherDay(db::Connection& c, const SettlementRequest& r) { return (r.date.isValid() ? r.date : c.serverTime()).date(); }

// A voucher pays only a positive amount it holds: a negative one would raise its balance while
// the record says it paid.
bool voucherPays(const SettlementRequest& r) { return money::toFen(money::round2(r.voucher.amount)) > 0; }

// The guarded debit, and the read of what the voucher holds after it.
void voucherQueries(db::Connection& c, const SettlementRequest& r, const QDate& today, SentAhead& ahead)
{
    const double amount = money::round2(r.voucher.amount);
    // The balance left is stored to the fen (200 - 35.60 - 48.30 is 116.10, not
    // 116.10000000000001), so that the card written from it agrees with it.
    ahead.debit = std::make_unique<db::Query>(
        c,
        u"UPDATE PreferManagement_table SET Card_Is_Takenback=2,"
        " Card_Left_Fee=ROUND(CAST(CASE WHEN Card_Left_Fee-?<0 THEN 0 ELSE Card_Left_Fee-? END AS NUMERIC),2)"
        " WHERE ID=? AND Card_Left_Fee>=? AND Card_Is_Takenback IS NOT NULL AND Card_Is_Takenback NOT IN (0,3)"
        " AND (Card_Is_HaveExpire IS NULL OR Card_Is_HaveExpire<>1 OR Card_Expire_Date>=?)"_s,
        // Bound as a date: a stored bare date ("2026-12-10") is still valid on its day.
        std::initializer_list<QVariant>{amount, amount, r.voucher.id, amount - kHalfFen, today});
    ahead.voucherLeft = std::make_unique<db::Query>(c, u"SELECT Card_Left_Fee FROM PreferManagement_table WHERE ID=?"_s,
                                                    std::initializer_list<QVariant>{r.voucher.id});
}

// Takes the amount off the voucher where it still stands; returns what the voucher holds after.
double debitVoucher(db::Connection& c, const SettlementRequest& r, SentAhead& ahead)
{
    const VoucherDebit& v = r.voucher;
    const double amount = money::round2(v.amount);
    const QDate today = ahead.debit ? ahead.voucherDay : voucherDay(c, r);
    if (!voucherPays(r)) throw voucherRefusal(c, v, amount, today);
    int changed = 0;
    try {
        if (!ahead.debit) {
            voucherQueries(c, r, today, ahead);
            ahead.debit->exec();
        }
        changed = ahead.debit->rowsAffected();
    } catch (const db::Error& e) {
        throw failedOn(SettlementFailure::VoucherRecord, kVoucherRecordFailed, e);
    }
    if (changed != 1) throw voucherRefusal(c, v, amount, today);
    db::Query& left = *ahead.voucherLeft;
    if (!ahead.voucherDay.isValid()) left.exec();
    return left.next() ? left.number(0) : 0.0;
}

// A first settlement's statements that wait for no answer, sent together.
SentAhead sendAhead(db::Connection& c, const SettlementRequest& r)
{
    SentAhead ahead;
    if (r.receiptTable == u"收费收据表"_s) ahead.stored = SendStoredAmountReads(c, r.receiptId);
    ahead.markPaid = markPaidQuery(c, r);
    ahead.markPaid->send();
    if (r.resettle) return ahead; // its record is rewritten only as loaded, and judged first
    ahead.record = SendNewPaymentRecord(c, toTheFen(r.paymentFields));
    if (r.method == PrePayment && takesFromAccount(r)) {
        ahead.lockedUsable = prepay::LockedUsablePrePayQuery(c, r.prepayAccount);
        ahead.lockedUsable->send();
    }
    // Without a date of its own the voucher's day is the server's, asked first.
    if (r.method == Voucher && voucherPays(r) && r.date.isValid()) {
        ahead.voucherDay = r.date.date();
        voucherQueries(c, r, ahead.voucherDay, ahead);
        ahead.debit->send();
        ahead.voucherLeft->send();
    }
    return ahead;
}

// One run of the settlement's transaction, from its start: nothing of it stays unless it commits.
void settleOnce(db::Connection& c, const SettlementRequest& r, SettlementResult& result, bool& cardWritten)
{
    db::Transaction tx(c);
    SentAhead ahead = sendAhead(c, r);
    checkStoredAmounts(c, r, ahead);
    markPaid(r, ahead);
    result.paySheet = writeRecord(c, r, ahead);
    // After the record's own guard: a record changed elsewhere is refused as such.
    keepVoucherPayment(r);
    std::unique_ptr<db::Query> use;
    if (r.method == PrePayment) use = usePrePayment(c, r, result.paySheet, ahead);
    // Paid from prepayment before and otherwise now: the old use must not stay charged.
    else if (r.resettle) bookPrePayUse(c, r, 0, 0.0, result.paySheet);
    // The use's own failure, told as such rather than as a failed COMMIT.
    const auto checkUse = [&] {
        try {
            if (use) use->rowsAffected();
        } catch (const db::Error& e) {
            throw failedOn(SettlementFailure::PaymentRecord, kPaymentRecordFailed, e);
        }
    };
    // A re-settlement never spends a voucher again: it was debited when first settled.
    const bool voucher = r.method == Voucher && !r.resettle;
    if (voucher) result.voucherLeft = debitVoucher(c, r, ahead);
    if (r.inTransaction) {
        checkUse();
        try {
            r.inTransaction(c, result.paySheet);
        } catch (const SettlementRefused& e) {
            throw StepFailed{SettlementFailure::Caller, e.text, {}};
        } catch (const StepFailed&) {
            throw;
        } catch (const std::exception& e) {
            throw StepFailed{SettlementFailure::Caller, kPaymentRecordFailed, QString::fromUtf8(e.what()), retryable(e)};
        }
    }
    // The card last: it is the one step a rollback cannot undo.
    if (voucher && r.voucher.cardKind == 1) {
        if (db::WriteICCard(icCardContent(r.voucher.number, result.voucherLeft)) != 0)
            throw StepFailed{SettlementFailure::ICCard, kICCardWriteFailed, {}};
        cardWritten = true;
    }
    try {
        // The use, when it was sent ahead, goes out with the COMMIT.
        tx.commit();
    } catch (const db::Error& e) {
        checkUse();
        throw failedOn(SettlementFailure::Commit, kReceiptNotSettled, e);
    }
}

} // namespace

SettlementResult Settle(db::Connection& c, const SettlementRequest& r)
{
    // A serialization failure or a deadlock: the database undid the whole transaction and it may
    // run again as it was, against the rows as they now stand. Not once the IC card was written
    // (it is put back, but a card is not rewritten over and over), nor inside a caller's
    // transaction, which the database has aborted along with this one.
    constexpr int kRetries = 3;
    const bool outermost = c.transactionDepth() == 0;
    for (int attempt = 0;; ++attempt) {
        SettlementResult result;
        bool cardWritten = false;
        bool again = false;
        try {
            checkSplit(r);
            settleOnce(c, r, result, cardWritten);
            result.ok = true;
            return result;
        } catch (const StepFailed& f) {
            result.failure = f.failure;
            result.message = f.message;
            result.detail = f.detail;
            again = f.retryable;
        } catch (const std::exception& e) {
            result.failure = SettlementFailure::Commit;
            result.message = kReceiptNotSettled;
            result.detail = QString::fromUtf8(e.what());
            again = retryable(e);
        }
        // The database kept the old value: the card must say so too.
        if (cardWritten)
            db::WriteICCard(icCardContent(
                r.voucher.number, money::fromFen(money::toFen(result.voucherLeft) + money::toFen(r.voucher.amount))));
        result.paySheet = 0;
        result.voucherLeft = 0.0;
        if (!again || cardWritten || !outermost || attempt == kRetries) return result;
    }
}

} // namespace settle
