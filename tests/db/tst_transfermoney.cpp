// Capital-numeral amounts as they must read on a Chinese receipt.
#include "db/TransferMoney.h"
#include <QTest>
#include <limits>

class TestTransferMoney : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void knownAmounts_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("text");
        const struct { double amount; const char* text; } cases[] = {
            {0, "零元整"},
            {0.001, "零元整"},          // rounds to nothing: no sign either
            {-0.004, "零元整"},
            {1, "壹元整"},
            {10, "壹拾元整"},           // 壹拾, never a bare 拾
            {15, "壹拾伍元整"},
            {20, "贰拾元整"},
            {101, "壹佰零壹元整"},
            {110, "壹佰壹拾元整"},
            {1001, "壹仟零壹元整"},
            {1010, "壹仟零壹拾元整"},
            {1409.50, "壹仟肆佰零玖元伍角整"},
            {6007.14, "陆仟零柒元壹角肆分"},
            {1680.32, "壹仟陆佰捌拾元叁角贰分"},
            {107000.53, "壹拾万柒仟元伍角叁分"},
            {100700, "壹拾万零柒佰元整"},
            {16409.02, "壹万陆仟肆佰零玖元零贰分"},
            {325.04, "叁佰贰拾伍元零肆分"},
            {0.5, "伍角整"},
            {0.05, "伍分"},
            {0.15, "壹角伍分"},
            {1000.05, "壹仟元零伍分"},
            {120.50, "壹佰贰拾元伍角整"},
            {2550, "贰仟伍佰伍拾元整"},
            {10000, "壹万元整"},
            {1000000, "壹佰万元整"},
            {10100000, "壹仟零壹拾万元整"},
            {10101234, "壹仟零壹拾万壹仟贰佰叁拾肆元整"},
            {100000000, "壹亿元整"},
            {100000001, "壹亿零壹元整"},
            {100001234, "壹亿零壹仟贰佰叁拾肆元整"},
            {120034005.6, "壹亿贰仟零叁万肆仟零伍元陆角整"},
            {1000000000000.0, "壹万亿元整"},
            {1234500000000.0, "壹万贰仟叁佰肆拾伍亿元整"},
            {1000010000000.0, "壹万亿零壹仟万元整"},
            {-50, "负伍拾元整"},
            {-0.3, "负叁角整"},
            {-1234.56, "负壹仟贰佰叁拾肆元伍角陆分"},
            {99.995, "壹佰元整"},       // rounded to the fen first
            {0.1 + 0.2, "叁角整"},      // binary noise does not show
        };
        for (const auto& c : cases) QTest::newRow(c.text) << c.amount << QString::fromUtf8(c.text);
    }
    void knownAmounts()
    {
        QFETCH(double, amount);
        QFETCH(QString, text);
        QCOMPARE(db::TransferMoney(amount), text);
    }

    void amountsWithoutACapitalFormGiveNoText_data()
    {
        QTest::addColumn<double>("amount");
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("10^16") << 1e16;
        QTest::newRow("-10^17") << -1e17;
    }
    void amountsWithoutACapitalFormGiveNoText()
    {
        QFETCH(double, amount);
        QCOMPARE(db::TransferMoney(amount), QString());
    }
};

QTEST_GUILESS_MAIN(TestTransferMoney)
#include "tst_transfermoney.moc"
