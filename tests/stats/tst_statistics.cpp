// The statistics as numbers: the cashier's day by category and by class, the statistical
// report in its three modes, and the settings of what the statistics count, on every backend.
#include "db/Query.h"
#include "db/Schema.h"
#include "receipt/FeeCategories.h"
#include "stats/PaymentStatement.h"
#include "stats/StatisticalReport.h"
#include "stats/StatsSettings.h"
#include "tests/stats/StatsFixture.h"
#include "tests/support/TestDb.h"
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate day(2026, 3, 10);

// The category lines of a day: every category 0.0 but those given, and the "合计" given.
QStringList categoryLines(const QMap<QString, QString>& amounts, const QString& total)
{
    QStringList lines{u"项目#现金#公费医疗#特约记帐#住院收入#合计金额"_s};
    for (const QString& label : receipt::defaultCategoryLabels()) lines << label + u'#' + amounts.value(label, u"0.0"_s);
    return lines << u"合计#"_s + total;
}

// A report's rows: receipts #1 #2 paid inside March, #3 unpaid, #4 paid on April 1st at
// midnight; four walk-in sheets, one without department or doctor; invoices of #1 to #4.
const QStringList marchRows{
    u"收费收据表|2026-03-01 00:00:00|王|西药费=10,治疗费=20,合计=30,付款=已付,科室=口腔科,医生姓名=王医生"_s,
    u"收费收据表|2026-03-31 23:59:59|王|手术费=40,合计=40,付款=已付,科室=正畸科,医生姓名=李医生"_s,
    u"收费收据表|2026-03-15 10:00:00| |放射费=1000,合计=1000,付款=未付,科室=口腔科,医生姓名=王医生"_s,
    u"收费收据表|2026-04-01 00:00:00|王|西药费=500,合计=500,付款=已付,科室=口腔科,医生姓名=王医生"_s,
    u"无病历收费单|2026-03-10 10:00:00|王|诊疗费=5,合计=5,科室=儿科,医生姓名=陈医生"_s,
    u"无病历收费单|2026-03-11 10:00:00|王|放射费=6,合计=6,科室=放射科,医生姓名=赵医生"_s,
    u"无病历收费单|2026-03-12 10:00:00|王|西药费=7,合计=7,科室=口腔科 ,医生姓名=王医生"_s,
    u"无病历收费单|2026-03-13 10:00:00|王|西药费=100,合计=100"_s,
    u"ShandongTicket_Table|||TicketID=100,ReceiptID=#1,IsUsed=0"_s,
    u"ShandongTicket_Table|||TicketID=101,ReceiptID=#1,IsUsed=1"_s,
    u"ShandongTicket_Table|||TicketID=102,ReceiptID=#2,IsUsed=0"_s,
    u"ShandongTicket_Table|||TicketID=103,ReceiptID=#2,IsUsed=1"_s,
    u"ShandongTicket_Table|||TicketID=99,ReceiptID=#3,IsUsed=1"_s,
    u"ShandongTicket_Table|||TicketID=200,ReceiptID=#4,IsUsed=1"_s,
};

const QStringList marchAccount{
    u"项目#应收#实收#差额"_s,     u"西药费#117.0#117.0#0.00"_s, u"治疗费#20.0#20.0#0.00"_s,
    u"手术费#40.0#40.0#0.00"_s,   u"诊疗费#5.0#5.0#0.00"_s,     u"放射费#6.0#6.0#0.00"_s,
    u"合计#188.0#188.0#0.00"_s,   u"收款员#刘会计"_s,           u"发票#4"_s,
    u"金额#188.0"_s,              u"退票#2"_s,                  u"起始发票#100"_s,
    u"终止发票#103"_s,
};

} // namespace

