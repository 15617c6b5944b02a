// The statistics on a large clinic: every mode of "缴款统计" and "统计报表" through the engine
// against the best hand-written SQL for the same numbers, run through the database's own C
// client (sqlite3, libpq) with each statement prepared once. Both sides run interleaved (the
// order swapped every pair), the median of each is compared, and their results must be equal
// before anything is printed.
//
//   bench_statistics [--scale F] [--pairs N] [--reuse DIR]
//
// --scale 1 is a million receipts and a million walk-in sheets (benchdata::ClinicSize);
// --reuse keeps the generated databases in DIR and uses them again when they are there.
// SQLite always; PostgreSQL too when CALVANE_TEST_PG holds a maintenance URL.
#include "bench/common/LargeClinic.h"
#include "bench/stats/BareSql.h"
#include "bench/support/Pairs.h"
#include "common/Gbk.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "receipt/FeeCategories.h"
#include "stats/PaymentStatement.h"
#include "stats/StatisticalReport.h"
#include "stats/StatLines.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QTextStream out(stdout);

std::string text(const QDateTime& t) { return t.toString(u"yyyy-MM-dd HH:mm:ss"_s).toStdString(); }
QString qtext(const bare::Cell& c) { return QString::fromStdString(c.text); }

bool textBefore(const QString& a, const QString& b)
{
    const int order = gbk::compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

// ---- The hand-written side -------------------------------------------------------------------

const char* categorySums =
    "SUM(挂号费),SUM(检查费),SUM(镶牙费),SUM(整畸费),SUM(注射费),SUM(中药费),SUM(西药费),SUM(治疗费),"
    "SUM(手术费),SUM(诊疗费),SUM(放射费),SUM(其它费用)";
const char* byCashier = "lower(rtrim(收款人))=lower(rtrim(?)) AND 日期>=? AND 日期<?";

QStringList bareCategoryDay(bare::Client& b, const QDate& day, const QString& cashier)
{
    const std::string sql = std::string("SELECT * FROM (SELECT ") + categorySums + ",SUM(合计) FROM 无病历收费单 WHERE "
        + byCashier + ") w, (SELECT " + categorySums + " FROM 收费收据表 WHERE " + byCashier
        + " AND rtrim(付款)='已付') r, (SELECT SUM(收款金额) FROM 病历收费单 WHERE " + byCashier + ") p";
    const std::string who = cashier.toStdString(), from = text(day.startOfDay()), until = text(day.addDays(1).startOfDay());
    const bare::Rows rows = b.run(sql, {who, from, until, who, from, until, who, from, until});
    const auto& r = rows.at(0);
    const receipt::CategoryLabels labels = receipt::defaultCategoryLabels();
    QStringList lines{stats::paymentHeading()};
    for (size_t i = 0; i < 12; ++i) lines << labels[i] + u'#' + stats::amount1(r[i].number + r[13 + i].number);
    lines << u"合计#"_s + stats::amount1(r[12].number + r[25].number);
    return lines;
}

QStringList bareClassDay(bare::Client& b, const QDate& day, const QString& cashier)
{
    const std::string who = cashier.toStdString(), from = text(day.startOfDay()), until = text(day.addDays(1).startOfDay());
    const bare::Rows sums = b.run(
        std::string("SELECT 收费类型, SUM(金额) FROM 收费明细表 WHERE 无病案编号 IN (SELECT ID FROM 无病历收费单 WHERE ") + byCashier
            + ") GROUP BY 收费类型 UNION ALL SELECT 收费类型, SUM(金额) FROM 收费明细表 WHERE 收据编号 IN "
              "(SELECT ID FROM 收费收据表 WHERE " + byCashier + ") GROUP BY 收费类型",
        {who, from, until, who, from, until});
    QHash<QString, double> byClass;
    for (const auto& r : sums)
        if (!r[0].null) byClass[db::textKey(qtext(r[0]))] += r[1].number;
    const bare::Rows classes = b.run("SELECT DISTINCT 收费分类 FROM 收费标准表 WHERE 收费分类 IS NOT NULL", {});
    QHash<QString, QString> names;
    for (const auto& r : classes) {
        const QString name = qtext(r[0]), key = db::textKey(name);
        if (key.trimmed().isEmpty()) continue;
        if (!names.contains(key) || textBefore(name, names[key])) names[key] = name;
    }
    QStringList ordered = names.values();
    std::sort(ordered.begin(), ordered.end(), textBefore);
    const bare::Rows received = b.run(std::string("SELECT (SELECT SUM(合计) FROM 无病历收费单 WHERE ") + byCashier
                                          + "), (SELECT SUM(收款金额) FROM 病历收费单 WHERE " + byCashier + ")",
                                      {who, from, until, who, from, until});
    QStringList lines{stats::paymentHeading()};
    for (const QString& n : ordered) lines << n + u'#' + stats::amount1(byClass.value(db::textKey(n)));
    return lines << u"合计#"_s + stats::amount1(received.at(0)[0].number + received.at(0)[1].number);
}

const char* reportSums = "SUM(西药费),SUM(治疗费),SUM(手术费),SUM(诊疗费),SUM(放射费),SUM(合计)";

QStringList bareAccount(bare::Client& b, const QDate& first, const QDate& last)
{
    const std::string from = text(first.startOfDay()), until = text(last.addDays(1).startOfDay());
    const bare::Rows rows = b.run(
        std::string("SELECT * FROM (SELECT ") + reportSums + " FROM 无病历收费单 WHERE 日期>=? AND 日期<?) w, (SELECT "
            + reportSums + " FROM 收费收据表 WHERE 日期>=? AND 日期<? AND rtrim(付款)='已付') r, "
              "(SELECT MIN(t.TicketID), MAX(t.TicketID), COUNT(DISTINCT CASE WHEN t.IsUsed=1 THEN t.TicketID END) "
              "FROM 收费收据表 x JOIN ShandongTicket_Table t ON t.ReceiptID = x.ID "
              "WHERE x.日期>=? AND x.日期<? AND rtrim(x.付款)='已付') k",
        {from, until, from, until, from, until});
    const auto& r = rows.at(0);
    const QStringList labels{u"西药费"_s, u"治疗费"_s, u"手术费"_s, u"诊疗费"_s, u"放射费"_s, u"合计"_s};
    QStringList lines{stats::accountHeading()};
    for (size_t i = 0; i < 6; ++i) {
        const QString sum = stats::amount1(r[i].number + r[6 + i].number);
        lines << labels[qsizetype(i)] + u'#' + sum + u'#' + sum + u"#0.00"_s;
    }
    const qint64 lo = qint64(r[12].number), hi = qint64(r[13].number);
    lines << u"收款员#制单员"_s << u"发票#"_s + QString::number(r[12].null ? 0 : hi - lo + 1)
          << u"金额#"_s + stats::amount1(r[5].number + r[11].number) << u"退票#"_s + QString::number(qint64(r[14].number))
          << u"起始发票#"_s + QString::number(lo) << u"终止发票#"_s + QString::number(hi);
    return lines;
}

QStringList bareGroups(bare::Client& b, const QDate& first, const QDate& last, bool byDoctor)
{
    const std::string from = text(first.startOfDay()), until = text(last.addDays(1).startOfDay());
    const std::string column = byDoctor ? "医生姓名" : "科室";
    const bare::Rows rows = b.run("SELECT 0, " + column + ", " + reportSums + " FROM 收费收据表 WHERE 日期>=? AND 日期<? "
                                  "AND rtrim(付款)='已付' GROUP BY " + column + " UNION ALL SELECT 1, " + column + ", "
                                  + reportSums + " FROM 无病历收费单 WHERE 日期>=? AND 日期<? GROUP BY " + column,
                                  {from, until, from, until});
    struct Group {
        QString name;
        bool inReceipts = false;
        std::array<double, 6> sums{};
    };
    QHash<QString, Group> groups;
    for (const auto& r : rows) {
        if (r[1].null) continue;
        const QString name = qtext(r[1]);
        Group& g = groups[db::textKey(name)];
        if (g.name.isNull() || textBefore(name, g.name)) g.name = name;
        if (r[0].number == 0) g.inReceipts = true;
        for (size_t i = 0; i < 6; ++i) g.sums[i] += r[2 + i].number;
    }
    std::vector<const Group*> receipts, walkIns, order;
    for (const Group& g : groups) (g.inReceipts ? receipts : walkIns).push_back(&g);
    const auto byName = [](const Group* a, const Group* b) { return textBefore(a->name, b->name); };
    std::sort(receipts.begin(), receipts.end(), byName);
    std::sort(walkIns.begin(), walkIns.end(), byName);
    if (byDoctor) order.assign(receipts.rbegin(), receipts.rend());
    else order = receipts;
    order.insert(order.begin(), walkIns.rbegin(), walkIns.rend());
    QStringList lines{(byDoctor ? u"医生"_s : u"科室"_s) + u"#西药费#治疗费#手术费#诊疗费#放射费#合计"_s};
    std::array<double, 6> totals{};
    for (const Group* g : order) {
        QString line = g->name;
        for (size_t i = 0; i < 6; ++i) {
            line += u'#' + stats::amount1(g->sums[i]);
            totals[i] += g->sums[i];
        }
        lines << line;
    }
    QString closing = u"合计"_s;
    double five = 0;
    for (size_t i = 0; i < 5; ++i) {
        closing += u'#' + stats::amount1(totals[i]);
        five += totals[i];
    }
    return lines << closing + u'#' + stats::amount1(five) + u'\\' + stats::amount1(totals[5]);
}

// ---- Measuring -------------------------------------------------------------------------------

struct Case {
    QString name;
    std::function<QStringList()> engine;
    std::function<QStringList()> bare;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timed(const std::function<QStringList()>& f)
{
    QElapsedTimer t;
    t.start();
    const QStringList lines = f();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (lines.isEmpty()) qFatal("no result");
    return ms;
}

bool measure(const QString& backend, const QList<Case>& cases, int pairs)
{
    bool allEqual = true;
    out << "\n" << backend << " (" << pairs << " interleaved pairs, medians)\n";
    out << qSetFieldWidth(44) << Qt::left << "case" << qSetFieldWidth(12) << Qt::right << "engine ms" << "SQL ms"
        << "ratio" << qSetFieldWidth(0) << "\n";
    out.flush();
    for (const Case& c : cases) {
        const QStringList mine = c.engine(), theirs = c.bare();
        if (mine != theirs) {
            out << "RESULTS DIFFER: " << c.name << "\n  engine: " << mine.join(u" | "_s) << "\n  SQL:    "
                << theirs.join(u" | "_s) << "\n";
            allEqual = false;
            continue;
        }
        timed(c.engine);
        timed(c.bare);
        std::vector<double> engine, bareSide;
        for (int p = 0; p < pairs; ++p) {
            if (p % 2 == 0) {
                engine.push_back(timed(c.engine));
                bareSide.push_back(timed(c.bare));
            } else {
                bareSide.push_back(timed(c.bare));
                engine.push_back(timed(c.engine));
            }
        }
        const double e = median(engine), b = median(bareSide);
        out << qSetFieldWidth(44) << Qt::left << c.name << qSetFieldWidth(12) << Qt::right << QString::number(e, 'f', 2)
            << QString::number(b, 'f', 2) << QString::number(e / b, 'f', 2) << qSetFieldWidth(0) << "\n";
        out.flush();
        bench::report("bench_statistics", backend.toStdString(), (c.name + u", ms"_s).toStdString(), e, b, e / b);
    }
    return allEqual;
}

QList<Case> casesFor(db::Connection& c, bare::Client& b, const benchdata::ClinicSize& size)
{
    const QDate day = size.firstDay.addDays(size.days / 2);
    const QDate monthStart(day.year(), day.month(), 1), monthEnd = monthStart.addMonths(1).addDays(-1);
    const QDate yearStart = day.addDays(-364);
    const QString cashier = u"收款员3"_s;
    const receipt::CategoryLabels labels = receipt::defaultCategoryLabels();
    const auto report = [&c, labels](stats::ReportMode mode, QDate first, QDate last) {
        return [&c, labels, mode, first, last] {
            return stats::statisticalReport(c, labels, {first, last, mode, u"制单员"_s});
        };
    };
    QList<Case> cases{
        {u"缴款统计 by category, one day"_s,
         [&c, labels, day, cashier] { return stats::categoryStatement(c, labels, day, cashier); },
         [&b, day, cashier] { return bareCategoryDay(b, day, cashier); }},
        {u"缴款统计 by class, one day"_s, [&c, day, cashier] { return stats::classStatement(c, day, cashier); },
         [&b, day, cashier] { return bareClassDay(b, day, cashier); }},
    };
    for (const auto& [span, first] : {std::pair{u"one month"_s, monthStart}, std::pair{u"one year"_s, yearStart}}) {
        const QDate last = span == u"one month"_s ? monthEnd : day;
        cases << Case{u"统计报表 account, "_s + span, report(stats::ReportMode::Account, first, last),
                      [&b, first, last] { return bareAccount(b, first, last); }}
              << Case{u"统计报表 departments, "_s + span, report(stats::ReportMode::Department, first, last),
                      [&b, first, last] { return bareGroups(b, first, last, false); }}
              << Case{u"统计报表 doctors, "_s + span, report(stats::ReportMode::Doctor, first, last),
                      [&b, first, last] { return bareGroups(b, first, last, true); }};
    }
    return cases;
}

QString clinicUrl(const QString& backend, const QString& dir, const benchdata::ClinicSize& size, bool reuse)
{
    const QString name = u"calvane_bench_stats_%1"_s.arg(qint64(size.receipts));
    if (reuse) {
        QString url = u"sqlite:%1/%2.sqlite"_s.arg(dir, name);
        if (backend == QLatin1String("postgresql")) {
            QUrl u(qEnvironmentVariable("CALVANE_TEST_PG"));
            u.setPath(u'/' + name);
            url = u.toString();
        }
        try {
            auto c = db::Connection::open(url);
            if (db::toInteger(db::scalar(*c, u"SELECT count(*) FROM 收费收据表"_s)) == size.receipts) return url;
        } catch (const std::exception&) {
        }
    }
    const QString url = benchdata::freshDatabase(backend, dir, name);
    auto c = db::Connection::open(url);
    QElapsedTimer t;
    t.start();
    out << backend << ": generating " << size.describe() << "\n";
    out.flush();
    benchdata::generateClinic(*c, size, [](const QString& line) {
        out << "  " << line << "\n";
        out.flush();
    });
    out << "  generated in " << t.elapsed() / 1000.0 << " s\n";
    return url;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto option = [&](const QString& name, const QString& fallback) {
        const int i = int(args.indexOf(name));
        return i > 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const double scale = option(u"--scale"_s, u"1"_s).toDouble();
    const int pairs = std::max(21, option(u"--pairs"_s, u"21"_s).toInt());
    const QString reuseDir = option(u"--reuse"_s, QString());
    QTemporaryDir tmp;
    const QString dir = reuseDir.isEmpty() ? tmp.path() : reuseDir;
    QDir().mkpath(dir);
    const benchdata::ClinicSize size = benchdata::ClinicSize().scaled(scale > 0 ? scale : 1);

    QStringList backends{u"sqlite"_s};
    if (!qEnvironmentVariable("CALVANE_TEST_PG").isEmpty()) backends << u"postgresql"_s;
    bool equal = true;
    try {
        for (const QString& backend : backends) {
            const QString url = clinicUrl(backend, dir, size, !reuseDir.isEmpty());
            auto c = db::Connection::open(url);
            std::unique_ptr<bare::Client> b;
            if (backend == QLatin1String("sqlite")) b = std::make_unique<bare::Sqlite>(url.mid(7).toStdString());
            else b = std::make_unique<bare::Postgres>(url.toStdString());
            equal = measure(backend, casesFor(*c, *b, size), pairs) && equal;
        }
    } catch (const std::exception& e) {
        out << "failed: " << e.what() << "\n";
        return 1;
    }
    return equal ? 0 : 1;
}
