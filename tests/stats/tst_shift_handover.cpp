// The shift hand-over: one day of mixed settlements counted for one cashier and for the desk,
// every total to the fen, on every backend; and its page.
#include "db/Query.h"
#include "db/RecordOps.h"
#include "print/RecordingCanvas.h"
#include "stats/ShiftHandOver.h"
#include "tests/stats/StatsFixture.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QDate day(2026, 3, 10);

// Receipts #1-#7, their payment records #8-#14, walk-in sheets #15-#16.
const QStringList dayRows{
    u"收费收据表|2026-03-10 09:00:00|马丽|合计=100,付款=已付,FeeIO=0"_s,
    u"收费收据表|2026-03-10 09:10:00|马丽|合计=200,付款=已付,FeeIO=0"_s,
    u"收费收据表|2026-03-10 09:20:00|高洁|合计=80,付款=已付,FeeIO=0"_s,
    u"收费收据表|2026-03-10 09:30:00|马丽|合计=60,付款=已付,FeeIO=0"_s,
    u"收费收据表|2026-03-10 09:40:00|马丽|合计=-30,付款=已付,FeeIO=1"_s,
    u"收费收据表|2026-03-10 09:50:00| |合计=45.5,付款=未付,FeeIO=0"_s,
    u"收费收据表|2026-03-09 10:00:00| |合计=999,付款=未付,FeeIO=0"_s,
    // cash after a discount; bank card 150 + cash 50; voucher; prepayment; a refund in cash
    u"病历收费单|2026-03-10 09:05:00|马丽|ReceiptID=#1,MoneyPayed_type=0,收款金额=90.1,OtherTypePayedMoney=0,CashMoney=0"_s,
    u"病历收费单|2026-03-10 09:15:00|马丽|ReceiptID=#2,MoneyPayed_type=2,收款金额=200,OtherTypePayedMoney=150,CashMoney=50"_s,
    u"病历收费单|2026-03-10 09:25:00|高洁|ReceiptID=#3,MoneyPayed_type=5,收款金额=80,OtherTypePayedMoney=80,CashMoney=0"_s,
    u"病历收费单|2026-03-10 09:35:00|马丽|ReceiptID=#4,MoneyPayed_type=1,收款金额=60,OtherTypePayedMoney=60,CashMoney=0"_s,
    u"病历收费单|2026-03-10 09:45:00|马丽|ReceiptID=#5,MoneyPayed_type=0,收款金额=-30,OtherTypePayedMoney=0,CashMoney=0"_s,
    // the next day at midnight belongs to the next day
    u"病历收费单|2026-03-11 00:00:00|马丽|ReceiptID=#1,MoneyPayed_type=0,收款金额=1000"_s,
    // the same cashier spelled with a trailing blank; 0.1 + 0.2 must be 0.30
    u"病历收费单|2026-03-10 23:59:59|马丽 |ReceiptID=#2,MoneyPayed_type=3,收款金额=0.3,OtherTypePayedMoney=0.1,CashMoney=0.2"_s,
    u"无病历收费单|2026-03-10 11:00:00|马丽|合计=12.34,收款金额=12.34,付款=已付"_s,
    u"无病历收费单|2026-03-10 12:00:00|高洁|合计=20,收款金额=20,付款=已付"_s,
};

void topUp(db::Connection& c, const QString& cashier, int io, int type, double amount)
{
    db::AddRecord(c, u"PrePayReg_Table"_s,
                  {{u"PrePayer_ID"_s, 1}, {u"PrePay_Money"_s, amount}, {u"PreferMoney"_s, 0.0}, {u"PrePay_IO"_s, io},
                   {u"Checker"_s, cashier}, {u"PayTime"_s, QDateTime(day, QTime(14, 0))}, {u"PrePayType"_s, type}});
}

// The lines of a hand-over: methods 现金 … 新农合支付, then the counts.
QStringList expected(const QStringList& methods, const QStringList& rest)
{
    QStringList lines{u"项目#金额"_s};
    const QStringList names{u"现金"_s, u"预付费交款"_s, u"银行卡刷卡"_s, u"支票"_s,
                            u"转帐"_s, u"消费券/卡"_s,  u"医保支付"_s,  u"新农合支付"_s};
    for (int i = 0; i < names.size(); ++i) lines << names[i] + u'#' + methods.value(i, u"0.00"_s);
    const QStringList labels{u"合计收款"_s,      u"钱箱现金"_s,      u"收据张数"_s,       u"无病案收费单张数"_s,
                             u"退费张数"_s,      u"退费金额"_s,      u"预付费交款笔数"_s, u"预付费交款金额"_s,
                             u"未结收据张数"_s, u"未结收据金额"_s};
    for (int i = 0; i < labels.size(); ++i) lines << labels[i] + u'#' + rest.value(i);
    return lines;
}

} // namespace

