// 收款/找零: the cash handed over against the cash due, the change to the fen, a short amount
// refused before anything is booked, and nothing of it stored.
#include "SettleFixture.h"
#include "common/Money.h"
#include "settle/Tendered.h"
#include "tests/receipt/ScriptedPrompter.h"
#include <QTest>

using namespace settle;
using namespace settletest;

class TestTendered : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("due");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<qint64>("change"); // -1: no change shown
        QTest::newRow("not counted") << u""_s << qint64(9010) << QString() << qint64(-1);
        QTest::newRow("blanks") << u"  "_s << qint64(9010) << QString() << qint64(-1);
        QTest::newRow("more") << u"100"_s << qint64(9010) << QString() << qint64(990);
        QTest::newRow("exact") << u"90.1"_s << qint64(9010) << QString() << qint64(0);
        QTest::newRow("fen sums") << u"0.3"_s << qint64(29) << QString() << qint64(1);
        QTest::newRow("one fen short") << u"90.09"_s << qint64(9010) << kTenderedTooLow.arg(u"90.10"_s) << qint64(-1);
        QTest::newRow("short") << u"50"_s << qint64(9010) << kTenderedTooLow.arg(u"90.10"_s) << qint64(-1);
        QTest::newRow("text") << u"九十"_s << qint64(9010) << kTenderedNotAmount << qint64(-1);
        QTest::newRow("below the fen") << u"100.005"_s << qint64(9010) << kTenderedNotAmount << qint64(-1);
        QTest::newRow("huge") << u"1e300"_s << qint64(9010) << kTenderedNotAmount << qint64(-1);
        // No cash due (paid whole by a method, or a refund paying out): nothing to count.
        QTest::newRow("no cash due") << u"5"_s << qint64(0) << QString() << qint64(-1);
        QTest::newRow("refund") << u"5"_s << qint64(-3000) << QString() << qint64(-1);
    }
    void rule()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, due);
        QFETCH(QString, refusal);
        QFETCH(qint64, change);
        const TenderedCheck c = checkTendered(typed, due);
        QCOMPARE(c.ok, refusal.isEmpty());
        QCOMPARE(c.message, refusal);
        QCOMPARE(c.change.value_or(-1), change);
    }

    void cashDue()
    {
        QCOMPARE(cashDueFen(Cash, 180.0, 0.0), 18000);
        QCOMPARE(cashDueFen(BankCard, 180.0, 30.0), 3000);
        QCOMPARE(cashDueFen(PrePayment, 180.0, 0.0), 0);
    }

    // A checkout refuses a short tendered amount with its message and books nothing; enough
    // cash settles, the change is shown, and the record holds what it always held.
    void checkout_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("methodAmount");
        QTest::addColumn<QString>("shortBy");
        QTest::addColumn<QString>("enough");
        QTest::addColumn<qint64>("change");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s cash", qPrintable(b)) << b << int(Cash) << 0.0 << u"179.99"_s << u"200"_s << qint64(2000);
            QTest::addRow("%s card and cash", qPrintable(b)) << b << int(BankCard) << 150.0 << u"20"_s << u"50"_s << qint64(2000);
        }
    }
    void checkout()
    {
        QFETCH(QString, backend);
        QFETCH(int, method);
        QFETCH(double, methodAmount);
        QFETCH(QString, shortBy);
        QFETCH(QString, enough);
        QFETCH(qint64, change);
        Desk k(backend, 0.0);
        const qint64 id = k.receipt(200);
        CheckoutForm f = k.form(id);
        f.open();
        QCOMPARE(f.collected, 180.0); // the member's 0.9
        f.method = method;
        f.methodAmount = methodAmount;
        f.cash = method == Cash ? 0.0 : 180.0 - methodAmount;
        const QString due = money::format2(money::fromFen(f.cashDue()));

        ScriptedPrompter prompter;
        f.tendered = shortBy;
        QVERIFY(!f.change());
        QCOMPARE(f.settle(), CheckoutForm::Ending::Stay);
        QCOMPARE(prompter.shown, QStringList{kTenderedTooLow.arg(due)});
        QCOMPARE(k.paid(id), u"未付"_s);
        QCOMPARE(k.records(id), 0);

        prompter.shown.clear();
        f.tendered = enough;
        QCOMPARE(f.change().value_or(-1), change);
        QCOMPARE(f.settle(), CheckoutForm::Ending::Accept);
        QCOMPARE(prompter.shown, QStringList{kSettled});
        QCOMPARE(k.paid(id), u"已付"_s);
        const auto stored = [&](const QString& column) {
            return db::toNumber(k.value(u"SELECT "_s + column + u" FROM 病历收费单 WHERE ReceiptID=?"_s, {id}));
        };
        QCOMPARE(stored(u"收款金额"_s), 180.0);
        QCOMPARE(stored(u"OtherTypePayedMoney"_s), methodAmount);
        QCOMPARE(stored(u"CashMoney"_s), method == Cash ? 0.0 : 180.0 - methodAmount);
        QCOMPARE(stored(u"余额"_s), 0.0); // the surplus handed over is change, not a credit
    }
};

QTEST_GUILESS_MAIN(TestTendered)
#include "tst_tendered.moc"
