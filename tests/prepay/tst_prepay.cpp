// Prepaid balances, the prepayment check, prepayment use and member points, on every backend.
#include "common/Prompter.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayCheck.h"
#include "prepay/PrePayUse.h"
#include "prepay/VipGrade.h"
#include "tests/support/TestDb.h"
#include <QTest>
#include <limits>
#include <tuple>

using namespace db;
using namespace prepay;

namespace {

const QString noAccount = QStringLiteral("该患者没有可支配的预付费金额！");
const QString nothingLeft = QStringLiteral("该患者可使用的预付费金额为零，不能再使用!");
const QString pointsFailed = QStringLiteral("会员积分自动修改不成功，请手工修改该会员的积分！");
const QDateTime when(QDate(2024, 3, 5), QTime(9, 30, 0));

class RecordingPrompter : public Prompter {
public:
    QStringList shown;
    void inform(const QString& text) override { shown << text; }
    bool ask(const QString& text, Buttons) override
    {
        shown << text;
        return false;
    }
};

qint32 newAccount(Connection& c, const QString& code = QStringLiteral("M001"), const QVariant& points = QVariant(),
                  const QString& card = QStringLiteral("旧卡"))
{
    return qint32(AddRecord(c, QStringLiteral("PrePay_Table"),
                            {{QStringLiteral("VIP_CODE"), code},
                             {QStringLiteral("VIP_grade_value"), points},
                             {QStringLiteral("VIP_card_type"), card}}));
}

void link(Connection& c, const QString& patient, const QVariant& account)
{
    AddRecord(c, QStringLiteral("PrePayUserSheet_Table"),
              {{QStringLiteral("Patient_Code"), patient}, {QStringLiteral("PrePayer_ID"), account}});
}

void move(Connection& c, qint32 account, int io, const QVariant& money, const QVariant& bonus)
{
    AddRecord(c, QStringLiteral("PrePayReg_Table"),
              {{QStringLiteral("PrePayer_ID"), account},
               {QStringLiteral("PrePay_IO"), io},
               {QStringLiteral("PrePay_Money"), money},
               {QStringLiteral("PreferMoney"), bonus}});
}

void use(Connection& c, qint32 account, const QVariant& sheet, const QVariant& amount)
{
    AddRecord(c, QStringLiteral("PrePayUseReg_Table"),
              {{QStringLiteral("PrePayer_ID"), account},
               {QStringLiteral("PaySheetID"), sheet},
               {QStringLiteral("Payed_Money"), amount},
               {QStringLiteral("Patient_Code"), QStringLiteral("旧")},
               {QStringLiteral("Checker"), QStringLiteral("旧收款人")},
               {QStringLiteral("RegTime"), QDateTime(QDate(2020, 1, 1), QTime(8, 0))}});
}

QVariant num(const QString& token) { return token == QLatin1String("-") ? QVariant() : QVariant(token.toDouble()); }

// "in M B; out M B; io2 M B; use SHEET AMOUNT; other in M B; …", "-" for NULL. Rows marked
// "other" go to a second account.
void book(Connection& c, qint32 account, qint32 other, const QString& script)
{
    for (QString step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QStringList w = step.simplified().split(QLatin1Char(' '));
        qint32 to = account;
        if (w.first() == QLatin1String("other")) {
            to = other;
            w.removeFirst();
        }
        if (w[0] == QLatin1String("use"))
            use(c, to, num(w[1]), num(w[2]));
        else
            move(c, to, w[0] == QLatin1String("in") ? 0 : w[0] == QLatin1String("out") ? 1 : 2, num(w[1]),
                 num(w[2]));
    }
}

// A data row named "backend/name", its backend column filled.
QTestData& row(const QString& backend, const char* name)
{
    return QTest::newRow(qPrintable(backend + QLatin1Char('/') + QLatin1String(name))) << backend;
}

qint64 count(Connection& c, const QString& sql, const QVariantList& values = {})
{
    return toInteger(scalar(c, sql, values));
}

} // namespace