class TestShiftHandOver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void totals_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("cashier");
        QTest::addColumn<QStringList>("lines");
        for (const QString& b : testdb::backends()) {
            // 马丽: cash 90.10 + 50 − 30 + 0.20 + 12.34 + a 500 top-up in cash.
            QTest::addRow("%s one cashier", qPrintable(b))
                << b << u"马丽"_s
                << expected({u"622.64"_s, u"60.00"_s, u"150.00"_s, u"0.10"_s},
                            {u"832.74"_s, u"622.64"_s, u"5"_s, u"1"_s, u"1"_s, u"30.00"_s, u"1"_s, u"500.00"_s, u"1"_s,
                             u"45.50"_s});
            // The desk: 高洁 adds a voucher of 80, a walk-in of 20 and a 300 top-up by bank card.
            QTest::addRow("%s whole day", qPrintable(b))
                << b << QString()
                << expected({u"642.64"_s, u"60.00"_s, u"450.00"_s, u"0.10"_s, u"0.00"_s, u"80.00"_s},
                            {u"1232.74"_s, u"642.64"_s, u"6"_s, u"2"_s, u"1"_s, u"30.00"_s, u"2"_s, u"800.00"_s, u"1"_s,
                             u"45.50"_s});
            // A cashier who took nothing still sees the day's unpaid receipts.
            QTest::addRow("%s idle cashier", qPrintable(b))
                << b << u"赵敏"_s
                << expected({}, {u"0.00"_s, u"0.00"_s, u"0"_s, u"0"_s, u"0"_s, u"0.00"_s, u"0"_s, u"0.00"_s, u"1"_s,
                                 u"45.50"_s});
        }
    }
    void totals()
    {
        QFETCH(QString, backend);
        QFETCH(QString, cashier);
        QFETCH(QStringList, lines);
        auto c = testdb::open(backend);
        statsfixture::write(*c, dayRows);
        topUp(*c, u"马丽"_s, 0, 0, 500);
        topUp(*c, u"高洁"_s, 0, 2, 300);
        topUp(*c, u"马丽"_s, 0, -1, 100); // a fee turned into prepayment: no money came in
        topUp(*c, u"马丽"_s, 1, 0, 40);   // money paid out of an account is no top-up
        const stats::HandOver h = stats::shiftHandOver(*c, day, cashier);
        QCOMPARE(stats::handOverLines(h), lines);
    }

    // The page shows every line of the hand-over, each figure right-aligned in its row, and
    // leaves the canvas as it found it.
    void page()
    {
        stats::HandOverPage p{u"康复口腔"_s, {}};
        p.handOver.day = day;
        p.handOver.cashier = u"马丽"_s;
        p.handOver.byMethod[0] = 62264;
        p.handOver.collected = 62264;
        print::RecordingCanvas dc;
        stats::drawHandOver(dc, {}, &p);
        QVERIFY(dc.fontsRestored());
        QStringList drawn;
        for (const auto& t : dc.texts()) drawn << t.text;
        QVERIFY(drawn.contains(u"康复口腔 交班表"_s));
        QVERIFY(drawn.contains(u"收款员:马丽"_s));
        QVERIFY(drawn.contains(u"日期:2026年3月10日"_s));
        QCOMPARE(drawn.count(u"622.64"_s), 3); // 现金, 合计收款, 钱箱现金
        for (const QString& line : stats::handOverLines(p.handOver))
            QVERIFY2(drawn.contains(line.section(u'#', 0, 0)), qPrintable(line));
        // Every drawing call, against the golden file (CALVANE_UPDATE_GOLDEN=1 rewrites it).
        const QString path = QStringLiteral(GOLDEN_DIR "/handover.txt");
        QFile golden(path);
        if (qEnvironmentVariableIsSet("CALVANE_UPDATE_GOLDEN")) {
            QVERIFY(golden.open(QIODevice::WriteOnly | QIODevice::Truncate));
            golden.write(dc.dump().toUtf8() + '\n');
            return;
        }
        QVERIFY2(golden.open(QIODevice::ReadOnly), qPrintable(path));
        QCOMPARE(dc.calls(), QString::fromUtf8(golden.readAll()).trimmed().split(u'\n'));
    }
};

QTEST_GUILESS_MAIN(TestShiftHandOver)
#include "tst_shift_handover.moc"
