// Discount policies: settings, look-ups, the discount-type list, evaluation of a choice and
// the amounts it gives, receipt-wide and item by item.
#include "common/Prompter.h"
#include "common/Settings.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include "discount/DiscountAmounts.h"
#include "discount/DiscountChoice.h"
#include "discount/DiscountItems.h"
#include "discount/DiscountSettings.h"
#include "discount/DiscountSwitch.h"
#include "discount/DiscountTypeList.h"
#include "discount/StandardDiscountTypes.h"
#include "tests/support/TestDb.h"
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTest>
#include <ranges>

using namespace settle;

namespace
{

// One clinic per backend, seeded once; tests that need other settings write their own row.
//   ranks (by ID): 银卡 0.9, VIP金卡 0.8567 '可见', hidden 隐藏卡 / 铜卡 0.4445 / 空值 NULL, a NULL name
//   cards (by ID): 代金卡100 100, a NULL name, 折扣卡 0.9, 小卡 12.3456
//   bands this receipt: (0,100) .95, (100,500) .9, (500,1000) .123456789, (1000,2000) NULL
//   bands cumulative: (0,200) .98, (200,1000) .88
//   patients: P1 member 'vip', P2 member '钻石' (not listed), P3 not a member, P4 all NULL
//   points: p1 (stored "p1 ") 150, P2 100, P3 NULL, P4 600; bands (0,100) .95, (100,500) .85, (500,1000) NULL
void seed(db::Connection& c)
{
    const auto add = [&](const char* table, const db::FieldValues& f) {
        return db::AddRecord(c, QString::fromUtf8(table), f, QString());
    };
    const auto addKeyed = [&](const char* table, const db::FieldValues& f) {
        return db::AddRecord(c, QString::fromUtf8(table), f);
    };
    const QVariant null;
    const auto rank = [&](QVariant name, QVariant value, QVariant note) {
        addKeyed("Discount_table", {{"DiscountName", name}, {"DiscountValue", value}, {"Note", note}});
    };
    rank("银卡", 0.9, null);
    rank("VIP金卡", 0.8567, "可见");
    rank("隐藏卡", 0.5, "隐藏");
    rank(null, 0.7, null);
    rank("铜卡", 0.4445, "隐藏");
    rank("空值", null, "隐藏");
    const auto card = [&](QVariant name, double value) {
        addKeyed("MoneyCard_Table", {{"MoneyCard_Name", name}, {"MoneyCard_Value", value}});
    };
    card("代金卡100", 100);
    card(null, 50);
    card("折扣卡", 0.9);
    card("小卡", 12.3456);
    const auto band = [&](const char* table, double lo, double hi, QVariant rate) {
        add(table, {{"MinMoney", lo}, {"MaxMoney", hi}, {"Discout", rate}});
    };
    band("DiscountCurrente_table", 0, 100, 0.95);
    band("DiscountCurrente_table", 100, 500, 0.9);
    band("DiscountCurrente_table", 500, 1000, 0.123456789);
    band("DiscountCurrente_table", 1000, 2000, null);
    band("DiscountAccout_table", 0, 200, 0.98);
    band("DiscountAccout_table", 200, 1000, 0.88);
    const auto patient = [&](const char* number, QVariant vip, QVariant rank, QVariant code) {
        add("病人简历表", {{"病人编号", number}, {"IS_VIP", vip}, {"VIP_Rank_Name", rank}, {"VIP_Code", code}});
    };
    patient("P1", 1, "vip", "M1");
    patient("P2", 1, "钻石", "M2");
    patient("P3", 0, "银卡", "M3");
    patient("P4", null, null, null);
    const auto account = [&](const char* patientCode, QVariant points) {
        const qint64 id = addKeyed("PrePay_Table", {{"VIP_grade_value", points}});
        add("VIP_PtnSheet_Table", {{"VIP_ID", id}, {"Patient_Code", patientCode}});
    };
    account("p1 ", 150);
    account("P2", 100);
    account("P3", null);
    account("P4", 600);
    const auto grade = [&](double lo, double hi, QVariant rate) {
        addKeyed("Grade_shengji_Calculate_table",
                 {{"VIP_min_value", lo}, {"VIP_max_value", hi}, {"Discout_value", rate}});
    };
    grade(0, 100, 0.95);
    grade(100, 500, 0.85);
    grade(500, 1000, null);
}

QMap<QString, db::ConnectionPtr> clinics;

db::Connection& clinic(const QString& backend)
{
    if (!clinics.contains(backend)) {
        clinics[backend] = testdb::open(backend);
        seed(*clinics[backend]);
    }
    return *clinics[backend];
}

// Settings written as "item=N vip fee cum card onlyvip other cardonly"; "off" clears DiscoutYesNo.
DiscountSettings settingsFrom(const QString& text)
{
    DiscountSettings s;
    s.DiscoutYesNo = true;
    for (const QString& w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (w.startsWith(QLatin1String("item=")))
            s.FeeItemYesNo = w.mid(5).toInt();
        else if (w == QLatin1String("off"))
            s.DiscoutYesNo = false;
        else if (w == QLatin1String("vip"))
            s.VIPDiscoutYesNo = true;
        else if (w == QLatin1String("fee"))
            s.FeeDiscoutYesNo = true;
        else if (w == QLatin1String("cum"))
            s.CurrentFeeDiscoutYesNo = true;
        else if (w == QLatin1String("card"))
            s.MoneyCardYesNo = true;
        else if (w == QLatin1String("onlyvip"))
            s.FeeDiscoutOnlyForVIP = true;
        else if (w == QLatin1String("other"))
            s.OtherFreeYesNo = true;
        else
            qFatal("unknown setting %s", qPrintable(w));
    }
    return s;
}

// Items written as "price*qty" with a trailing d (discountable) or n; amounts start undiscounted.
QList<DiscountItem> itemsFrom(const QString& text)
{
    QList<DiscountItem> items;
    for (QString w : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        DiscountItem it;
        it.discountable = w.endsWith(QLatin1Char('d')) ? 1 : 0;
        w.chop(1);
        const QStringList pq = w.split(QLatin1Char('*'));
        it.unitPrice = pq[0].toDouble();
        it.quantity = pq.size() > 1 ? pq[1].toDouble() : 1.0;
        it.undiscountedAmount = it.discountedAmount = it.unitPrice * it.quantity;
        items << it;
    }
    return items;
}

class ScriptedPrompter : public Prompter
{
  public:
    explicit ScriptedPrompter(bool answer) : answer_(answer) {}
    void inform(const QString& text) override { asked << text; }
    bool ask(const QString& text, Buttons) override
    {
        asked << text;
        return answer_;
    }
    QStringList asked;