class TestStatistics : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void categoryDay_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("cashier");
        QTest::addColumn<QStringList>("expected");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: a day without fees", qPrintable(b))
                << b << QStringList{u"无病历收费单|2026-03-11 08:00:00|张收款|挂号费=5,合计=5"_s} << u"张收款"_s
                << categoryLines({}, u"0.0"_s);
            QTest::addRow("%s: discounts make 合计 what was received", qPrintable(b))
                << b
                << QStringList{u"无病历收费单|2026-03-10 09:00:00|张收款|挂号费=5,合计=5"_s,
                               u"收费收据表|2026-03-10 10:00:00|张收款|挂号费=10,检查费=100,合计=110,付款=已付"_s,
                               u"病历收费单|2026-03-10 10:05:00|张收款|收款金额=99,ReceiptID=#2"_s,
                               u"收费收据表|2026-03-10 11:00:00| |检查费=50,合计=50,付款=未付"_s}
                << u"张收款"_s << categoryLines({{u"挂号费"_s, u"15.0"_s}, {u"检查费"_s, u"100.0"_s}}, u"104.0"_s);
            QTest::addRow("%s: midnight and 23:59:59 counted once", qPrintable(b))
                << b
                << QStringList{u"无病历收费单|2026-03-10 00:00:00|张收款|西药费=1,合计=1"_s,
                               u"无病历收费单|2026-03-10 23:59:59|张收款|西药费=2,合计=2"_s,
                               u"无病历收费单|2026-03-11 00:00:00|张收款|西药费=4,合计=4"_s,
                               u"无病历收费单|2026-03-09 23:59:59|张收款|西药费=8,合计=8"_s,
                               u"收费收据表|2026-03-10 00:00:00|张收款|西药费=16,合计=16,付款=已付"_s,
                               u"病历收费单|2026-03-10 23:59:59|张收款|收款金额=16,ReceiptID=#5"_s}
                << u"张收款"_s << categoryLines({{u"西药费"_s, u"19.0"_s}}, u"19.0"_s);
            QTest::addRow("%s: cashier compared ignoring case and trailing blanks", qPrintable(b))
                << b
                << QStringList{u"无病历收费单|2026-03-10 09:00:00|LI  |治疗费=7,合计=7"_s,
                               u"无病历收费单|2026-03-10 09:00:00|Lin|治疗费=100,合计=100"_s,
                               u"无病历收费单|2026-03-10 09:00:00|O'Li|治疗费=1000,合计=1000"_s}
                << u"li"_s << categoryLines({{u"治疗费"_s, u"7.0"_s}}, u"7.0"_s);
            QTest::addRow("%s: a sum prints as the same amount stored once would (no float noise)", qPrintable(b))
                << b
                << QStringList{u"无病历收费单|2026-03-10 09:00:00|张收款|放射费=0.1,合计=0.1"_s,
                               u"无病历收费单|2026-03-10 09:00:00|张收款|放射费=0.2,合计=0.2"_s,
                               u"无病历收费单|2026-03-10 09:00:00|张收款|放射费=0.05,合计=0.05"_s}
                << u"张收款"_s << categoryLines({{u"放射费"_s, u"0.3"_s}}, u"0.3"_s);
        }
    }
    void categoryDay()
    {
        QFETCH(QString, backend);
        QFETCH(QStringList, rows);
        QFETCH(QString, cashier);
        QFETCH(QStringList, expected);
        auto c = testdb::open(backend);
        statsfixture::write(*c, rows);
        QCOMPARE(stats::categoryStatement(*c, receipt::defaultCategoryLabels(), day, cashier), expected);
    }

    // Per class: classes of the catalogue once each in text order (also those without fees),
    // item lines of the cashier's sheets and receipts of the day, 合计 as received.
    void classDay_data() { testdb::addBackendRows(); }
    void classDay()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        statsfixture::write(*c, {
            u"收费标准表|||收费分类=治疗,收费项目=洗牙"_s,
            u"收费标准表|||收费分类=检查,收费项目=拍片"_s,
            u"收费标准表|||收费分类=治疗 ,收费项目=补牙"_s,
            u"收费标准表|||收费分类=修复,收费项目=烤瓷"_s,
            u"无病历收费单|2026-03-10 09:00:00|张收款|合计=30"_s,
            u"收费明细表|||收费类型=治疗,金额=30,无病案编号=#5"_s,
            u"收费收据表|2026-03-10 10:00:00|张收款|合计=80,付款=已付"_s,
            u"收费明细表|||收费类型=检查,金额=50,收据编号=#7"_s,
            u"收费明细表|||收费类型=治疗 ,金额=30,收据编号=#7"_s,
            u"病历收费单|2026-03-10 10:05:00|张收款|收款金额=72,ReceiptID=#7"_s,
            u"无病历收费单|2026-03-11 09:00:00|张收款|合计=9"_s,
            u"收费明细表|||收费类型=治疗,金额=9,无病案编号=#11"_s,
            u"无病历收费单|2026-03-10 09:00:00|别人|合计=11"_s,
            u"收费明细表|||收费类型=治疗,金额=11,无病案编号=#13"_s,
        });
        const QStringList expected{u"项目#现金#公费医疗#特约记帐#住院收入#合计金额"_s, u"检查#50.0"_s, u"修复#0.0"_s,
                                   u"治疗#60.0"_s, u"合计#102.0"_s};
        QCOMPARE(stats::classStatement(*c, day, u"张收款"_s), expected);
    }

    void report_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QStringList>("expected");
        const QDate first(2026, 3, 1), last(2026, 3, 31);
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s: account statement with voided invoices", qPrintable(b)) << b << 0 << first << last << marchAccount;
            QTest::addRow("%s: a long range read in slices gives the same", qPrintable(b))
                << b << 0 << QDate(2025, 11, 1) << last << marchAccount;
            QTest::addRow("%s: no fees, no invoices", qPrintable(b))
                << b << 0 << QDate(2026, 2, 1) << QDate(2026, 2, 28)
                << QStringList{u"项目#应收#实收#差额"_s, u"西药费#0.0#0.0#0.00"_s, u"治疗费#0.0#0.0#0.00"_s,
                               u"手术费#0.0#0.0#0.00"_s, u"诊疗费#0.0#0.0#0.00"_s, u"放射费#0.0#0.0#0.00"_s,
                               u"合计#0.0#0.0#0.00"_s, u"收款员#刘会计"_s, u"发票#0"_s, u"金额#0.0"_s, u"退票#0"_s,
                               u"起始发票#0"_s, u"终止发票#0"_s};
            QTest::addRow("%s: per department, walk-in-only ones first in reverse", qPrintable(b))
                << b << 1 << first << last
                << QStringList{u"科室#西药费#治疗费#手术费#诊疗费#放射费#合计"_s,
                               u"放射科#0.0#0.0#0.0#0.0#6.0#6.0"_s, u"儿科#0.0#0.0#0.0#5.0#0.0#5.0"_s,
                               u"口腔科#17.0#20.0#0.0#0.0#0.0#37.0"_s, u"正畸科#0.0#0.0#40.0#0.0#0.0#40.0"_s,
                               u"合计#17.0#20.0#40.0#5.0#6.0#88.0\\88.0"_s};
            QTest::addRow("%s: per doctor, every group in reverse", qPrintable(b))
                << b << 2 << first << last
                << QStringList{u"医生#西药费#治疗费#手术费#诊疗费#放射费#合计"_s,
                               u"赵医生#0.0#0.0#0.0#0.0#6.0#6.0"_s, u"陈医生#0.0#0.0#0.0#5.0#0.0#5.0"_s,
                               u"王医生#17.0#20.0#0.0#0.0#0.0#37.0"_s, u"李医生#0.0#0.0#40.0#0.0#0.0#40.0"_s,
                               u"合计#17.0#20.0#40.0#5.0#6.0#88.0\\88.0"_s};
            QTest::addRow("%s: per doctor over a long range", qPrintable(b))
                << b << 2 << QDate(2025, 6, 1) << QDate(2026, 3, 31)
                << QStringList{u"医生#西药费#治疗费#手术费#诊疗费#放射费#合计"_s,
                               u"赵医生#0.0#0.0#0.0#0.0#6.0#6.0"_s, u"陈医生#0.0#0.0#0.0#5.0#0.0#5.0"_s,
                               u"王医生#17.0#20.0#0.0#0.0#0.0#37.0"_s, u"李医生#0.0#0.0#40.0#0.0#0.0#40.0"_s,
                               u"合计#17.0#20.0#40.0#5.0#6.0#88.0\\88.0"_s};
            QTest::addRow("%s: last day before the first", qPrintable(b))
                << b << 1 << last << first
                << QStringList{u"科室#西药费#治疗费#手术费#诊疗费#放射费#合计"_s, u"合计#0.0#0.0#0.0#0.0#0.0#0.0\\0.0"_s};
        }
    }
    void report()
    {
        QFETCH(QString, backend);
        QFETCH(int, mode);
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        QFETCH(QStringList, expected);
        auto c = testdb::open(backend);
        statsfixture::write(*c, marchRows);
        QList<int> seen;
        const stats::ReportRequest r{first, last, stats::ReportMode(mode), u"刘会计"_s};
        const QStringList got = stats::statisticalReport(*c, receipt::defaultCategoryLabels(), r, [&](int done, int total) {
            seen << done << total;
            return true;
        });
        QCOMPARE(got, expected);
        // Progress runs from 0 to the number of slices: one slice for a month, many for a year.
        QVERIFY(seen.size() >= 4);
        QCOMPARE(seen.first(), 0);
        QCOMPARE(seen[seen.size() - 2], seen.last());
        QCOMPARE(seen.last() > 1, first.daysTo(last) + 1 > stats::SliceDays);
    }

    void cancelledReportStops_data() { testdb::addBackendRows(); }
    void cancelledReportStops()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        statsfixture::write(*c, marchRows);
        int calls = 0;
        const stats::ReportRequest r{QDate(2025, 1, 1), QDate(2026, 3, 31), stats::ReportMode::Department, {}};
        QVERIFY_THROWS_EXCEPTION(stats::Cancelled, stats::statisticalReport(*c, receipt::defaultCategoryLabels(), r,
                                                                            [&](int done, int) { ++calls; return done < 3; }));
        QCOMPARE(calls, 4);
    }

    // The clinic's own category names head the columns.
    void clinicLabels()
    {
        auto c = testdb::open(testdb::backends().first());
        receipt::CategoryLabels labels = receipt::defaultCategoryLabels();
        labels[6] = u"药费"_s;
        const stats::ReportRequest r{QDate(2026, 3, 1), QDate(2026, 3, 1), stats::ReportMode::Department, {}};
        QCOMPARE(stats::statisticalReport(*c, labels, r).first(), u"科室#药费#治疗费#手术费#诊疗费#放射费#合计"_s);
    }

    // Two workstations on one database: a settings edit writes only over what it loaded, and a
    // content is added once however many add it.
    void settingsFromTwoWorkstations_data() { testdb::addBackendRows(); }
    void settingsFromTwoWorkstations()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto a = db::Connection::open(url);
        db::schema::migrate(*a);
        auto b = db::Connection::open(url);

        const stats::ReportChoice loadedA = stats::LoadReportChoice(*a, 0), loadedB = stats::LoadReportChoice(*b, 0);
        stats::ReportChoice wantA = loadedA, wantB = loadedB;
        wantA.vipCard = 1;
        wantB.preferCard = 1;
        QVERIFY(stats::SaveReportChoice(*b, 0, loadedB, wantB));
        QVERIFY(!stats::SaveReportChoice(*a, 0, loadedA, wantA)); // B added the row meanwhile
        const stats::ReportChoice again = stats::LoadReportChoice(*a, 0);
        QVERIFY(again.stored);
        QCOMPARE(again.preferCard, 1);
        QCOMPARE(again.vipCard, 0);
        wantA = again;
        wantA.vipCard = 1;
        const stats::ReportChoice staleB = stats::LoadReportChoice(*b, 0);
        QVERIFY(stats::SaveReportChoice(*a, 0, again, wantA));
        stats::ReportChoice wantStale = staleB;
        wantStale.moneyCard = 1;
        QVERIFY(!stats::SaveReportChoice(*b, 0, staleB, wantStale)); // A changed it since B read it
        const stats::ReportChoice final = stats::LoadReportChoice(*b, 0);
        QCOMPARE(QList<int>({final.standartItem, final.nonStandartItem, final.vipCard, final.moneyCard, final.preferCard}),
                 QList<int>({0, 0, 1, 0, 1}));

        QVERIFY(stats::AddContent(*a, 8, u"东城区"_s, stats::defaultOptions(8)));
        QVERIFY(!stats::AddContent(*b, 8, u"东城区 "_s, stats::defaultOptions(8)));
        QCOMPARE(stats::LoadContents(*b, 8), QStringList{u"东城区"_s});
        QCOMPARE(stats::DeleteContent(*b, 8, u"东城区"_s), 1);
        QCOMPARE(stats::DeleteContent(*a, 8, u"东城区"_s), 0);
    }

    void optionCaptions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("captions"); // radio 1, radio 2 ("" hidden), check 1, check 2, item type
        QTest::newRow("standard items") << 1 << QStringList{u"按'检查'进行统计"_s, u"按'拍片'进行统计"_s, u"统计'拍片'的消费人次"_s, u"统计'拍片'的消费金额"_s, u"1"_s};
        QTest::newRow("information base keeps the template")
            << 3 << QStringList{u"按收费类别(即收费大类)统计"_s, u"按收费明细(即收费分项)统计"_s,
                                u"统计该项收费内容的消费人次"_s, u"统计该项收费内容的消费金额"_s, u"1"_s};
        QTest::newRow("non-standard items by category") << 5 << QStringList{u"按'检查'进行统计"_s, QString(), u"统计'检查'的消费人次"_s, u"统计'检查'的消费金额"_s, u"0"_s};
        QTest::newRow("vouchers count times") << 9 << QStringList{u"按'检查'进行统计"_s, QString(), u"统计'检查'的消费次数"_s, u"统计'检查'的消费金额"_s, u"0"_s};
    }
    void optionCaptions()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, captions);
        const stats::OptionCaptions c = stats::captionsFor(kind, u"检查"_s, u"拍片"_s);
        QCOMPARE(QStringList({c.byCategory, c.byItemShown ? c.byItem : QString(), c.countPatients, c.countMoney,
                              QString::number(c.itemType)}),
                 captions);
    }

    void csvHasBomAndQuotes()
    {
        const QByteArray csv = stats::toCsv({u"项目#金额"_s, u"合计#88.0\\88.0"_s, u"a,b#\"q\""_s});
        QCOMPARE(csv, QByteArray("\xEF\xBB\xBF") + u"项目,金额\r\n合计,88.0\\88.0\r\n\"a,b\",\"\"\"q\"\"\"\r\n"_s.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
