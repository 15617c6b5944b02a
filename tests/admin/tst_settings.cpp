#include "admin/ClinicSettings.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "discount/DiscountSettings.h"
#include "receipt/ReceiptHeader.h"
#include "rx/StockSwitch.h"
#include "settle/SettlementExtras.h"
#include "tests/admin/TwoDesks.h"
#include "tests/support/TestDb.h"
#include <QtTest>

using namespace Qt::StringLiterals;

namespace
{

using admintest::rows;

using admintest::TwoDesks;

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // What is saved here is what the rules read: the discount policies, the refund switch, the
    // fee-to-prepayment conversion, the points and the stock switch.
    void theRulesReadIt_data() { testdb::addBackendRows(); }
    void theRulesReadIt()
    {
        QFETCH(QString, backend);
        TwoDesks k(backend);
        clinicsettings::Settings s = clinicsettings::load(*k.a).settings;
        QVERIFY(!s.discounts && !s.refundSwitch && !s.stockKept && !s.feeToPrepay);
        s.discounts = s.feeVolume = s.feeVolumeCumulative = s.otherFree = true;
        s.policy = 2;
        s.refundSwitch = s.feeToPrepay = s.points = s.stockKept = true;
        s.feeToPrepayPercent = u" 5.5 "_s;
        QVERIFY(clinicsettings::save(*k.a, clinicsettings::load(*k.a), s).ok);

        discount::DiscountSettings read;
        int mode = -9;
        QCOMPARE(discount::LoadDiscountSettings(*k.b, read, mode), 0);
        QVERIFY(read.DiscoutYesNo && read.FeeDiscoutYesNo && read.CurrentFeeDiscoutYesNo && read.OtherFreeYesNo);
        QVERIFY(!read.VIPDiscoutYesNo && !read.MoneyCardYesNo);
        QCOMPARE(read.FeeItemYesNo, 2);
        QCOMPARE(mode, 2); // by cumulative fees
        QVERIFY(receipt::RefundSwitchVisible(*k.b));
        QVERIFY(settle::PointsEnabled(*k.b));
        QCOMPARE(rx::CheckRelationBetweenMedicineAndKB(*k.b), 0);
        QCOMPARE(db::toInteger(db::scalar(*k.b, u"SELECT FeeToPrepayFlag FROM Management_table"_s)), 0);
        QCOMPARE(db::toNumber(db::scalar(*k.b, u"SELECT FeeToPrepayDiscout FROM Management_table"_s)), 5.5);

        // Switched off again, each reads off; the tables keep one row each.
        s.refundSwitch = s.feeToPrepay = s.points = s.stockKept = false;
        QVERIFY(clinicsettings::save(*k.b, clinicsettings::load(*k.b), s).ok);
        QVERIFY(!receipt::RefundSwitchVisible(*k.a));
        QVERIFY(!settle::PointsEnabled(*k.a));
        QCOMPARE(rx::CheckRelationBetweenMedicineAndKB(*k.a), 1);
        QCOMPARE(db::toInteger(db::scalar(*k.a, u"SELECT FeeToPrepayFlag FROM Management_table"_s)), 1);
        QCOMPARE(rows(*k.a, u"Management_table"_s) + rows(*k.a, u"DiscountSet_table"_s), 2);
        QCOMPARE(clinicsettings::load(*k.a).settings.feeToPrepayPercent, u"5.50"_s);
    }

    // Bad input is refused and writes nothing; so is a save over settings another desk saved
    // after these were loaded. A clinic whose tables hold several rows ends with one.
    void refusedAndStale_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("percent");
        QTest::addColumn<int>("policy");
        QTest::addColumn<bool>("otherDeskFirst");
        QTest::addColumn<QString>("message");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s percent above 100", qPrintable(b))
                << b << u"101"_s << 0 << false << u"转为预付费的比例应在0到100之间。"_s;
            QTest::addRow("%s percent not a number", qPrintable(b))
                << b << u"五"_s << 0 << false << u"转为预付费的比例应在0到100之间。"_s;
            QTest::addRow("%s no policy", qPrintable(b)) << b << u"0"_s << -1 << false << u"请选择一种折扣方式。"_s;
            QTest::addRow("%s another desk first", qPrintable(b))
                << b << u"0"_s << 0 << true << u"设置已被其他收费台修改，已重新读取，请核对后再保存。"_s;
            QTest::addRow("%s saved", qPrintable(b)) << b << u"10"_s << 4 << false << QString();
        }
    }
    void refusedAndStale()
    {
        QFETCH(QString, backend);
        QFETCH(QString, percent);
        QFETCH(int, policy);
        QFETCH(bool, otherDeskFirst);
        QFETCH(QString, message);
        TwoDesks k(backend);
        // Two rows, as an old clinic may have: the rules read the first.
        for (int v : {1, 0}) {
            db::AddRecord(*k.a, u"DiscountSet_table"_s, {{u"DiscoutYesNo"_s, v}, {u"FeeItemYesNo"_s, 1}}, {});
            db::AddRecord(*k.a, u"Management_table"_s, {{u"FeeToPrepayFlag"_s, 1}, {u"MedicineFromKBFlag"_s, v}}, {});
        }
        const clinicsettings::Loaded seen = clinicsettings::load(*k.a);
        QVERIFY(seen.settings.discounts);
        QCOMPARE(seen.settings.policy, 1);
        if (otherDeskFirst) {
            clinicsettings::Settings other = seen.settings;
            other.memberRanks = true;
            QVERIFY(clinicsettings::save(*k.b, clinicsettings::load(*k.b), other).ok);
        }
        const clinicsettings::Loaded before = clinicsettings::load(*k.b);
        clinicsettings::Settings s = seen.settings;
        s.feeToPrepayPercent = percent;
        s.policy = policy;
        s.discounts = false;
        const clinicsettings::Outcome o = clinicsettings::save(*k.a, seen, s);
        QCOMPARE(o.message, message);
        QCOMPARE(o.ok, message.isEmpty());
        const clinicsettings::Loaded after = clinicsettings::load(*k.b);
        if (o.ok) {
            QCOMPARE(after.discountRows.size(), 1);
            QCOMPARE(after.managementRows.size(), 1);
            QVERIFY(!after.settings.discounts);
            QCOMPARE(after.settings.policy, 4);
            QVERIFY(!after.settings.stockKept); // kept as the first row said
        } else {
            QCOMPARE(after.discountRows, before.discountRows);
            QCOMPARE(after.managementRows, before.managementRows);
            QCOMPARE(after.settings.discounts, true);
            QCOMPARE(after.settings.memberRanks, otherDeskFirst);
        }
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