  private:
    bool answer_;
};

} // namespace

class TestDiscounts : public QObject
{
    Q_OBJECT
  private Q_SLOTS:
    void cleanupTestCase() { clinics.clear(); }

    void settingsApplyTheModeTable_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QVariantList>("row"); // the nine columns in table order
        QTest::addColumn<QString>("flags");    // expected, the eight flags in struct order
        QTest::addColumn<int>("feeItem");
        QTest::addColumn<int>("mode");
        const QVariant n;
        struct Case {
            const char* name;
            QVariantList row;
            const char* flags;
            int feeItem, mode;
        };
        const Case cases[] = {
            {"0: items carry rates", {1, 0, 0, 0, 0, 0, 0, 0, 0}, "10000000", 0, FeeStandardItems},
            {"1 forces ranks", {1, 0, 0, 0, 0, 0, 0, 0, 1}, "11000000", 1, MemberRank},
            {"2 by this receipt", {1, 0, 0, 0, 0, 0, 0, 0, 2}, "10100000", 2, CurrentFee},
            {"2 cumulative", {1, 0, 0, 1, 0, 0, 0, 0, 2}, "10110000", 2, CumulativeFee},
            {"3 forces cards", {1, 0, 0, 0, 0, 0, 0, 0, 3}, "10000100", 3, CurrentFee},
            {"4 points", {1, 0, 0, 0, 0, 0, 1, 0, 4}, "10000010", 4, MemberPoints},
            {"5", {1, 0, 0, 0, 0, 0, 0, 1, 5}, "10000001", 5, SettingFive},
            {"other value is the mode", {0, 0, 0, 0, 0, 0, 0, 0, 9}, "00000000", 9, 9},
            {"-1 reads as on", {-1, 0, 0, 0, -1, 0, 0, 0, 1}, "11001000", 1, MemberRank},
            // The struct starts as "01000101" with FeeItemYesNo -1: NULLs keep all that.
            {"NULL keeps values", {n, n, n, n, n, n, n, n, n}, "01000101", -1, DiscountOff},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.name)))
                    << b << c.row << QString::fromLatin1(c.flags) << c.feeItem << c.mode;
    }
    void settingsApplyTheModeTable()
    {
        QFETCH(QString, backend);
        QFETCH(QVariantList, row);
        QFETCH(QString, flags);
        QFETCH(int, feeItem);
        QFETCH(int, mode);
        auto& c = clinic(backend);
        const QStringList columns{"DiscoutYesNo",           "VIPDiscoutYesNo",      "FeeDiscoutYesNo",
                                  "CurrentFeeDiscoutYesNo", "OtherFreeYesNo",       "MoneyCardYesNo",
                                  "CardOnlyForDisctItem",   "FeeDiscoutOnlyForVIP", "FeeItemYesNo"};
        db::FieldValues fields;
        for (int i = 0; i < columns.size(); ++i)
            fields << qMakePair(columns[i], row[i]);
        db::execute(c, QStringLiteral("DELETE FROM DiscountSet_table"));
        db::AddRecord(c, QStringLiteral("DiscountSet_table"), fields, QString());

        DiscountSettings s;
        s.VIPDiscoutYesNo = s.MoneyCardYesNo = s.FeeDiscoutOnlyForVIP = true;
        int gotMode = 42;
        QCOMPARE(LoadDiscountSettings(c, s, gotMode), 0);
        const bool got[] = {s.DiscoutYesNo,   s.VIPDiscoutYesNo, s.FeeDiscoutYesNo,      s.CurrentFeeDiscoutYesNo,
                            s.OtherFreeYesNo, s.MoneyCardYesNo,  s.CardOnlyForDisctItem, s.FeeDiscoutOnlyForVIP};
        QString gotFlags;
        for (bool f : got)
            gotFlags += f ? QLatin1Char('1') : QLatin1Char('0');
        QCOMPARE(gotFlags, flags);
        QCOMPARE(s.FeeItemYesNo, feeItem);
        QCOMPARE(gotMode, mode);
    }

    void emptySettingsTableChangesNothing_data() { testdb::addBackendRows(); }
    void emptySettingsTableChangesNothing()
    {
        QFETCH(QString, backend);
        auto& c = clinic(backend);
        db::execute(c, QStringLiteral("DELETE FROM DiscountSet_table"));
        DiscountSettings s;
        s.MoneyCardYesNo = true;
        int mode = DiscountOff;
        QCOMPARE(LoadDiscountSettings(c, s, mode), 1);
        QCOMPARE(mode, int(DiscountOff));
        QCOMPARE(s.FeeItemYesNo, -1);
        QVERIFY(s.MoneyCardYesNo && !s.DiscoutYesNo);
    }

    void modeNames()
    {
        QCOMPARE(discountModeName(DiscountOff), QStringLiteral("DiscountOff"));
        QCOMPARE(discountModeName(MoneyCardAmount), QStringLiteral("MoneyCardAmount"));
        QCOMPARE(discountModeName(SettingFive), QStringLiteral("SettingFive"));
        QVERIFY(discountModeName(8).isEmpty());
        QVERIFY(discountModeName(-2).isEmpty());
    }

    void rankAndCardValues_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("isCard");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("expected");
        struct Case {
            const char* row;
            bool isCard;
            const char* name;
            double expected;
        };
        const Case cases[] = {
            {"0.8567 to three places", false, "VIP金卡", 0.857},
            {"read as single precision", false, "铜卡", 0.444}, // as a double 0.4445 would print 0.445
            {"case and trailing blanks ignored", false, "vip金卡  ", 0.857},
            {"hidden ranks still have a rate", false, "隐藏卡", 0.5},
            {"NULL rate is no discount", false, "空值", 1.0},
            {"unknown rank", false, "金卡", 1.0},
            {"leading blank matters", false, " 银卡", 1.0},
            {"quote in name", false, "银卡' OR '1'='1", 1.0},
            {"card", true, "代金卡100", 100.0},
            {"card single precision", true, "小卡", 12.346},
            {"unknown card", true, "代金卡", 0.0},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.row)))
                    << b << c.isCard << QString::fromUtf8(c.name) << c.expected;
    }
    void rankAndCardValues()
    {
        QFETCH(QString, backend);
        QFETCH(bool, isCard);
        QFETCH(QString, name);
        QFETCH(double, expected);
        auto& c = clinic(backend);
        QCOMPARE(isCard ? LookUpMoneyCardValue(c, name) : LookUpRankRate(c, name), expected);
    }

    void feeVolumeBands_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("cumulative");
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("result");
        QTest::addColumn<double>("rate"); // starts at 0.7
        struct Case {
            const char* row;
            bool cumulative;
            double amount;
            int result;
            double rate;
        };
        const Case cases[] = {
            {"inside a band", false, 300, 0, 0.9},
            {"equal to MaxMoney", false, 100, 1, 0.7},
            {"equal to MinMoney", false, 500, 1, 0.7},
            {"rounds onto a bound", false, 99.999996, 1, 0.7},
            {"just inside after rounding", false, 100.00001, 0, 0.9},
            {"rate to five places", false, 700, 0, 0.12346},
            {"NULL rate keeps the rate", false, 1500, 0, 0.7},
            {"beyond every band", false, 5000, 1, 0.7},
            {"zero amount", false, 0, 1, 0.7},
            {"cumulative", true, 250, 0, 0.88},
            {"cumulative on a bound", true, 200, 1, 0.7},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.row)))
                    << b << c.cumulative << c.amount << c.result << c.rate;
    }
    void feeVolumeBands()
    {
        QFETCH(QString, backend);
        QFETCH(bool, cumulative);
        QFETCH(double, amount);
        QFETCH(int, result);
        QFETCH(double, rate);
        auto& c = clinic(backend);
        double got = 0.7;
        QCOMPARE(cumulative ? LookUpCumulativeFeeRate(c, got, amount) : LookUpCurrentFeeRate(c, got, amount), result);
        QCOMPARE(got, rate);
    }

    void memberAndPoints_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("patient");
        QTest::addColumn<int>("isMember");
        QTest::addColumn<QString>("rank");
        QTest::addColumn<QString>("code"); // starts "old"
        QTest::addColumn<double>("rankRate");
        QTest::addColumn<double>("pointsRate");
        QTest::addColumn<bool>("hasAccount");
        struct Case {
            const char* row;
            const char* patient;
            int isMember;
            const char* rank;
            const char* code;
            double rankRate, pointsRate;
            bool hasAccount;
        };
        const Case cases[] = {
            // P1's rank 'vip' is no rank name of its own; the list finds it by prefix.
            {"member, points inside a band", "P1", 1, "vip", "M1", 1.0, 0.85, true},
            {"number compared ignoring case and blanks", "p1  ", 1, "vip", "M1", 1.0, 0.85, true},
            {"member, points on a band bound", "P2", 1, "钻石", "M2", 1.0, 1.0, true},
            {"not a member: rank cleared", "P3", 0, "", "old", 1.0, 1.0, true},
            {"NULL flag, band with NULL rate", "P4", 0, "", "old", 1.0, 1.0, true},
            {"unknown patient", "P9", 0, "", "old", 1.0, 1.0, false},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.row)))
                    << b << QString::fromUtf8(c.patient) << c.isMember << QString::fromUtf8(c.rank)
                    << QString::fromUtf8(c.code) << c.rankRate << c.pointsRate << c.hasAccount;
    }
    void memberAndPoints()
    {
        QFETCH(QString, backend);
        QFETCH(QString, patient);
        QFETCH(int, isMember);
        QFETCH(QString, rank);
        QFETCH(QString, code);
        QFETCH(double, rankRate);
        QFETCH(double, pointsRate);
        QFETCH(bool, hasAccount);
        auto& c = clinic(backend);
        MemberData m{7, QStringLiteral("old"), QStringLiteral("old")};
        double rate = 0.1;
        QCOMPARE(LookUpMember(c, patient, m, rate), 0);
        QCOMPARE(m.isMember, isMember);
        QCOMPARE(m.rankName, rank);
        QCOMPARE(m.memberCode, code);
        QCOMPARE(rate, rankRate);
        bool account = !hasAccount;
        QCOMPARE(LookUpPointsRate(c, patient, &account), pointsRate);
        QCOMPARE(account, hasAccount);
    }

    void memberWithAListedRankGetsItsRate_data() { testdb::addBackendRows(); }
    void memberWithAListedRankGetsItsRate()
    {
        QFETCH(QString, backend);
        auto& c = clinic(backend);
        db::Transaction t(c); // rolled back: the shared clinic stays as seeded
        db::execute(c, QStringLiteral("UPDATE 病人简历表 SET VIP_Rank_Name = ? WHERE 病人编号 = ?"),
                    {QStringLiteral("VIP金卡 "), QStringLiteral("P2")});
        MemberData m;
        double rate = 0;
        LookUpMember(c, QStringLiteral("P2"), m, rate);
        QCOMPARE(rate, 0.857);
    }

    void typeList_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("patient");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("entries"); // joined with '|'
        QTest::addColumn<int>("selected");
        QTest::addColumn<QString>("counts"); // ranks/fee/cards
        const QString ranksCards = QStringLiteral("非会员无折扣|银卡|VIP金卡|代金卡100|折扣卡|小卡");
        struct Case {
            const char* row;
            const char* settings;
            const char* patient;
            int result;
            QString entries;
            int selected;
            const char* counts;
        };
        const Case cases[] = {
            {"not offered: untouched", "off item=1 vip", "P1", -1, "旧", 0, "9/9/9"},
            {"member rank chosen by prefix", "item=1 vip", "P1", 0, ranksCards, 2, "2/0/3"},
            {"ranks listed with cards only", "item=3 card", "P1", 0, ranksCards, 2, "2/0/3"},
            {"unlisted rank keeps no discount", "item=1 vip", "P2", 0, ranksCards, 0, "2/0/3"},
            {"non-member with a rank name", "item=1 vip", "P3", 0, ranksCards, 0, "2/0/3"},
            {"fee entry for members only: absent", "item=2 fee onlyvip", "P3", 0, "非会员无折扣", 0, "0/0/0"},
            {"fee entry for members only: member", "item=2 fee onlyvip", "P1", 0, "非会员无折扣|按本次收费打折", 1,
             "0/1/0"},
            {"fee entry selected last", "item=1 vip fee", "P1", 0, ranksCards + "|按本次收费打折", 6, "2/1/3"},
            {"family 0 lists only the fee entry", "item=0 fee cum", "P1", 0, "按累计收费打折", 0, "0/1/0"},
            {"family 0 counts nobody as member", "item=0 fee onlyvip", "P1", 0, "", -1, "0/0/0"},
            {"points entry", "item=4 vip fee", "P1", 0, ranksCards + "|按本次收费打折|根据会员之家中的积分打折", 7,
             "2/1/3"},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.row)))
                    << b << QString::fromLatin1(c.settings) << QString::fromLatin1(c.patient) << c.result << c.entries
                    << c.selected << QString::fromLatin1(c.counts);
    }
    void typeList()
    {
        QFETCH(QString, backend);
        QFETCH(QString, settings);
        QFETCH(QString, patient);
        QFETCH(int, result);
        QFETCH(QString, entries);
        QFETCH(int, selected);
        QFETCH(QString, counts);
        auto& c = clinic(backend);
        DiscountTypeList list;
        list.entries = {{QStringLiteral("旧"), DiscountEntryKind::NoDiscount}};
        list.selected = 0;
        list.rankCount = list.feeEntryPresent = list.cardCount = 9;
        QCOMPARE(FillDiscountTypeList(c, settingsFrom(settings), patient, list), result);
        QCOMPARE(list.texts().join(QLatin1Char('|')), entries);
        QCOMPARE(list.selected, selected);
        QCOMPARE(QStringLiteral("%1/%2/%3").arg(list.rankCount).arg(list.feeEntryPresent).arg(list.cardCount), counts);
    }

    // The dialog's path: build the list, choose an entry, compute the receipt's discounted
    // amount. The receipt is 合计 `total` with old arrears `arrears`, due total + arrears.
    void choiceAndReceiptAmount_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("cumulative");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("card");     // card label and editable value
        QTest::addColumn<double>("amount"); // 折后金额
        struct Case {
            const char* row;
            const char* settings;
            const char* entry;
            double total, cumulative, value;
            const char* note;
            int mode;
            bool card;
            double amount;
        };
        // Old arrears are 50 in every row; the fee-volume rate starts at 0.95 (an earlier band).
        const Case cases[] = {
            {"no discount", "item=1 vip", "非会员无折扣", 200, 0, 1.0, "非会员无折扣", NoDiscount, false, 250},
            {"rank 0.8567", "item=1 vip", "VIP金卡", 200, 0, 0.857, "VIP金卡折扣0.857", MemberRank, false, 221.4},
            {"card as amount", "item=3 card", "代金卡100", 200, 0, 100, "代金卡100,100.00元", MoneyCardAmount, true,
             150},
            {"card of 0.9 is a rate", "item=3 card", "折扣卡", 200, 0, 0.9, "折扣卡,0.90元", MoneyCardAmount, true,
             230},
            {"card above the amount due", "item=3 card", "代金卡100", 30, 0, 80, "代金卡100,80.00元", MoneyCardAmount,
             true, 0},
            {"card above an amount due just above 1.0", "item=3 card", "代金卡100", -48.99999, 0, 100,
             "代金卡100,1.00元", MoneyCardAmount, true, 0},
            {"this receipt's band", "item=2 fee", "按本次收费打折", 200, 0, 0.9, "按本次收费打折0.900", CurrentFee,
             false, 230},
            {"due on a bound keeps the rate", "item=2 fee", "按本次收费打折", 50, 0, 0.95, "按本次收费打折0.950",
             CurrentFee, false, 97.5},
            {"cumulative band", "item=2 fee cum", "按累计收费打折", 50, 150, 0.88, "按累计收费打折0.880", CumulativeFee,
             false, 94},
            {"cumulative on a bound", "item=2 fee cum", "按累计收费打折", 50, 100, 0.95, "按累计收费打折0.950",
             CumulativeFee, false, 97.5},
            {"points", "item=4", "根据会员之家中的积分打折", 200, 0, 0.85, "按会员之家的积分打折0.850", MemberPoints,
             false, 220},
            {"family 0: items carry rates", "item=0 fee", "按本次收费打折", 200, 0, 0.9,
             "根据收费标准中设定的折扣值打折", FeeStandardItems, false, 250},
        };
        for (const QString& b : testdb::backends())
            for (const Case& c : cases)
                QTest::newRow(qPrintable(b + QLatin1Char('/') + QLatin1String(c.row)))
                    << b << QString::fromLatin1(c.settings) << QString::fromUtf8(c.entry) << c.total << c.cumulative
                    << c.value << QString::fromUtf8(c.note) << c.mode << c.card << c.amount;
    }
    void choiceAndReceiptAmount()
    {
        QFETCH(QString, backend);
        QFETCH(QString, settings);
        QFETCH(QString, entry);
        QFETCH(double, total);
        QFETCH(double, cumulative);
        QFETCH(double, value);
        QFETCH(QString, note);
        QFETCH(int, mode);
        QFETCH(bool, card);
        QFETCH(double, amount);
        auto& c = clinic(backend);
        const DiscountSettings s = settingsFrom(settings);
        DiscountState state;
        state.label = kCardLabel; // left over from an earlier choice
        state.valueEditable = true;
        state.feeRate = 0.95;
        const DiscountChoiceInputs in{QStringLiteral("P1"), total + 50, cumulative};
        QCOMPARE(FillDiscountTypeList(c, s, in.patientNumber, state.list), 0);
        const int index = static_cast<int>(state.list.texts().indexOf(entry));
        QVERIFY(index >= 0);

        QVERIFY(ApplyDiscountChoice(c, s, state, index, in));
        const double got = ReceiptDiscountedAmount(state, {total, 50, false, total + 50});
        QCOMPARE(state.value, value);
        QCOMPARE(state.note, note);
        // The dialog evaluates again on every change: the same state gives the same result.
        QCOMPARE(ReceiptDiscountedAmount(state, {total, 50, false, total + 50}), got);
        QCOMPARE(state.value, value);
        QCOMPARE(state.note, note);
        QCOMPARE(state.mode, mode);
        QCOMPARE(state.label, card ? kCardLabel : kRateLabel);
        QCOMPARE(state.valueEditable, card);
        QCOMPARE(state.typeIndex, index);
        QCOMPARE(got, amount);
        if (card)
            QCOMPARE(state.cardName, entry);
    }

    void nothingChosenChangesNothing_data() { testdb::addBackendRows(); }
    void nothingChosenChangesNothing()
    {
        QFETCH(QString, backend);
        auto& c = clinic(backend);
        const DiscountSettings s = settingsFrom(QStringLiteral("item=1 vip"));
        DiscountState state;
        FillDiscountTypeList(c, s, QStringLiteral("P1"), state.list);
        state.note = QStringLiteral("旧");
        for (int entry : {-1, static_cast<int>(state.list.entries.size())}) {
            QVERIFY(!ApplyDiscountChoice(c, s, state, entry, {}));
            QCOMPARE(state.note, QStringLiteral("旧"));
            QCOMPARE(state.mode, int(DiscountOff));
            QCOMPARE(state.typeIndex, -1);
        }
    }

    void receiptAmount_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("cardValue");
        QTest::addColumn<double>("total");
        QTest::addColumn<bool>("arrearsLater");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("valueAfter");
        // Old arrears 50; the amount due is 合计 plus them unless they are left for later.
        QTest::newRow("rate with arrears") << int(MemberRank) << 0.9 << 0.0 << 200.0 << false << 230.0 << 0.9;
        QTest::newRow("rate, arrears later") << int(MemberRank) << 0.9 << 0.0 << 200.0 << true << 180.0 << 0.9;
        QTest::newRow("value kept to four places")
            << int(MemberRank) << 0.85674 << 0.0 << 200.0 << true << 171.34 << 0.8567;
        QTest::newRow("result to three places") << int(CurrentFee) << 0.8567 << 0.0 << 10.01 << true << 8.576 << 0.8567;
        QTest::newRow("switch off") << int(DiscountOff) << 1.0 << 0.0 << 200.0 << false << 250.0 << 1.0;
        QTest::newRow("card") << int(MoneyCardAmount) << 100.0 << 100.0 << 200.0 << false << 150.0 << 100.0;
        QTest::newRow("card, arrears later")
            << int(MoneyCardAmount) << 100.0 << 100.0 << 200.0 << true << 100.0 << 100.0;
        QTest::newRow("card kept to four places")
            << int(MoneyCardAmount) << 99.99996 << 100.0 << 200.0 << true << 100.0 << 100.0;
        QTest::newRow("card used up to the amount due")
            << int(MoneyCardAmount) << 300.0 << 300.0 << 200.0 << false << 0.0 << 250.0;
        QTest::newRow("card above an amount due of 1.0 or less")
            << int(MoneyCardAmount) << 100.0 << 100.0 << 0.5 << true << 0.0 << 100.0;
        QTest::newRow("card above an amount due that reads 1.0 to four places")
            << int(MoneyCardAmount) << 5.0 << 5.0 << 1.00001 << true << 0.0 << 5.0;
        QTest::newRow("card above an amount due just above 1.0")
            << int(MoneyCardAmount) << 5.0 << 5.0 << 1.00006 << true << 0.0 << 1.0001;
        QTest::newRow("items carry rates")
            << int(FeeStandardItems) << 0.123456 << 20.0 << 200.0 << false << 230.0 << 0.123456;
    }
    void receiptAmount()
    {
        QFETCH(int, mode);
        QFETCH(double, value);
        QFETCH(double, cardValue);
        QFETCH(double, total);
        QFETCH(bool, arrearsLater);
        QFETCH(double, amount);
        QFETCH(double, valueAfter);
        DiscountState state;
        state.mode = mode;
        state.value = value;
        state.cardValue = cardValue;
        const ReceiptAmounts r{total, 50, arrearsLater, arrearsLater ? total : total + 50};
        QCOMPARE(ReceiptDiscountedAmount(state, r), amount);
        QCOMPARE(state.value, valueAfter);
        // Shown again (the dialog recomputes on every change), it says the same.
        QCOMPARE(ReceiptDiscountedAmount(state, r), amount);
        QCOMPARE(state.value, valueAfter);
    }

    void typedCardAmount_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("typed");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("note");
        QTest::newRow("lower amount") << int(MoneyCardAmount) << 79.87664 << true << 170.123 << 79.8766
                                      << "代金卡100,79.88元";
        QTest::newRow("1.0 changes nothing")
            << int(MoneyCardAmount) << 1.0 << false << 0.0 << 100.0 << "代金卡100,100.00元";
        QTest::newRow("not a card") << int(MemberRank) << 80.0 << false << 0.0 << 100.0 << "代金卡100,100.00元";
        QTest::newRow("above the card's value") << int(MoneyCardAmount) << 100.00006 << false << 0.0 << 100.0
                                                << "代金卡100,100.00元";
        QTest::newRow("the whole card") << int(MoneyCardAmount) << 100.00004 << true << 150.0 << 100.0
                                        << "代金卡100,100.00元";
    }
    void typedCardAmount()
    {
        QFETCH(int, mode);
        QFETCH(double, typed);
        QFETCH(bool, applied);
        QFETCH(double, amount);
        QFETCH(double, value);
        QFETCH(QString, note);
        DiscountState state;
        state.mode = mode;
        state.cardName = QStringLiteral("代金卡100");
        state.value = state.cardValue = 100;
        state.note = moneyCardNote(state.cardName, state.value);
        const auto got = ApplyTypedCardAmount(state, typed, {200, 50, false, 250});
        QCOMPARE(got.has_value(), applied);
        if (applied)
            QCOMPARE(*got, amount);
        QCOMPARE(state.value, value);
        QCOMPARE(state.note, note);
    }

    void itemsUnderDiscount_data()
    {
        QTest::addColumn<QString>("items");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("cardOnly");
        QTest::addColumn<QList<double>>("amounts");
        QTest::addColumn<QList<double>>("rates");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("valueAfter");
        using L = QList<double>;
        QTest::newRow("card 100 over 60 and 70") << "60d 70d" << 100.0 << false << L{0, 30} << L{1, 1} << 30.0 << 100.0;
        QTest::newRow("card 100 over one 60") << "60d" << 100.0 << false << L{0} << L{1} << 0.0 << 60.0;
        QTest::newRow("card only for discountable")
            << "60d 70n" << 100.0 << true << L{0, 70} << L{1, 1} << 70.0 << 60.0;
        QTest::newRow("card over any item") << "60d 70n" << 100.0 << false << L{0, 30} << L{1, 1} << 30.0 << 100.0;
        QTest::newRow("card skips to later lines")
            << "50n 30*2d 40d" << 100.0 << true << L{50, 0, 0} << L{1, 1, 1} << 50.0 << 100.0;
        QTest::newRow("rate") << "100*2d 50n" << 0.9 << true << L{180, 50} << L{0.9, 1} << 230.0 << 0.9;
        QTest::newRow("rate leaves other items alone") << "40n" << 0.5 << false << L{40} << L{1} << 40.0 << 0.5;
        QTest::newRow("card of 1.0 is a rate") << "80d" << 1.0 << false << L{80} << L{1} << 80.0 << 1.0;
    }
    void itemsUnderDiscount()
    {
        QFETCH(QString, items);
        QFETCH(double, value);
        QFETCH(bool, cardOnly);
        QFETCH(QList<double>, amounts);
        QFETCH(QList<double>, rates);
        QFETCH(double, total);
        QFETCH(double, valueAfter);
        QList<DiscountItem> list = itemsFrom(items);
        QCOMPARE(ApplyDiscountToItems(list, value, cardOnly), total);
        QCOMPARE(value, valueAfter);
        QList<double> gotAmounts, gotRates;
        for (const auto& it : list) {
            gotAmounts << it.discountedAmount;
            gotRates << it.rate;
        }
        QCOMPARE(gotAmounts, amounts);
        QCOMPARE(gotRates, rates);
    }

    void rateOntoItemsAndSums()
    {
        // Line records of the receipts derive from DiscountItem and may be walked in any order.
        struct Line : DiscountItem {
            QString name;
        };
        QList<Line> lines;
        for (const DiscountItem& it : itemsFrom(QStringLiteral("100*2d 30n 10*3d")))
            lines << Line{it, QStringLiteral("x")};
        lines[1].discountedAmount = 27; // an earlier rate on an item no longer discountable stays

        ItemTotals t = ApplyRateToItems(lines, 0.8);
        QCOMPARE(t.undiscounted, 260.0);
        QCOMPARE(t.discounted, 160.0 + 27 + 24);
        QCOMPARE(lines[2].rate, 0.8);
        QCOMPARE(lines[1].rate, 1.0);

        t = ApplyRateToItems(lines, 1.5); // not a rate: items stay
        QCOMPARE(t.discounted, 211.0);

        // The card covers the last line first: 30 of it, then 120 of the first; 30 is not its to cover.
        double card = 150;
        QCOMPARE(ApplyDiscountToItems(lines | std::views::reverse, card, true), 30.0 + 80);
        QCOMPARE(lines[0].discountedAmount, 80.0);
        QCOMPARE(lines[2].discountedAmount, 0.0);
        QCOMPARE(SumItems(lines).discounted, 80.0 + 27);
        QCOMPARE(card, 150.0);
    }

    void discountSwitch_data() { testdb::addBackendRows(); }
    void discountSwitch()
    {
        QFETCH(QString, backend);
        auto& c = clinic(backend);
        const QString path = testdb::isolateSettings();
        QVERIFY(ReadDiscountSwitch()); // no settings file: on, nothing written
        QVERIFY(!QFile::exists(path));
        settings::createKey();
        QVERIFY(ReadDiscountSwitch()); // no value yet: on, and stored
        QCOMPARE(settings::readValue(QStringLiteral("FeeDiscout")), QStringLiteral("1"));

        const DiscountSettings s = settingsFrom(QStringLiteral("item=1 vip fee other"));
        const DiscountChoiceInputs in{QStringLiteral("P1"), 250, 0};
        DiscountState state;
        DiscountSwitchView view = SetDiscountSwitch(c, s, state, true, in);
        QVERIFY(view.discountFields && view.otherFree);
        QCOMPARE(state.mode, int(CurrentFee));
        QCOMPARE(state.value, 0.9);
        QCOMPARE(state.typeIndex, 6);

        view = SetDiscountSwitch(c, s, state, false, in);
        QVERIFY(!view.discountFields && !view.otherFree);
        QCOMPARE(state.value, 1.0);
        QCOMPARE(state.note, kNoDiscountEntry);
        QVERIFY(!ReadDiscountSwitch());
        QCOMPARE(settings::readValue(QStringLiteral("FeeDiscout")), QStringLiteral("0"));

        // Family 0 with nothing to list: back on, no entry is selected, so nothing is evaluated
        // and the mode stays off (no settings' mode forced in behind the cashier's back).
        const DiscountSettings items = settingsFrom(QStringLiteral("item=0"));
        state = DiscountState{};
        SetDiscountSwitch(c, items, state, false, in);
        QCOMPARE(state.mode, int(DiscountOff));
        const DiscountState before = state;
        view = SetDiscountSwitch(c, items, state, true, in);
        QVERIFY(view.discountFields && !view.otherFree);
        QCOMPARE(state.mode, int(DiscountOff));
        QCOMPARE(state.value, before.value);
        QCOMPARE(state.note, before.note);
        QVERIFY(ReadDiscountSwitch());
    }

    void standardItemTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("items");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<double>("total"); // discounted total afterwards
        QTest::newRow("approved rate, yes") << 0 << "100d 50n" << true << true << 130.0;
        QTest::newRow("member rate, no") << 1 << "100d 50n" << false << true << 150.0;
        QTest::newRow("catalogue rates: no question") << 2 << "100d" << true << false << 100.0;
        QTest::newRow("rank per item: no question") << 3 << "100d" << true << false << 100.0;
        QTest::newRow("empty list: no question") << 0 << "" << true << false << 0.0;
    }
    void standardItemTypes()
    {
        QFETCH(int, type);
        QFETCH(QString, items);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(double, total);
        ScriptedPrompter prompter(answer);
        Prompter::Scope scope(&prompter);
        QList<DiscountItem> list = itemsFrom(items);
        QCOMPARE(ChangeStandardDiscountType(list, type, 0.8), asked && answer);
        QCOMPARE(prompter.asked, asked ? QStringList{kRecalculateQuestion} : QStringList{});
        QCOMPARE(SumItems(list).discounted, total);
    }

    void standardItemTypeTexts()
    {
        QCOMPARE(standardDiscountTypeTexts(), (QStringList{"根据领导批准的折扣打折", "根据VIP会员设定打折",
                                                           "根据收费标准设定打折", "根据会员级别按项目打折"}));
        const QStringList notes{"根据领导批准的折扣打折", "根据VIP折扣", "根据收费项目折扣", "根据会员级别按项目打折"};
        for (int type = 0; type < 4; ++type) {
            QCOMPARE(standardDiscountNote(type), notes[type]);
            QCOMPARE(standardTypeHidesDiscountField(type), type >= 2);
        }
        QVERIFY(standardDiscountNote(-1).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDiscounts)
#include "tst_discounts.moc"
