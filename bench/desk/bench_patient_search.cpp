// The desk's patient search, patient page and day list on a small clinic and on a large one:
// each look-up must take about the same time whatever the number of patients. Run:
// build/bin/bench_patient_search (SQLite; PostgreSQL too when CALVANE_TEST_PG holds a
// maintenance URL).
//
// Data: N cases (2,000 and 200,000) named from 40 surnames and 60 given-name characters, with
// pinyin initials, patient numbers "P%07d" and phones "139%08d"; each case has two receipts,
// 80 of them written today.
#include "bench/support/BenchDb.h"
#include "bench/support/Pairs.h"
#include "common/Pinyin.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "tools/desk/DayList.h"
#include "tools/desk/PatientPage.h"
#include "tools/desk/PatientSearch.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int perStatement = 500;
constexpr int rounds = 900;

const QString surnames = QStringLiteral("王李张刘陈杨赵黄周吴徐孙胡朱高林何郭马罗梁宋郑谢韩唐冯于董萧程曹袁邓许傅沈曾彭吕");
const QString given = QStringLiteral("伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰萍红鹏辉建国建华志强小红海燕"
                                     "晓东春梅文静立新");

QString nameOf(int i)
{
    return QString(surnames[i % surnames.size()]) + given[(i / 7) % given.size()] + given[(i / 131) % given.size()];
}

void fill(db::Connection& c, const QString& table, const QStringList& columns, int rows,
          const std::function<QVariantList(int)>& values)
{
    const QString one =
        QLatin1Char('(') + QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QLatin1Char(',')))
        + QStringList(perStatement, one).join(QLatin1Char(','));
    for (int start = 0; start < rows; start += perStatement) {
        QVariantList batch;
        for (int r = start; r < start + perStatement; ++r) batch << values(r);
        db::Query(c, sql).bindAll(batch).exec();
    }
}

db::ConnectionPtr build(const QString& backend, int cases, QTemporaryDir& dir)
{
    QString url = QStringLiteral("sqlite:%1/bench%2.sqlite").arg(dir.path()).arg(cases);
    if (backend == QLatin1String("postgresql")) {
        const QString name = QStringLiteral("calvane_bench_%1_%2").arg(QCoreApplication::applicationPid()).arg(cases);
        auto a = db::Connection::open(qEnvironmentVariable("CALVANE_TEST_PG"));
        a->execute(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        a->execute(QStringLiteral("CREATE DATABASE %1").arg(name));
        QUrl u(qEnvironmentVariable("CALVANE_TEST_PG"));
        u.setPath(QLatin1Char('/') + name);
        url = u.toString();
    }
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);
    c->execute(QStringLiteral("BEGIN"));
    fill(*c, QStringLiteral("病历卡表"),
         {QStringLiteral("病历号"), QStringLiteral("病人编号"), QStringLiteral("病人姓名"), QStringLiteral("拼音码"),
          QStringLiteral("电话")},
         cases, [](int r) {
             const QString name = nameOf(r);
             return QVariantList{r + 1, QStringLiteral("P%1").arg(r + 1, 7, 10, QLatin1Char('0')), name,
                                 pinyin::initials(name), QStringLiteral("139%1").arg(r + 1, 8, 10, QLatin1Char('0'))};
         });
    const QDateTime today(QDate::currentDate(), QTime(9, 0));
    fill(*c, QStringLiteral("收费收据表"),
         {QStringLiteral("病历号"), QStringLiteral("病人姓名"), QStringLiteral("日期"), QStringLiteral("合计"),
          QStringLiteral("付款")},
         cases * 2, [&](int r) {
             // 80 receipts are today's on either clinic; the rest spread over the last three years.
             const QDateTime when = r < 80 ? today : today.addDays(-(1 + r % 1000));
             return QVariantList{r / 2 + 1, nameOf(r / 2), db::dateTimeText(when), 100.0 + r % 50,
                                 r % 3 == 0 ? QStringLiteral("未付") : QStringLiteral("已付")};
         });
    c->execute(QStringLiteral("COMMIT"));
    bench::settleTables(*c);
    return c;
}

