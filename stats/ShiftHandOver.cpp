#include "stats/ShiftHandOver.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "print/FormFonts.h"
#include "settle/PaymentMethods.h"
#include "stats/DayRange.h"
#include "stats/StatLines.h"

using namespace Qt::StringLiterals;

namespace stats {

namespace {

// The day's rows of one table, of the cashier when one is given: the condition and its values.
struct Filter {
    QString sql;
    QVariantList values;
};

Filter dayOf(const DayRange& range, const QString& dateColumn, const QString& cashierColumn, const QString& cashier)
{
    Filter f{DayRange::condition(dateColumn), range.values()};
    if (!cashier.trimmed().isEmpty()) {
        f.sql += u" AND "_s + db::sameText(cashierColumn);
        f.values << cashier;
    }
    return f;
}

int methodOf(const QVariant& stored)
{
    const qint64 m = db::toInteger(stored);
    // A method the clinic does not know is counted as what it must have been: cash.
    return m > 0 && m < settle::PaymentMethodCount ? int(m) : settle::Cash;
}

void readSettlements(db::Connection& c, const DayRange& range, const QString& cashier, HandOver& h)
{
    const Filter f = dayOf(range, u"p.日期"_s, u"p.收款人"_s, cashier);
    db::Query q(c, u"SELECT p.MoneyPayed_type, p.收款金额, p.OtherTypePayedMoney, p.CashMoney, r.FeeIO "
                   u"FROM 病历收费单 p LEFT JOIN 收费收据表 r ON r.ID = p.ReceiptID WHERE "_s + f.sql);
    q.bindAll(f.values).exec();
    while (q.next()) {
        const int method = methodOf(q.value(0));
        const qint64 collected = money::toFen(q.number(1));
        if (method == settle::Cash) {
            h.byMethod[settle::Cash] += collected;
        } else {
            h.byMethod[method] += money::toFen(q.number(2));
            h.byMethod[settle::Cash] += money::toFen(q.number(3));
        }
        ++h.receipts;
        if (q.integer(4) == 1) {
            ++h.refunds;
            h.refunded -= collected;
        }
    }
}

void readWalkIns(db::Connection& c, const DayRange& range, const QString& cashier, HandOver& h)
{
    // A walk-in sheet is settled in cash as it is written.
    const Filter f = dayOf(range, u"日期"_s, u"收款人"_s, cashier);
    db::Query q(c, u"SELECT 收款金额 FROM 无病历收费单 WHERE "_s + f.sql);
    q.bindAll(f.values).exec();
    while (q.next()) {
        h.byMethod[settle::Cash] += money::toFen(q.number(0));
        ++h.sheets;
    }
}

void readTopUps(db::Connection& c, const DayRange& range, const QString& cashier, HandOver& h)
{
    // Money paid into prepaid accounts at the desk; a fee turned into prepayment (PrePayType -1)
    // brought no money of its own.
    const Filter f = dayOf(range, u"PayTime"_s, u"Checker"_s, cashier);
    db::Query q(c, u"SELECT PrePayType, PrePay_Money FROM PrePayReg_Table WHERE PrePay_IO=0 AND PrePayType >= 0 AND "_s
                       + f.sql);
    q.bindAll(f.values).exec();
    while (q.next()) {
        const qint64 amount = money::toFen(q.number(1));
        h.byMethod[methodOf(q.value(0))] += amount;
        ++h.topUps;
        h.toppedUp += amount;
    }
}

void readUnpaid(db::Connection& c, const DayRange& range, HandOver& h)
{
    db::Query q(c, u"SELECT 合计 FROM 收费收据表 WHERE rtrim(付款)='未付' AND "_s + DayRange::condition());
    q.bindAll(range.values()).exec();
    while (q.next()) {
        ++h.unpaid;
        h.unpaidTotal += money::toFen(q.number(0));
    }
}

QString fen(qint64 amount) { return money::format2(money::fromFen(amount)); }

} // namespace

HandOver shiftHandOver(db::Connection& c, const QDate& day, const QString& cashier)
{
    HandOver h;
    h.day = day;
    h.cashier = cashier.trimmed();
    const DayRange range = DayRange::days(day, day);
    readSettlements(c, range, h.cashier, h);
    readWalkIns(c, range, h.cashier, h);
    readTopUps(c, range, h.cashier, h);
    readUnpaid(c, range, h);
    for (qint64 m : h.byMethod) h.collected += m;
    return h;
}

QStringList handOverLines(const HandOver& h)
{
    QStringList lines{joinLine({u"项目"_s, u"金额"_s})};
    const QStringList methods = settle::paymentMethodTexts();
    for (int m = 0; m < int(h.byMethod.size()); ++m) lines << joinLine({methods.value(m), fen(h.byMethod[m])});
    lines << joinLine({u"合计收款"_s, fen(h.collected)})
          << joinLine({u"钱箱现金"_s, fen(h.cash())})
          << joinLine({u"收据张数"_s, QString::number(h.receipts)})
          << joinLine({u"无病案收费单张数"_s, QString::number(h.sheets)})
          << joinLine({u"退费张数"_s, QString::number(h.refunds)})
          << joinLine({u"退费金额"_s, fen(h.refunded)})
          << joinLine({u"预付费交款笔数"_s, QString::number(h.topUps)})
          << joinLine({u"预付费交款金额"_s, fen(h.toppedUp)})
          << joinLine({u"未结收据张数"_s, QString::number(h.unpaid)})
          << joinLine({u"未结收据金额"_s, fen(h.unpaidTotal)});
    return lines;
}

void drawHandOver(print::Canvas& dc, const print::PrintInfo&, void* context)
{
    using namespace print;
    const auto& page = *static_cast<const HandOverPage*>(context);
    const HandOver& h = page.handOver;
    FormFonts fonts(dc);
    dc.drawText(page.clinic + u" 交班表"_s, {100, -30, 1800, -130}, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    fonts.body();
    dc.textOut(200, -180, u"日期:%1年%2月%3日"_s.arg(h.day.year()).arg(h.day.month()).arg(h.day.day()));
    dc.textOut(1000, -180, u"收款员:%1"_s.arg(h.cashier.isEmpty() ? u"全部"_s : h.cashier));
    // One ruled row per line: the item on the left, the figure right-aligned.
    constexpr int top = -250, row = 60, left = 200, middle = 1100, right = 1600;
    const QStringList lines = handOverLines(h);
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList cols = columnsOf(lines[i]);
        const int y = top - row * i;
        dc.drawText(cols.value(0), {left + 10, y, middle, y - row}, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        dc.drawText(cols.value(1), {middle, y, right - 10, y - row}, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        dc.moveTo(left, y - row);
        dc.lineTo(right, y - row);
    }
    const int bottom = top - row * int(lines.size());
    for (int x : {left, middle, right}) {
        dc.moveTo(x, top);
        dc.lineTo(x, bottom);
    }
    dc.moveTo(left, top);
    dc.lineTo(right, top);
    dc.textOut(200, bottom - 80, u"交班人:"_s);
    dc.textOut(1000, bottom - 80, u"接班人:"_s);
}

} // namespace stats
