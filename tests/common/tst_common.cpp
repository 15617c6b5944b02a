// Shared helpers: rounding by formatting, OLE dates, GBK order, the settings file.
#include "common/Gbk.h"
#include "common/Money.h"
#include "common/OleDate.h"
#include "common/Settings.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QSettings>
#include <QTest>

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
        QCOMPARE(money::format2(-0.5), QStringLiteral("-0.50"));
        QCOMPARE(money::format3(0.8), QStringLiteral("0.800"));
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
    }
    void oleDatesConvertBothWays()
    {
        QFETCH(double, ole);
        QFETCH(QDateTime, time);
        QCOMPARE(oledate::toDateTime(ole), time);
        QVERIFY(qAbs(oledate::fromDateTime(time) - ole) < 1e-9);
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