// The time of one call on each clinic, in microseconds: blocks of calls on the small clinic
// and on the large one in turn, and the median block of each, so that whatever the machine does
// meanwhile falls on both rather than on whichever ran second.
std::pair<double, double> timeBoth(const std::function<void()>& onSmall, const std::function<void()>& onLarge,
                                   int n = rounds)
{
    onSmall(); // statements prepared, pages warm
    onLarge();
    constexpr int blocks = 9;
    const int perBlock = std::max(1, n / blocks);
    std::vector<double> small, large;
    QElapsedTimer t;
    const auto block = [&](const std::function<void()>& f, std::vector<double>& into) {
        t.start();
        for (int i = 0; i < perBlock; ++i) f();
        into.push_back(double(t.nsecsElapsed()) / perBlock / 1000.0);
    };
    for (int k = 0; k < blocks; ++k) {
        block(onSmall, small);
        block(onLarge, large);
    }
    return {bench::median(small), bench::median(large)};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList backends{QStringLiteral("sqlite")};
    if (!qEnvironmentVariableIsEmpty("CALVANE_TEST_PG")) backends << QStringLiteral("postgresql");
    QTextStream out(stdout);
    out << "look-up (µs per call, median of 9 blocks on each clinic in turn)\t2,000 cases\t200,000 cases\n";
    for (const QString& backend : backends) {
        QTemporaryDir dir;
        auto small = build(backend, 2'000, dir);
        auto large = build(backend, 200'000, dir);
        // Each search asks for as many hits on both clinics (checked before it is timed): a
        // search that finds more on the larger clinic does more work for the rows it returns, not
        // for the clinic's size. Most stop at the limit of 50 on both; no full name in the data is
        // found as often on both, and the label says how often it is.
        struct Case {
            QString label;
            int onSmall, onLarge; // what it finds on each clinic
            std::function<int(db::Connection&)> run;
        };
        const auto search = [](const QString& what, const QString& text, int onSmall, int onLarge) {
            const QString hits = onSmall == onLarge ? QString::number(onSmall) + (onSmall == 1 ? u" hit"_s : u" hits"_s)
                                                    : u"%1 / %2 hits"_s.arg(onSmall).arg(onLarge);
            return Case{u"search %1 (%2)"_s.arg(what, hits), onSmall, onLarge,
                        [text](db::Connection& c) { return int(desk::searchPatients(c, text).size()); }};
        };
        const QList<Case> cases = {
            search(u"surname 张"_s, u"张"_s, 50, 50),
            search(u"full name"_s, u"张伟芳"_s, 0, 3),
            search(u"initials z"_s, u"z"_s, 50, 50),
            search(u"case number 001999"_s, u"001999"_s, 1, 1),
            search(u"patient number p0001999"_s, u"p0001999"_s, 1, 1),
            search(u"phone 13900001"_s, u"13900001"_s, 50, 50),
            search(u"nobody 李李李"_s, u"李李李"_s, 0, 0),
            {u"patient page of case 1500"_s, 1, 1,
             [](db::Connection& c) { return int(desk::loadPatientPage(c, 1500).has_value()); }},
        };
        // Here the two figures are one look-up on a clinic 100 times larger and on the small one:
        // a ratio near 1 means the look-up does not grow with the clinic.
        const auto scaling = [&](const QString& label, double onSmall, double onLarge) {
            out << backend << ": " << label << "\t" << QString::number(onSmall, 'f', 0) << "\t"
                << QString::number(onLarge, 'f', 0) << "\n";
            out.flush();
            bench::report("bench_patient_search", backend.toStdString(),
                          (label + QStringLiteral(", µs at 200,000 / at 2,000 cases")).toStdString(), onLarge, onSmall,
                          onLarge / onSmall);
        };
        for (const Case& k : cases) {
            const int onSmall = k.run(*small), onLarge = k.run(*large);
            if (onSmall != k.onSmall || onLarge != k.onLarge) {
                out << backend << ": " << k.label << ": found " << onSmall << " / " << onLarge << ", not as labelled\n";
                return 1;
            }
            const auto [s, l] = timeBoth([&] { k.run(*small); }, [&] { k.run(*large); });
            scaling(k.label, s, l);
        }
        // Today's list grows with the day's work, not with the clinic.
        const auto [s, l] = timeBoth([&] { desk::loadDayList(*small, QDate::currentDate(), QStringLiteral("马丽")); },
                                     [&] { desk::loadDayList(*large, QDate::currentDate(), QStringLiteral("马丽")); }, 27);
        scaling(QStringLiteral("today's list (80 receipts of the day)"), s, l);
        out.flush();
    }
    return 0;
}
