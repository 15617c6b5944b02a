#include "rx/Stock.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/TextMatch.h"
#include "db/Transaction.h"
#include "rx/StockSwitch.h"
#include <algorithm>

namespace rx {

namespace {

// Names and strengths (规格) compare as the clinic's database compared them (case and trailing
// blanks aside); the batch index serves exactly these expressions. SQLite gets the expiry
// bound as UTF-16 text from Qt and would convert a copy of it for every batch it compares;
// joined to '' (once, before the scan) it is in the database's own encoding.
struct BatchStatements {
    QString sum;   // what the good batches hold together
    QString batch; // the good batches, lowest number first
};

const BatchStatements& statementsFor(const db::Connection& c)
{
    const auto build = [](bool sqlite) {
        const QString where = db::sameText(QStringLiteral("名称")) + QStringLiteral(" AND ") +
                              db::sameText(QStringLiteral("规格")) +
                              (sqlite ? QStringLiteral(" AND ExpireDate>(?||'')") : QStringLiteral(" AND ExpireDate>?"));
        return BatchStatements{QStringLiteral("SELECT Sum(现存数量) AS TotalNum, Min(现存数量) AS Least FROM 材料库存表 WHERE ") + where,
                               QStringLiteral("SELECT 库存编号,现存数量,ExpireDate FROM 材料库存表 WHERE ") + where +
                                   QStringLiteral(" ORDER BY 库存编号")};
    };
    static const BatchStatements sqlite = build(true), other = build(false);
    return c.isSQLite() ? sqlite : other;
}

int newLineCount(const MedicineLineList& lines, int storedCount)
{
    return std::clamp(lines.size() - storedCount, 0, lines.size());
}

// What the good batches of a line's medicine hold together; none when there is no good batch.
std::optional<double> onHand(db::Connection& c, const MedicineLine& l, const QString& bound)
{
    db::Query q(c, statementsFor(c).sum, {l.name, l.spec, bound});
    q.exec();
    if (!q.next() || q.value(0).isNull()) return std::nullopt;
    if (q.number(1) < 0.0) throw NegativeStock(l, q.number(1));
    return q.number(0);
}

struct Batch {
    qint64 number = 0;
    double quantity = 0.0;
    QVariant expires; // as the database gave it: written back unchanged, never parsed
};

// Takes up to `wanted` from one batch by a relative update guarded by what the batch still
// holds; when another desk took from it since it was read, what is left now is taken instead.
// Returns what was taken (0 when the batch is empty now).
double takeFromBatch(db::Connection& c, const Batch& b, double wanted)
{
    double available = b.quantity;
    while (available > 0.0) {
        const double take = std::min(wanted, available);
        db::Query update(c, QStringLiteral("UPDATE 材料库存表 SET 现存数量=现存数量-? WHERE 库存编号=? AND 现存数量>=?"),
                         {take, b.number, take});
        update.exec();
        if (update.rowsAffected() == 1) return take;
        db::Query now(c, QStringLiteral("SELECT 现存数量 FROM 材料库存表 WHERE 库存编号=?"), {b.number});
        now.exec();
        available = now.next() ? now.number(0) : 0.0;
    }
    return 0.0;
}

void recordWithdrawal(db::Connection& c, const MedicineLine& l, const Batch& b, double taken, const StockTaker& who,
                      const QString& now)
{
    db::AddRecord(c, QStringLiteral("材料出库表"),
                  {
                      {QStringLiteral("单位"), l.unit},
                      {QStringLiteral("名称"), l.name},
                      {QStringLiteral("规格"), l.spec},
                      {QStringLiteral("数量"), taken},
                      {QStringLiteral("出库价格"), l.price},
                      // The whole line's amount, on every withdrawal of the line.
                      {QStringLiteral("总价"), l.amount},
                      {QStringLiteral("日期"), now},
                      {QStringLiteral("领料人"), who.taker},
                      {QStringLiteral("备注"), QStringLiteral("药品处方自动出库")},
                      {QStringLiteral("领用人"), who.receiver},
                      {QStringLiteral("库存分类"), l.category},
                      {QStringLiteral("KBID"), static_cast<qint32>(b.number)},
                      {QStringLiteral("ExpireDate"), b.expires},
                  },
                  QStringLiteral("出库编号"));
}

} // namespace

bool stockKept(db::Connection& c) { return ReadStockSwitch(c) == 0; }

QDateTime endOfDay(const QDateTime& now) { return QDateTime(now.date(), QTime(23, 59, 59)); }

bool StockCovers(db::Connection& c, const MedicineLineList& lines, int storedCount, const QDateTime& now)
{
    const QString bound = db::dateTimeText(endOfDay(now));
    const int count = newLineCount(lines, storedCount);
    for (int i = 1; i <= count; ++i) {
        const MedicineLine& l = lines.at(i);
        const std::optional<double> total = onHand(c, l, bound);
        // Whole units only: a part of a pack is not handed out.
        if (!total || std::trunc(*total) < l.quantity) return false;
    }
    return true;
}

QList<ShortLine> ShortLines(db::Connection& c, const MedicineLineList& lines, int storedCount, const QDateTime& now)
{
    const QString bound = db::dateTimeText(endOfDay(now));
    const int count = newLineCount(lines, storedCount);
    QList<ShortLine> shortLines;
    for (int i = 1; i <= count; ++i) {
        const MedicineLine& l = lines.at(i);
        const std::optional<double> total = onHand(c, l, bound);
        if (!total || *total < l.quantity) shortLines.append({l.name, l.spec, l.quantity, total});
    }
    return shortLines;
}

StockShortfall::StockShortfall(const MedicineLine& line, double missing)
    : std::runtime_error(QStringLiteral("%1 %2: the stock lacks %3").arg(line.name, line.spec).arg(missing).toStdString()),
      name(line.name), spec(line.spec), missing(missing)
{
}

static QString negativeStockText(const MedicineLine& line, double held)
{
    return QStringLiteral("药品“%1 %2”的库存数量为负数（%3），库存记录有误，请先更正库存!")
        .arg(line.name, line.spec, QString::number(held));
}

NegativeStock::NegativeStock(const MedicineLine& line, double held)
    : std::runtime_error(negativeStockText(line, held).toStdString()), message(negativeStockText(line, held))
{
}

void TakeOutOfStock(db::Connection& c, const MedicineLineList& lines, int storedCount, const StockTaker& who,
                    const QDateTime& now)
{
    db::Transaction t(c);
    if (!stockKept(c)) return;
    // Dates as the database keeps them, made once: converting a local time takes a look at
    // the time zone each time.
    const QString bound = db::dateTimeText(endOfDay(now));
    const QString nowText = db::dateTimeText(now);
    const int count = newLineCount(lines, storedCount);
    for (int i = 1; i <= count; ++i) {
        const MedicineLine& l = lines.at(i);
        double remaining = l.quantity;
        // Read as far as the line needs: most lines end in their first batch or two.
        db::Query q(c, statementsFor(c).batch, {l.name, l.spec, bound});
        q.exec();
        while (remaining > 0.0 && q.next()) {
            // By position: the columns are the three selected above.
            if (q.value(0).isNull()) continue;
            const Batch b{q.integer(0), q.number(1), q.value(2)};
            if (b.quantity < 0.0) throw NegativeStock(l, b.quantity);
            // An empty batch has nothing to give and gets no row.
            const double taken = takeFromBatch(c, b, remaining);
            if (taken <= 0.0) continue;
            recordWithdrawal(c, l, b, taken, who, nowText);
            remaining = taken < remaining ? remaining - taken : 0.0;
        }
        if (remaining > 0.0) throw StockShortfall(l, remaining);
    }
    t.commit();
}

} // namespace rx
