#include "admin/PriceList.h"
#include "admin/RateTables.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "discount/DiscountLookUps.h"
#include "settle/SettlementExtras.h"
#include "tests/admin/TwoDesks.h"
#include "tests/support/TestDb.h"
#include <QProcess>
#include <QtTest>
#include <cstdio>

using namespace Qt::StringLiterals;
using namespace ratetables;

namespace
{

using admintest::TwoDesks;

// "a,b,c;d,e,f": rows of cells, as a manager types them into a page.
QList<Row> typed(const QString& text)
{
    QList<Row> rows;
    for (const QString& row : text.split(u';', Qt::SkipEmptyParts))
        rows << row.split(u',');
    return rows;
}

bool saved(db::Connection& c, TableId t, const QString& text)
{
    const Outcome o = save(c, load(c, t), typed(text));
    if (!o.ok)
        qWarning() << o.message;
    return o.ok;
}

// A member account holding `points`, linked to patient P1 whose member rank is `rank`.
void member(db::Connection& c, double points, const QString& rank)
{
    const qint64 account =
        db::AddRecord(c, u"PrePay_Table"_s, {{u"VIP_CODE"_s, u"M1"_s}, {u"VIP_grade_value"_s, points}});
    db::AddRecord(c, u"VIP_PtnSheet_Table"_s, {{u"VIP_ID"_s, account}, {u"Patient_Code"_s, u"P1"_s}}, {});
    db::AddRecord(c, u"病人简历表"_s, {{u"病人编号"_s, u"P1"_s}, {u"IS_VIP"_s, 1}, {u"VIP_Rank_Name"_s, rank}}, {});
}

const QString kRanks = u"金卡,0.8567,可见;银卡,0.9,不可见"_s;
const QString kFeeBands = u"0,100,1;100,500,0.95"_s;
const QString kPointsBands = u"0,100,0.95,银卡;100,1000,0.9,金卡"_s;

} // namespace

class TestRateTables : public QObject
{
    Q_OBJECT
  private slots:
    // What one desk saves is what the rules read at the other: the rank rate (kept to three
    // decimals, a hidden rank still priced), the fee-volume bands with their exclusive bounds,
    // a money card as an amount or a rate, the points band of a member and the points a fee earns.
    void theRulesReadIt_data() { testdb::addBackendRows(); }
    void theRulesReadIt()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        db::Connection &a = *k.a, &b = *k.b;
        QVERIFY(prices::add(a, {QString(), u"治疗类"_s, QString(), u"洁治"_s, QString(), u"次"_s, u"100"_s, QString(),
                                true, QString()})
                    .ok);
        member(a, 150, u"金卡"_s);

        QVERIFY(saved(a, MemberRanks, kRanks));
        QCOMPARE(discount::LookUpRankRate(b, u"金卡"_s), 0.857);
        QCOMPARE(discount::LookUpRankRate(b, u"银卡"_s), 0.9);
        QCOMPARE(db::toText(db::scalar(b, u"SELECT Note FROM Discount_table WHERE DiscountName='银卡'"_s)),
                 u"不可见"_s);
        QCOMPARE(load(b, MemberRanks).rows, typed(u"金卡,0.857,可见;银卡,0.9,不可见"_s));

        QVERIFY(saved(a, CurrentFeeBands, kFeeBands));
        QVERIFY(saved(a, CumulativeFeeBands, u"0,1000,0.98;1000,99999.99,0.9"_s));
        double rate = 1.0;
        QCOMPARE(discount::LookUpCurrentFeeRate(b, rate, 200), 0);
        QCOMPARE(rate, 0.95);
        rate = 0.7;
        QCOMPARE(discount::LookUpCurrentFeeRate(b, rate, 100), 1); // on a bound: in no band
        QCOMPARE(rate, 0.7);
        QCOMPARE(discount::LookUpCumulativeFeeRate(b, rate, 5000), 0);
        QCOMPARE(rate, 0.9);

        QVERIFY(saved(a, MoneyCards, u"代金卡,50.006;折扣卡,0.9"_s));
        QCOMPARE(discount::LookUpMoneyCardValue(b, u"代金卡"_s), 50.01);
        QCOMPARE(discount::LookUpMoneyCardValue(b, u"折扣卡"_s), 0.9);

        QVERIFY(saved(a, PointsBands, kPointsBands));
        QCOMPARE(discount::LookUpPointsRate(b, u"P1"_s), 0.9);

        QVERIFY(saved(a, PointsFactors, u"收费项目,洁治,10;收费类别,挂号费,5"_s));
        QCOMPARE(settle::SettlementPoints(b, 1, {{u"洁治"_s, 200}}, 1.0, false), 20.0);
        QCOMPARE(settle::SettlementPoints(b, 0, {{u"挂号费"_s, 100}}, 1.0, false), 5.0);

