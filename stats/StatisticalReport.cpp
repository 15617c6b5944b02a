#include "stats/StatisticalReport.h"
#include "common/Gbk.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "stats/DayRange.h"
#include <QHash>
#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace stats {

namespace {

using Sums = std::array<double, ReportColumns>;

const QString paid = u"rtrim(付款)='已付'"_s;

QString sumList()
{
    QStringList s;
    for (int i = 0; i < ReportColumns; ++i) s << u"SUM(%1) AS s%2"_s.arg(reportColumns()[i]).arg(i);
    return s.join(u',');
}

void addRow(Sums& to, const db::Query& q, int firstColumn)
{
    for (int i = 0; i < ReportColumns; ++i) to[size_t(i)] += q.number(firstColumn + i);
}

QList<DayRange> slicesOf(const ReportRequest& r)
{
    const DayRange range = DayRange::days(r.first, r.last);
    if (!isLongRange(r.first, r.last)) return {range};
    const qint64 days = r.first.daysTo(r.last) + 1;
    return range.slices(int((days + SliceDays - 1) / SliceDays));
}

// Runs read on every slice of the range, reporting progress; Cancelled when told to stop.
template <class Read>
void eachSlice(const ReportRequest& r, const Progress& progress, Read&& read)
{
    const QList<DayRange> slices = slicesOf(r);
    for (int i = 0; i < slices.size(); ++i) {
        if (progress && !progress(i, int(slices.size()))) throw Cancelled();
        read(slices[i]);
    }
    if (progress && !progress(int(slices.size()), int(slices.size()))) throw Cancelled();
}

QStringList accountStatement(db::Connection& c, const receipt::CategoryLabels& labels, const ReportRequest& r,
                             const Progress& progress)
{
    Sums sums{};
    qint64 first = 0, last = 0, voided = 0;
    bool anyTicket = false;
    // One statement per slice: the sums of both tables and the invoices of the paid receipts.
    // Voided counts of slices add up: an invoice number is issued for one receipt, and the
    // slices' receipts are disjoint.
    const QString sql = u"SELECT * FROM (SELECT %1 FROM 无病历收费单 WHERE %2) w, "
                        u"(SELECT %1 FROM 收费收据表 WHERE %2 AND %3) r, "
                        u"(SELECT MIN(t.TicketID) AS lo, MAX(t.TicketID) AS hi, "
                        u"COUNT(DISTINCT CASE WHEN t.IsUsed=1 THEN t.TicketID END) AS voided "
                        u"FROM 收费收据表 x JOIN ShandongTicket_Table t ON t.ReceiptID = x.ID "
                        u"WHERE %4 AND rtrim(x.付款)='已付') k"_s.arg(sumList(), DayRange::condition(), paid,
                                                                      DayRange::condition(u"x.日期"_s));
    eachSlice(r, progress, [&](const DayRange& slice) {
        db::Query q(c, sql);
        q.bindAll(slice.values() + slice.values() + slice.values()).exec();
        if (!q.next()) return;
        addRow(sums, q, 0);
        addRow(sums, q, ReportColumns);
        const int t = 2 * ReportColumns;
        if (!q.value(t).isNull()) {
            const qint64 lo = q.integer(t), hi = q.integer(t + 1);
            first = anyTicket ? std::min(first, lo) : lo;
            last = anyTicket ? std::max(last, hi) : hi;
            anyTicket = true;
        }
        voided += q.integer(t + 2);
    });

    QStringList lines{accountHeading()};
    const QStringList names = reportLabels(labels);
    for (int i = 0; i < ReportColumns; ++i) {
        const QString sum = amount1(sums[size_t(i)]);
        lines << joinLine({names[i], sum, sum, u"0.00"_s});
    }
    // With no invoice issued in the range there is no first and last invoice: 0 invoices, not 1.
    const qint64 invoices = anyTicket ? last - first + 1 : 0;
    lines << joinLine({u"收款员"_s, r.operatorName}) << joinLine({u"发票"_s, QString::number(invoices)})
          << joinLine({u"金额"_s, amount1(sums[ReportColumns - 1])})
          << joinLine({u"退票"_s, QString::number(voided)})
          << joinLine({u"起始发票"_s, QString::number(first)}) << joinLine({u"终止发票"_s, QString::number(last)});
    return lines;
}

struct Group {
    QString name; // the spelling shown: the first in text order of those the database calls equal
    bool inReceipts = false;
    bool inWalkIns = false;
    Sums sums{};
};

bool textBefore(const QString& a, const QString& b)
{
    const int order = gbk::compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

QStringList groupStatement(db::Connection& c, const receipt::CategoryLabels& labels, const ReportRequest& r,
                           const Progress& progress)
{
    const bool byDoctor = r.mode == ReportMode::Doctor;
    const QString column = byDoctor ? u"医生姓名"_s : u"科室"_s;
    const QString sql = u"SELECT 0, %1, %2 FROM 收费收据表 WHERE %3 AND %4 GROUP BY %1 UNION ALL "
                        u"SELECT 1, %1, %2 FROM 无病历收费单 WHERE %3 GROUP BY %1"_s.arg(column, sumList(),
                                                                                   DayRange::condition(), paid);
    QHash<QString, Group> groups;
    eachSlice(r, progress, [&](const DayRange& slice) {
        db::Query q(c, sql);
        q.bindAll(slice.values() + slice.values()).exec();
        while (q.next()) {
            if (q.value(1).isNull()) continue; // rows without a name belong to no line
            const QString name = q.text(1);
            Group& g = groups[db::textKey(name)];
            if (g.name.isNull() || textBefore(name, g.name)) g.name = name;
            (q.integer(0) == 0 ? g.inReceipts : g.inWalkIns) = true;
            addRow(g.sums, q, 2);
        }
    });

    // The receipts' names in text order; the walk-in-only names each put in front, so they come
    // first in reverse order. Per doctor every name is put in front, the receipts' ones first.
    QList<const Group*> fromReceipts, walkInOnly;
    for (const Group& g : groups) (g.inReceipts ? fromReceipts : walkInOnly) << &g;
    const auto byName = [](const Group* a, const Group* b) { return textBefore(a->name, b->name); };
    std::sort(fromReceipts.begin(), fromReceipts.end(), byName);
    std::sort(walkInOnly.begin(), walkInOnly.end(), byName);
    QList<const Group*> order;
    for (const Group* g : fromReceipts) byDoctor ? order.prepend(g) : order.append(g);
    for (const Group* g : walkInOnly) order.prepend(g);

    QStringList heading{byDoctor ? u"医生"_s : u"科室"_s};
    heading += reportLabels(labels);
    QStringList lines{joinLine(heading)};
    Sums totals{};
    for (const Group* g : order) {
        QStringList cells{g->name};
        for (int i = 0; i < ReportColumns; ++i) {
            cells << amount1(g->sums[size_t(i)]);
            totals[size_t(i)] += g->sums[size_t(i)];
        }
        lines << joinLine(cells);
    }
    QStringList closing{u"合计"_s};
    double categories = 0;
    for (int i = 0; i < ReportColumns - 1; ++i) {
        closing << amount1(totals[size_t(i)]);
        categories += totals[size_t(i)];
    }
    closing << amount1(categories) + u'\\' + amount1(totals[ReportColumns - 1]);
    lines << joinLine(closing);
    return lines;
}

} // namespace

const QStringList& reportColumns()
{
    static const QStringList columns{u"西药费"_s, u"治疗费"_s, u"手术费"_s, u"诊疗费"_s, u"放射费"_s, u"合计"_s};
    return columns;
}

QStringList reportLabels(const receipt::CategoryLabels& labels)
{
    QStringList out;
    for (int i = 0; i < ReportColumns - 1; ++i) out << labels[size_t(receipt::categoryIndex(reportColumns()[i]))];
    out << u"合计"_s;
    return out;
}

bool isLongRange(const QDate& first, const QDate& last) { return first.daysTo(last) + 1 > SliceDays; }

QString accountHeading() { return joinLine({u"项目"_s, u"应收"_s, u"实收"_s, u"差额"_s}); }

QStringList statisticalReport(db::Connection& c, const receipt::CategoryLabels& labels, const ReportRequest& request,
                              const Progress& progress)
{
    if (request.mode == ReportMode::Account) return accountStatement(c, labels, request, progress);
    return groupStatement(c, labels, request, progress);
}

} // namespace stats