class TestPrePay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void balances_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("booked");
        QTest::addColumn<int>("exceptSheet");
        QTest::addColumn<double>("full");
        QTest::addColumn<double>("withoutSheet");
        const QString example = QStringLiteral("in 500 50; out 100 10; use 7 70; use 8 50");
        for (const QString& b : testdb::backends()) {
            row(b, "deposit, withdrawal, bonus, uses") << example << 99 << 320.0 << 320.0;
            row(b, "the record's own uses left out") << example << 7 << 320.0 << 390.0;
            row(b, "nothing booked") << QString() << 7 << 0.0 << 0.0;
            row(b, "NULL amounts count 0")
                << QStringLiteral("in 500 -; in - 30; out - 10; use 9 -; use 8 20") << 9 << 500.0
                                        << 500.0;
            // A use without a record number is no other record's use: NULL <> 9 is not true.
            row(b, "use without a record number") << QStringLiteral("in 100 0; use - 20") << 9 << 80.0 << 100.0;
            row(b, "other accounts and directions ignored")
                << QStringLiteral("in 100 0; other in 1000 5; other use 1 5; io2 50 5") << 1 << 100.0 << 100.0;
            row(b, "overdrawn") << QStringLiteral("in 100 0; out 150 0") << 1 << -50.0 << -50.0;
        }
    }
    void balances()
    {
        QFETCH(QString, backend);
        QFETCH(QString, booked);
        QFETCH(int, exceptSheet);
        QFETCH(double, full);
        QFETCH(double, withoutSheet);
        auto c = testdb::open(backend);
        const qint32 account = newAccount(*c);
        book(*c, account, newAccount(*c, QStringLiteral("M002")), booked);
        QCOMPARE(GetPrePayTotalMoney(*c, account), full);
        QCOMPARE(GetPrePayBalanceExceptSheet(*c, account, exceptSheet), withoutSheet);
        QCOMPARE(GetPrePayTotalMoney(*c, 999999), 0.0); // no such account
    }

    // Each sum is read on its own: one that cannot be read counts 0 and every other sum stands.
    // (In 500 with bonus 50, out 100 with bonus 10, uses 70 and 50; the record left out is 99.)
    void aFailedSumChangesNoOther_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("balance"); // "full" or "except"
        QTest::addColumn<int>("failing");     // the sum that fails, in reading order
        QTest::addColumn<double>("expected");
        for (const QString& b : testdb::backends()) {
            // Both balances read the same five sums (record 99 has no uses of its own).
            const QList<std::pair<const char*, double>> sums{
                {"deposits", -180.0}, {"deposit bonus", 270.0}, {"withdrawals", 420.0}, {"withdrawal bonus", 330.0}, {"uses", 440.0}};
            for (const char* balance : {"full", "except"})
                for (int i = 0; i < sums.size(); ++i)
                    QTest::newRow(qPrintable(b + u'/' + QLatin1String(balance) + u'/' + QLatin1String(sums[i].first)))
                        << b << balance << i + 1 << sums[i].second;
        }
    }
    void aFailedSumChangesNoOther()
    {
        QFETCH(QString, backend);
        QFETCH(QString, balance);
        QFETCH(int, failing);
        QFETCH(double, expected);
        auto c = testdb::open(backend);
        const qint32 account = newAccount(*c);
        book(*c, account, 0, QStringLiteral("in 500 50; out 100 10; use 7 70; use 8 50"));
        const auto read = [&](QString* failure) {
            return balance == QLatin1String("full") ? GetPrePayTotalMoney(*c, account, failure)
                                                    : GetPrePayBalanceExceptSheet(*c, account, 99, failure);
        };
        c->failStatementAfter(failing);
        QString failure;
        QCOMPARE(read(&failure), expected);
        c->clearFault();
        QVERIFY2(failure.contains(QLatin1String("injected fault")), qPrintable(failure)); // the caller learns why
        failure.clear();
        QCOMPARE(read(&failure), 320.0);
        QCOMPARE(failure, QString());
    }

    // An older clinic database without PreferMoney: both balances count no bonus, keep every
    // other sum and say which column they could not read.
    void databaseWithoutBonusColumn_data() { testdb::addBackendRows(); }
    void databaseWithoutBonusColumn()
    {
        QFETCH(QString, backend);
        // An older clinic database: none of the sums this program keeps, no bonus column, so
        // no index over it either.
        auto c = testdb::open(backend, false);
        schema::migrate(*c, 6);
        const qint32 account = newAccount(*c);
        book(*c, account, 0, QStringLiteral("in 500 50; out 100 10; use 7 70; use 8 50"));
        c->execute(QStringLiteral("DROP INDEX ix_PrePayReg_Table_PrePayer_ID"));
        c->execute(QStringLiteral("ALTER TABLE PrePayReg_Table DROP COLUMN PreferMoney"));
        QString failure;
        QCOMPARE(GetPrePayTotalMoney(*c, account, &failure), 280.0);
        QVERIFY2(failure.contains(QLatin1String("PreferMoney"), Qt::CaseInsensitive), qPrintable(failure));
        failure.clear();
        QCOMPARE(GetPrePayBalanceExceptSheet(*c, account, 99, &failure), 280.0);
        QVERIFY2(failure.contains(QLatin1String("PreferMoney"), Qt::CaseInsensitive), qPrintable(failure));
    }

    void check_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("patient");
        QTest::addColumn<int>("resettle");
        QTest::addColumn<int>("flagIn");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("flagOut");
        QTest::addColumn<QString>("account"); // A B C D, "0", or "-" for untouched
        QTest::addColumn<double>("balance");  // -1: untouched
        QTest::addColumn<QString>("message");
        for (const QString& b : testdb::backends()) {
            row(b, "not asked: nothing touched") << "P-A" << 0 << 0 << 0 << 0 << 0 << "-" << -1.0 << "";
            row(b, "only flag 1 asks") << "P-A" << 0 << 2 << 0 << 0 << 2 << "-" << -1.0 << "";
            row(b, "positive balance") << "P-A" << 0 << 1 << 0 << 0 << 1 << "A" << 100.0 << "";
            row(b, "no link") << "P-NONE" << 0 << 1 << 0 << 1 << 0 << "0" << -1.0 << noAccount;
            row(b, "link to account 0") << "P-0" << 0 << 1 << 0 << 1 << 0 << "0" << -1.0 << noAccount;
            row(b, "zero balance") << "P-B" << 0 << 1 << 0 << 1 << 0 << "B" << -1.0 << nothingLeft;
            row(b, "overdrawn") << "P-D" << 0 << 1 << 0 << 1 << 0 << "D" << -1.0 << nothingLeft;
            row(b, "used up, first settlement") << "P-C" << 0 << 1 << 5 << 1 << 0 << "C" << -1.0 << nothingLeft;
            row(b, "re-settling the record that used it") << "P-C" << 1 << 1 << 5 << 0 << 1 << "C" << 50.0 << "";
            row(b, "re-settling another record") << "P-C" << 1 << 1 << 6 << 1 << 0 << "C" << -1.0 << nothingLeft;
            row(b, "last link wins (usable)") << "P-BA" << 0 << 1 << 0 << 0 << 1 << "A" << 100.0 << "";
            row(b, "last link wins (empty)") << "P-AB" << 0 << 1 << 0 << 1 << 0 << "B" << -1.0 << nothingLeft;
            row(b, "link without account ignored") << "P-AN" << 0 << 1 << 0 << 0 << 1 << "A" << 100.0 << "";
            row(b, "case and trailing blanks ignored") << "p-t" << 0 << 1 << 0 << 0 << 1 << "A" << 100.0 << "";
            row(b, "leading blank counts") << " P-A" << 0 << 1 << 0 << 1 << 0 << "0" << -1.0 << noAccount;
            row(b, "quote in the code") << "P-A' OR '1'='1" << 0 << 1 << 0 << 1 << 0 << "0" << -1.0 << noAccount;
        }
    }
    void check()
    {
        QFETCH(QString, backend);
        QFETCH(QString, patient);
        QFETCH(int, resettle);
        QFETCH(int, flagIn);
        QFETCH(int, sheet);
        QFETCH(int, result);
        QFETCH(int, flagOut);
        QFETCH(QString, account);
        QFETCH(double, balance);
        QFETCH(QString, message);
        auto c = testdb::open(backend);
        QMap<QString, qint32> id{{QStringLiteral("0"), 0}, {QStringLiteral("-"), -7}};
        for (const char* a : {"A", "B", "C", "D"}) id[QLatin1String(a)] = newAccount(*c, QLatin1String(a));
        book(*c, id["A"], 0, QStringLiteral("in 100 0"));
        book(*c, id["C"], 0, QStringLiteral("in 50 0; use 5 50"));
        book(*c, id["D"], 0, QStringLiteral("in 10 0; out 30 0"));
        for (const char* a : {"A", "B", "C", "D"})
            link(*c, QStringLiteral("P-") + QLatin1String(a), id[QLatin1String(a)]);
        link(*c, QStringLiteral("P-BA"), id["B"]);
        link(*c, QStringLiteral("P-BA"), id["A"]);
        link(*c, QStringLiteral("P-AB"), id["A"]);
        link(*c, QStringLiteral("P-AB"), id["B"]);
        link(*c, QStringLiteral("P-AN"), id["A"]);
        link(*c, QStringLiteral("P-AN"), QVariant());
        link(*c, QStringLiteral("P-0"), 0);
        link(*c, QStringLiteral("P-T  "), id["A"]);

        // Both entry points, same inputs, same answers.
        for (bool info1 : {false, true}) {
            RecordingPrompter prompter;
            Prompter::Scope scope(&prompter);
            qint32 flag = flagIn;
            qint32 gotAccount = -7;
            double gotBalance = -1;
            if (flagIn != 1) c->failStatementAfter(1); // proves that no statement runs
            const int got = info1 ? GetPrePayInfo1(*c, resettle, flag, patient, gotAccount, sheet)
                                  : CheckPrePayAccount(*c, resettle, flag, patient, gotAccount, gotBalance, sheet);
            if (flagIn != 1) QVERIFY_THROWS_EXCEPTION(db::Error, scalar(*c, QStringLiteral("SELECT 1")));
            QCOMPARE(got, result);
            QCOMPARE(flag, flagOut);
            QCOMPARE(gotAccount, id.value(account));
            if (!info1) QCOMPARE(gotBalance, balance);
            QCOMPARE(prompter.shown, message.isEmpty() ? QStringList() : QStringList{message});
        }
    }

    void recordUse_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("hadUse");
        QTest::addColumn<int>("resettle");
        QTest::addColumn<int>("paid");
        QTest::addColumn<bool>("withAccount");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("useAfter");
        for (const QString& b : testdb::backends()) {
            row(b, "first settlement adds") << false << 0 << 1 << true << true << true;
            row(b, "re-settled from prepayment changes") << true << 1 << 1 << true << true << true;
            row(b, "re-settled otherwise deletes") << true << 1 << 0 << true << true << false;
            row(b, "re-settled from prepayment after cash adds") << false << 1 << 1 << true << true << true;
            row(b, "re-settled otherwise, nothing to delete") << false << 1 << 0 << true << true << false;
            row(b, "a new use needs an account") << false << 0 << 1 << false << false << false;
        }
    }
    void recordUse()
    {
        QFETCH(QString, backend);
        QFETCH(bool, hadUse);
        QFETCH(int, resettle);
        QFETCH(int, paid);
        QFETCH(bool, withAccount);
        QFETCH(bool, ok);
        QFETCH(bool, useAfter);
        auto c = testdb::open(backend);
        const qint32 account = newAccount(*c);
        if (hadUse) use(*c, account, 7, 40.0);
        use(*c, account, 8, 10.0); // another settlement's use stays as it is

        QCOMPARE(RecordPrePayUse(*c, resettle, paid, QStringLiteral("P001"), 60.5, QStringLiteral("张会计"), when,
                                 QStringLiteral("备注"), 7, withAccount ? account : 0),
                 ok);

        Query q(*c, QStringLiteral("SELECT * FROM PrePayUseReg_Table WHERE PaySheetID=?"), {7});
        q.exec();
        if (useAfter) {
            QVERIFY(q.next());
            QCOMPARE(q.integer(QStringLiteral("PrePayer_ID")), qint64(account));
            QCOMPARE(q.text(QStringLiteral("Patient_Code")), QStringLiteral("P001"));
            QCOMPARE(q.number(QStringLiteral("Payed_Money")), 60.5);
            QCOMPARE(q.text(QStringLiteral("Checker")), QStringLiteral("张会计"));
            QCOMPARE(q.dateTime(QStringLiteral("RegTime")), when);
            QCOMPARE(q.text(QStringLiteral("note")), QStringLiteral("备注"));
        }
        QVERIFY(!q.next());
        QCOMPARE(toNumber(scalar(*c, QStringLiteral("SELECT Sum(Payed_Money) FROM PrePayUseReg_Table"
                                                     " WHERE PaySheetID=8"))),
                 10.0);
    }

    void points_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QVariant>("before");
        QTest::addColumn<double>("points");
        QTest::addColumn<QString>("card"); // the card type after; "旧卡" = unchanged
        QTest::addColumn<bool>("moved");
        for (const QString& b : testdb::backends()) {
            row(b, "up a band") << QVariant(90.0) << 20.0 << "金卡" << true;
            row(b, "same band") << QVariant(90.0) << 5.0 << "旧卡" << false;
            row(b, "two bands up") << QVariant(90.0) << 500.0 << "钻石卡" << true;
            // A total in no band (on a bound, past every band) keeps the grade the member has.
            row(b, "onto a bound keeps the grade") << QVariant(90.0) << 10.0 << "旧卡" << false;
            row(b, "off a bound into a band") << QVariant(100.0) << 1.0 << "金卡" << true;
            row(b, "a hair off a bound counts as on it") << QVariant(99.80000000000001) << 0.2 << "旧卡" << false;
            row(b, "past every band keeps the grade") << QVariant(400.0) << 100000.0 << "旧卡" << false;
            row(b, "refund moves down") << QVariant(110.0) << -20.0 << "银卡" << true;
            row(b, "refund within the band") << QVariant(300.0) << -100.0 << "旧卡" << false;
            row(b, "NULL total counts 0") << QVariant() << 50.0 << "银卡" << true;
            row(b, "beyond every band") << QVariant(100000.0) << 5.0 << "旧卡" << false;
        }
    }
    void points()
    {
        QFETCH(QString, backend);
        QFETCH(QVariant, before);
        QFETCH(double, points);
        QFETCH(QString, card);
        QFETCH(bool, moved);
        auto c = testdb::open(backend);
        const qint32 account = membersWithBands(*c, before);

        RecordingPrompter prompter;
        Prompter::Scope scope(&prompter);
        QCOMPARE(VipGradeSet(*c, QStringLiteral("M001"), QStringLiteral("王五"), points, 0, QStringLiteral("张会计"), when,
                             account, QString(), 31),
                 0);
        QCOMPARE(prompter.shown, QStringList());

        Query r(*c, QStringLiteral("SELECT * FROM Grade_Record_table"));
        r.exec();
        QVERIFY(r.next());
        QCOMPARE(r.text(QStringLiteral("VIP_CODE")), QStringLiteral("M001"));
        QCOMPARE(r.text(QStringLiteral("Ptn_Name")), QStringLiteral("王五"));
        QCOMPARE(r.number(QStringLiteral("Grade_value")), points);
        QCOMPARE(r.integer(QStringLiteral("Grade_auto")), 0);
        QCOMPARE(r.text(QStringLiteral("Grade_man")), QStringLiteral("张会计"));
        QCOMPARE(r.dateTime(QStringLiteral("Grade_date")), when);
        QCOMPARE(r.integer(QStringLiteral("VIP_ID")), qint64(account));
        QCOMPARE(r.integer(QStringLiteral("ReceiptID")), 31);
        QVERIFY(!r.next());

        QCOMPARE(toNumber(scalar(*c, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"), {account})),
                 toNumber(before) + points);
        QCOMPARE(toText(scalar(*c, QStringLiteral("SELECT VIP_card_type FROM PrePay_Table WHERE ID=?"), {account})),
                 card);
        Query up(*c, QStringLiteral("SELECT * FROM Grade_shengji_table"));
        up.exec();
        if (moved) {
            QVERIFY(up.next());
            QCOMPARE(up.text(QStringLiteral("VIP_CODE")), QStringLiteral("M001"));
            QCOMPARE(up.text(QStringLiteral("VIP_card_type")), card);
            QCOMPARE(up.integer(QStringLiteral("VIP_grade_type")), 1);
            QCOMPARE(up.dateTime(QStringLiteral("VIP_Grade_date")), when);
        }
        QVERIFY(!up.next());
        QCOMPARE(ranks(*c), (QStringList{moved ? card : QStringLiteral("旧卡"), moved ? card : QStringLiteral("旧卡"),
                                         QStringLiteral("他人")}));
    }

    void pointsAccount_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("account"); // 1: the member's own account, 2: one that does not exist
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("booked");
        QTest::addColumn<bool>("message");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        for (const QString& b : testdb::backends()) {
            row(b, "found by member code") << "m001  " << 0 << 20.0 << true << false;
            row(b, "negative account looks up too") << "M001" << -1 << 20.0 << true << false;
            row(b, "member code without account") << "M999" << 0 << 20.0 << false << false;
            row(b, "quote in the member code") << "M001' OR '1'='1" << 0 << 20.0 << false << false;
            row(b, "the account given wins") << "M999" << 1 << 20.0 << true << false;
            row(b, "account that does not exist") << "M001" << 2 << 20.0 << false << true;
            row(b, "points not a number") << "M001" << 1 << nan << false << true;
            row(b, "points out of range") << "M001" << 1 << 1e308 << false << true;
            row(b, "points taking the total out of range") << "M001" << 1 << 1e9 - 10.0 << false << true;
        }
    }
    void pointsAccount()
    {
        QFETCH(QString, backend);
        QFETCH(QString, code);
        QFETCH(int, account);
        QFETCH(double, points);
        QFETCH(bool, booked);
        QFETCH(bool, message);
        auto c = testdb::open(backend);
        const qint32 own = membersWithBands(*c, 90.0);
        const qint32 given = account == 1 ? own : account == 2 ? own + 100 : account;

        RecordingPrompter prompter;
        Prompter::Scope scope(&prompter);
        QString failure;
        QCOMPARE(VipGradeSet(*c, code, QStringLiteral("王五"), points, 1, QStringLiteral("张会计"), when, given,
                             QString(), 0, &failure),
                 0);
        QCOMPARE(prompter.shown, message ? QStringList{pointsFailed} : QStringList());
        QCOMPARE(failure.isEmpty(), !message); // the reason goes with the message
        QCOMPARE(count(*c, QStringLiteral("SELECT count(*) FROM Grade_Record_table")), booked ? 1 : 0);
        QCOMPARE(toNumber(scalar(*c, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"), {own})),
                 booked ? 110.0 : 90.0);
    }

    // Every statement of a booking fails in turn: each time nothing at all is kept and the
    // cashier is told; then it runs through whole.
    void pointsAreBookedWholeOrNotAtAll_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<double>("points");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral("/band change"))) << b << 20.0;
            QTest::newRow(qPrintable(b + QStringLiteral("/same band"))) << b << 5.0;
        }
    }
    void pointsAreBookedWholeOrNotAtAll()
    {
        QFETCH(QString, backend);
        QFETCH(double, points);
        auto c = testdb::open(backend);
        const qint32 account = membersWithBands(*c, 90.0);
        const auto state = [&] {
            return QStringList{toText(scalar(*c, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table"))),
                               toText(scalar(*c, QStringLiteral("SELECT VIP_card_type FROM PrePay_Table"))),
                               toText(scalar(*c, QStringLiteral("SELECT count(*) FROM Grade_Record_table"))),
                               toText(scalar(*c, QStringLiteral("SELECT count(*) FROM Grade_shengji_table")))}
                + ranks(*c);
        };
        const QStringList untouched = state();
        int failures = 0;
        for (int n = 1;; ++n) {
            RecordingPrompter prompter;
            Prompter::Scope scope(&prompter);
            c->failStatementAfter(n);
            VipGradeSet(*c, QStringLiteral("M001"), QStringLiteral("王五"), points, 0, QStringLiteral("张会计"), when,
                        account, QString(), 31);
            c->clearFault();
            if (prompter.shown.isEmpty()) break;
            QCOMPARE(prompter.shown, QStringList{pointsFailed});
            QCOMPARE(state(), untouched);
            ++failures;
        }
        QVERIFY(failures >= 4);
        QCOMPARE(state()[0].toDouble(), 90.0 + points);
    }

    // A booking that fails for real inside a caller's larger save undoes only itself: on
    // PostgreSQL the caller's transaction would otherwise be unusable.
    void failuresInsideACallersSaveLeaveItUsable_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("points");
        for (const QString& b : testdb::backends()) {
            QTest::newRow(qPrintable(b + QStringLiteral("/prepayment use"))) << b << false;
            QTest::newRow(qPrintable(b + QStringLiteral("/member points"))) << b << true;
        }
    }
    void failuresInsideACallersSaveLeaveItUsable()
    {
        QFETCH(QString, backend);
        QFETCH(bool, points);
        auto c = testdb::open(backend);
        const qint32 account = membersWithBands(*c, 90.0);
        RecordingPrompter prompter;
        Prompter::Scope scope(&prompter);
        {
            Transaction save(*c);
            move(*c, account, 0, 100.0, 0.0);
            if (points) {
                c->execute(QStringLiteral("DROP TABLE Grade_shengji_table"));
                VipGradeSet(*c, QStringLiteral("M001"), QString(), 20.0, 0, QString(), when, account, QString(), 0);
                QCOMPARE(prompter.shown, QStringList{pointsFailed});
            } else {
                c->execute(QStringLiteral("DROP TABLE PrePayUseReg_Table"));
                QVERIFY(!RecordPrePayUse(*c, 0, 1, QStringLiteral("P001"), 10.0, QString(), when, QString(), 7,
                                         account));
            }
            move(*c, account, 1, 30.0, 0.0);
            save.commit();
        }
        QCOMPARE(count(*c, QStringLiteral("SELECT count(*) FROM PrePayReg_Table")), 2);
        QCOMPARE(count(*c, QStringLiteral("SELECT count(*) FROM Grade_Record_table")), 0);
        QCOMPARE(toNumber(scalar(*c, QStringLiteral("SELECT VIP_grade_value FROM PrePay_Table"))), 90.0);
    }

private:
    // Bands (0,100) 银卡, (100,500) 金卡, (500,100000) 钻石卡; member M001 with the given total
    // and card 旧卡, linked to patients P1 and "p2 " (and a NULL code); P3 is not linked.
    qint32 membersWithBands(Connection& c, const QVariant& total)
    {
        for (const auto& [lo, hi, card] :
             {std::tuple{0.0, 100.0, "银卡"}, {100.0, 500.0, "金卡"}, {500.0, 100000.0, "钻石卡"}})
            AddRecord(c, QStringLiteral("Grade_shengji_Calculate_table"),
                      {{QStringLiteral("VIP_min_value"), lo},
                       {QStringLiteral("VIP_max_value"), hi},
                       {QStringLiteral("VIP_card_type"), QString::fromUtf8(card)}});
        const qint32 account = newAccount(c, QStringLiteral("M001"), total);
        for (const QVariant& p : {QVariant(QStringLiteral("P1")), QVariant(QStringLiteral("p2 ")), QVariant()})
            AddRecord(c, QStringLiteral("VIP_PtnSheet_Table"),
                      {{QStringLiteral("VIP_ID"), account}, {QStringLiteral("Patient_Code"), p}}, QString());
        for (const char* p : {"P1", "P2", "P3"})
            AddRecord(c, QStringLiteral("病人简历表"),
                      {{QStringLiteral("病人编号"), QLatin1String(p)},
                       {QStringLiteral("VIP_Rank_Name"), p[1] == '3' ? QStringLiteral("他人") : QStringLiteral("旧卡")}},
                      QString());
        return account;
    }

    QStringList ranks(Connection& c)
    {
        QStringList out;
        for (const QVariant& v : FindRecordValue(c, QStringLiteral("SELECT VIP_Rank_Name FROM 病人简历表 ORDER BY 病人编号"), {},
                                                 QStringLiteral("VIP_Rank_Name")))
            out << toText(v);
        return out;
    }
};

QTEST_GUILESS_MAIN(TestPrePay)
#include "tst_prepay.moc"