        // Rows changed, added and removed in one save; a blank row is no row.
        QVERIFY(saved(b, MemberRanks, u"金卡,0.8,可见;,,可见;普通卡,1,可见"_s));
        QCOMPARE(discount::LookUpRankRate(a, u"金卡"_s), 0.8);
        QCOMPARE(discount::LookUpRankRate(a, u"银卡"_s), 1.0);
        QCOMPARE(admintest::rows(a, u"Discount_table"_s), 2);
    }

    // Bad input, a removal the rules would misread, or a save over what another desk saved
    // after this desk loaded: refused with its message, and the table is as it was.
    void refusedChangesNothing_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("table");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("otherDeskFirst");
        QTest::addColumn<QString>("message");
        for (const QString& b : testdb::backends()) {
            const auto row = [&](const char* name, TableId t, const QString& rows, const QString& message,
                                 bool other = false) {
                QTest::addRow("%s %s", qPrintable(b), name) << b << int(t) << rows << other << message;
            };
            row("rate above 1", MemberRanks, u"金卡,1.2,可见"_s, u"第1行：折扣应在0到1之间。"_s);
            row("rate not a number", MemberRanks, u"金卡,八折,可见"_s, u"第1行：折扣应在0到1之间。"_s);
            row("no name", MemberRanks, u"金卡,0.8,可见; ,0.9,可见"_s, u"第2行：会员级别不能为空。"_s);
            row("same name twice", MemberRanks, u"Gold,0.8,可见;gold ,0.9,可见"_s, u"第2行：“gold”重复。"_s);
            row("rank members hold removed", MemberRanks, u"银卡,0.9,可见"_s,
                u"会员级别“金卡”还有会员在用，不能删除或改名。"_s);
            row("bands overlap", CurrentFeeBands, u"0,200,0.9;100,500,0.8"_s,
                u"第2行：区间应从小到大排列，且不能与上一行重叠。"_s);
            row("bands out of order", CumulativeFeeBands, u"100,500,0.9;0,100,0.8"_s,
                u"第2行：区间应从小到大排列，且不能与上一行重叠。"_s);
            row("empty band", CurrentFeeBands, u"100,100,0.9"_s, u"第1行：下限应小于上限。"_s);
            row("bound below 0", CurrentFeeBands, u"-1,100,0.9"_s, u"第1行：金额下限（不含）应为不小于0的金额。"_s);
            row("card of nothing", MoneyCards, u"代金卡,0"_s,
                u"第1行：抵扣金额（不大于1时为折扣）应大于0且不超过10000。"_s);
            row("card too large for its column", MoneyCards, u"代金卡,20000"_s,
                u"第1行：抵扣金额（不大于1时为折扣）应大于0且不超过10000。"_s);
            row("a member's band removed", PointsBands, u"0,100,0.95,银卡"_s,
                u"会员“M1”的积分150.00将不在任何积分段内，请保留其积分段。"_s);
            row("points for an item nobody offers", PointsFactors, u"收费项目,不存在,10"_s,
                u"第1行：没有名为“不存在”的收费项目。"_s);
            row("points for a category under another name", PointsFactors, u"收费类别,挂号,10"_s,
                u"第1行：没有名为“挂号”的收费类别。"_s);
            row("another desk saved first", CurrentFeeBands, u"0,50,0.99"_s, kChangedElsewhere, true);
        }
    }
    void refusedChangesNothing()
    {
        QFETCH(QString, backend);
        QFETCH(int, table);
        QFETCH(QString, rows);
        QFETCH(bool, otherDeskFirst);
        TwoDesks k(backend);
        member(*k.a, 150, u"金卡"_s);
        QVERIFY(saved(*k.a, MemberRanks, kRanks) && saved(*k.a, CurrentFeeBands, kFeeBands) &&
                saved(*k.a, PointsBands, kPointsBands) && saved(*k.a, MoneyCards, u"代金卡,50"_s));
        const Loaded seen = load(*k.a, TableId(table));
        if (otherDeskFirst)
            QVERIFY(saved(*k.b, TableId(table), u"0,1000,0.9"_s));
        const Loaded before = load(*k.b, TableId(table));

        const Outcome o = save(*k.a, seen, typed(rows));
        QVERIFY(!o.ok);
        QTEST(o.message, "message");
        QCOMPARE(load(*k.b, TableId(table)).stored, before.stored);
    }

    // Two processes adding ranks to the same table at once, each from the table as it loaded it:
    // a save over the other's is refused and tried again from a fresh load, so every rank of
    // both ends up stored and none is lost to a rewrite.
    void twoDesksAtOnce_data() { testdb::addBackendRows(); }
    void twoDesksAtOnce()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        constexpr int ranks = 8;
        QList<QProcess*> desks;
        for (const QString& desk : {u"A"_s, u"B"_s}) {
            auto* p = new QProcess(this);
            p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            p->start(QCoreApplication::applicationFilePath(), {u"--add-ranks"_s, k.url, desk, QString::number(ranks)});
            desks << p;
        }
        for (QProcess* p : desks) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
        }
        QCOMPARE(admintest::rows(*k.a, u"Discount_table"_s), 2 * ranks);
        for (const QString& desk : {u"A"_s, u"B"_s})
            for (int i = 0; i < ranks; ++i)
                QCOMPARE(discount::LookUpRankRate(*k.a, desk + QString::number(i)), 0.9);
    }
};

// `--add-ranks URL DESK N`: one desk adding ranks DESK0 … DESK(N-1) one save at a time, loading
// again whenever another desk saved first; any other refusal fails it (for twoDesksAtOnce).
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args[1] == u"--add-ranks"_s) {
        auto c = db::Connection::open(args[2]);
        for (int i = 0; i < args[4].toInt(); ++i) {
            for (;;) {
                Loaded l = load(*c, MemberRanks);
                QList<Row> rows = l.rows;
                rows << Row{args[3] + QString::number(i), u"0.9"_s, u"可见"_s};
                const Outcome o = save(*c, l, rows);
                if (o.ok)
                    break;
                if (o.message != kChangedElsewhere) {
                    fprintf(stderr, "%s\n", qPrintable(o.message));
                    return 1;
                }
            }
        }
        return 0;
    }
    TestRateTables t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_rate_tables.moc"
