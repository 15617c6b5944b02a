// Shared helpers: rounding by formatting, OLE dates, GBK order, the settings file.
#include "common/Gbk.h"
#include "common/Money.h"
#include "common/OleDate.h"
#include "common/Settings.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QSettings>
#include <QTest>
#include <cmath>

class TestCommon : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundingFollowsPrintf_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");
        QTest::newRow("rate 0.8567") << 0.8567 << 3 << 0.857;
        QTest::newRow("half cent stays binary") << 2.675 << 2 << 2.67; // 2.675 is 2.67499… in binary
        QTest::newRow("negative") << -12.345678 << 4 << -12.3457;
        QTest::newRow("five places") << 0.123456 << 5 << 0.12346;
        QTest::newRow("float widened") << double(0.8567f) << 3 << 0.857;
        // Exact ties (0.125 is 1/8) go away from zero, as the clinic's old runtime printed them.
        QTest::newRow("tie up") << 0.125 << 2 << 0.13;
        QTest::newRow("tie, negative") << -0.125 << 2 << -0.13;
        QTest::newRow("2.5 x 0.25") << 2.5 * 0.25 << 2 << 0.63;
        QTest::newRow("no tie in binary") << 9.995 << 2 << 9.99; // 9.99499…
        QTest::newRow("carry through nines") << 0.9999996 << 5 << 1.0;
        QTest::newRow("large with a tie") << 12345678.125 << 2 << 12345678.13;
        QTest::newRow("tiny") << 1e-9 << 2 << 0.0;
        QTest::newRow("huge") << 1e20 << 2 << 1e20;
    }
    void roundingFollowsPrintf()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        QCOMPARE(money::roundTo(value, decimals), expected);
    }

    void amountsParseAndFormat()
    {
        double v = 5;
        QVERIFY(money::parseAmount(QStringLiteral(" 12.50 "), v));
        QCOMPARE(v, 12.5);
        QVERIFY(money::parseAmount(QString(), v));
        QCOMPARE(v, 0.0);
        v = 3;
        QVERIFY(!money::parseAmount(QStringLiteral("12元"), v));
        QCOMPARE(v, 3.0);
        for (const char* notAmount : {"nan", "inf", "-inf", "1e400"}) {
            QVERIFY2(!money::parseAmount(QString::fromLatin1(notAmount), v), notAmount);
            QCOMPARE(v, 3.0);
        }
        QCOMPARE(money::format2(-0.5), QStringLiteral("-0.50"));
        QCOMPARE(money::format3(0.8), QStringLiteral("0.800"));
        QCOMPARE(money::format2(0.125), QStringLiteral("0.13"));
        QCOMPARE(money::format2(1234567.0), QStringLiteral("1234567.00"));
        QCOMPARE(money::format2(-0.001), QStringLiteral("-0.00")); // as printf writes it
        QCOMPARE(money::formatFixed(99.5, 0), QStringLiteral("100"));
    }

    void amountsOutsideTheStorableRange_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("storable");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("zero") << 0.0 << true;
        QTest::newRow("the bound") << 1e9 << true;
        QTest::newRow("the negative bound") << -1e9 << true;
        QTest::newRow("a fen past it") << 1e9 + 0.01 << false;
        QTest::newRow("1e308") << 1e308 << false;
        QTest::newRow("two of 1e308 added") << 1e308 + 1e308 << false;
        QTest::newRow("minus infinity") << -inf << false;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false;
    }
    void amountsOutsideTheStorableRange()
    {
        QFETCH(double, value);
        QFETCH(bool, storable);
        QCOMPARE(money::isStorable(value), storable);
    }

    void oleDatesConvertBothWays_data()
    {
        QTest::addColumn<double>("ole");
        QTest::addColumn<QDateTime>("time");
        QTest::newRow("epoch") << 0.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("noon 2026-12-09") << 46365.5 << QDateTime(QDate(2026, 12, 9), QTime(12, 0));
        QTest::newRow("6am before epoch") << -1.25 << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
        QTest::newRow("seconds") << 46365.0 + (10 * 3600 + 11 * 60 + 12) / 86400.0
                                 << QDateTime(QDate(2026, 12, 9), QTime(10, 11, 12));
        QTest::newRow("just before midnight, before epoch")
            << -1.0 - (86400.0 - 0.2) / 86400.0 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
        QTest::newRow("just before midnight") << 46365.0 + (86400.0 - 0.2) / 86400.0
                                              << QDateTime(QDate(2026, 12, 10), QTime(0, 0));
        QTest::newRow("the last second of 9999") << 2958465.0 + 86399.0 / 86400.0
                                                 << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59));
        QTest::newRow("rounding up into year 10000") << 2958465.0 + (86400.0 - 0.2) / 86400.0 << QDateTime();
    }
    void oleDatesConvertBothWays()
    {
        QFETCH(double, ole);
        QFETCH(QDateTime, time);
        QCOMPARE(oledate::toDateTime(ole), time);
        if (std::fabs(ole - std::round(ole * 86400.0) / 86400.0) < 1e-9) // whole seconds come back
            QVERIFY(qAbs(oledate::fromDateTime(time) - ole) < 1e-9);
        for (double notADate : {std::nan(""), HUGE_VAL, 1e300, -1e7})
            QVERIFY(!oledate::toDateTime(notADate).isValid());
    }

    void gbkOrdersLikeAMultibyteCompare()
    {
        QVERIFY(gbk::compare(QStringLiteral("10"), QStringLiteral("9")) < 0);
        QVERIFY(gbk::compare(QStringLiteral("阿"), QStringLiteral("张")) < 0); // pinyin order a < z
        QVERIFY(gbk::compare(QStringLiteral("Z"), QStringLiteral("阿")) < 0);  // ASCII before Chinese
        QCOMPARE(gbk::compare(QStringLiteral("牙"), QStringLiteral("牙")), 0);
        QVERIFY(gbk::compare(QStringLiteral("牙"), QStringLiteral("牙科")) < 0);
        QCOMPARE(gbk::byteLength(QStringLiteral("口腔ab")), 6);
        QCOMPARE(gbk::encode(QStringLiteral("a😀b")), QByteArray("a?b"));
    }

    void receiptTitleFollowsTheKeyRules()
    {
        const QString path = testdb::isolateSettings();
        QString title = QStringLiteral("built-in");
        settings::readReceiptTitle(title); // key missing: nothing read, nothing written
        QCOMPARE(title, QStringLiteral("built-in"));
        QVERIFY(!QFile::exists(path));

        settings::createKey(); // key present, value missing: the default, written back
        settings::readReceiptTitle(title);
        QCOMPARE(title, QStringLiteral("口 腔 门 诊 部"));
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("ReceiptTitle")).toString(), title);

        settings::writeValue(QStringLiteral("ReceiptTitle"), QString(300, QChar(0x53E3)));
        settings::readReceiptTitle(title);
        QCOMPARE(title.size(), 255);

        // Set by hand in the file, with a comma in it.
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[General]\nReceiptTitle=北京,口腔门诊部\n");
        f.close();
        settings::readReceiptTitle(title);
        QCOMPARE(title, QStringLiteral("北京,口腔门诊部"));

        QVERIFY(settings::createKey()); // present: nothing to create
        qputenv("CALVANE_SETTINGS", "/proc/no/such/Kelvask.ini");
        QVERIFY(!settings::createKey());
        qputenv("CALVANE_SETTINGS", path.toUtf8());
    }

    void feeDiscoutFollowsTheKeyRules()
    {
        testdb::isolateSettings();
        int choice = 7;
        settings::readFeeDiscout(choice);
        QCOMPARE(choice, 7); // key missing
        settings::createKey();
        settings::readFeeDiscout(choice);
        QCOMPARE(choice, 1);
        QCOMPARE(*settings::readValue(QStringLiteral("FeeDiscout")), QStringLiteral("1"));
        settings::writeFeeDiscout(0);
        settings::readFeeDiscout(choice);
        QCOMPARE(choice, 0);
        settings::writeFeeDiscout(5); // any other choice stores ""
        QCOMPARE(*settings::readValue(QStringLiteral("FeeDiscout")), QString());
        choice = 0;
        settings::readFeeDiscout(choice);
        QCOMPARE(choice, 0); // "" leaves the choice as it was
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
