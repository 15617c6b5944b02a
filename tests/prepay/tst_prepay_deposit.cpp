// 预付费交款: deposits refused for bad input with nothing written, booked to the fen with the
// balance following, the slip, and two desks (two processes) paying into one account at once.
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayDeposit.h"
#include "prepay/PrePayDepositForm.h"
#include "print/RecordingCanvas.h"
#include "settle/PaymentMethods.h"
#include "tests/receipt/ScriptedPrompter.h"
#include "tests/support/TestDb.h"
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace prepay;

namespace {

// Account 1 of patient P1 holding 100.00 (P2 has none); returns the account.
qint32 clinic(db::Connection& c)
{
    const qint32 id = qint32(db::AddRecord(c, u"PrePay_Table"_s, {{u"VIP_CODE"_s, u"P1"_s}, {u"PrePayer_Name"_s, u"张三"_s}}));
    db::AddRecord(c, u"PrePayUserSheet_Table"_s, {{u"PrePayer_ID"_s, id}, {u"Patient_Code"_s, u"P1"_s}});
    db::AddRecord(c, u"PrePayReg_Table"_s,
                  {{u"PrePayer_ID"_s, id}, {u"PrePay_IO"_s, 0}, {u"PrePay_Money"_s, 100.0}, {u"PreferMoney"_s, 0.0}});
    return id;
}

qint64 rows(db::Connection& c) { return db::toInteger(db::scalar(c, u"SELECT COUNT(*) FROM PrePayReg_Table"_s)); }

// One desk of the race: `count` deposits of 0.01, 0.02, … into the account, each its own
// transaction. Exits non-zero on the first one not booked.
int deskMain(const QString& url, qint32 account, int count, const QString& cashier)
{
    auto c = db::Connection::open(url);
    for (int i = 1; i <= count; ++i) {
        Deposit d{account, u"P1"_s, money::fromFen(i), settle::Cash, u"张三"_s, cashier, {}};
        const DepositResult r = depositPrePay(*c, d);
        if (!r.ok) {
            fprintf(stderr, "deposit %d refused: %s\n", i, qPrintable(r.message));
            return 1;
        }
    }
    return 0;
}

} // namespace

class TestPrePayDeposit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refused_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("account");  // 0: the clinic's account
        QTest::addColumn<QString>("patient");
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("cashier");
        QTest::addColumn<QString>("message");
        for (const QString& b : testdb::backends()) {
            const QByteArray n = b.toLatin1();
            QTest::addRow("%s zero", n.data()) << b << 0 << u"P1"_s << 0.0 << 0 << u"马丽"_s << kDepositNotPositive;
            QTest::addRow("%s negative", n.data()) << b << 0 << u"P1"_s << -5.0 << 0 << u"马丽"_s << kDepositNotPositive;
            QTest::addRow("%s below the fen", n.data()) << b << 0 << u"P1"_s << 12.345 << 0 << u"马丽"_s << kDepositNotFen;
            QTest::addRow("%s half a fen", n.data()) << b << 0 << u"P1"_s << 0.004 << 0 << u"马丽"_s << kDepositNotFen;
            QTest::addRow("%s huge", n.data()) << b << 0 << u"P1"_s << 1e300 << 0 << u"马丽"_s << money::kAmountOutOfRange;
            QTest::addRow("%s from prepayment", n.data()) << b << 0 << u"P1"_s << 10.0 << int(settle::PrePayment) << u"马丽"_s << kDepositMethod;
            QTest::addRow("%s no method", n.data()) << b << 0 << u"P1"_s << 10.0 << 9 << u"马丽"_s << kDepositMethod;
            QTest::addRow("%s nobody signed in", n.data()) << b << 0 << u"P1"_s << 10.0 << 0 << u" "_s << kDepositNoCashier;
            QTest::addRow("%s unknown account", n.data()) << b << 999 << u"P1"_s << 10.0 << 0 << u"马丽"_s << kDepositNoAccount;
            QTest::addRow("%s unknown account, no patient", n.data()) << b << 999 << QString() << 10.0 << 0 << u"马丽"_s << kDepositNoAccount;
            QTest::addRow("%s not the patient's", n.data()) << b << 0 << u"P2"_s << 10.0 << 0 << u"马丽"_s << kDepositNotAllowed;
        }
    }
    void refused()
    {
        QFETCH(QString, backend);
        QFETCH(int, account);
        QFETCH(QString, patient);
        QFETCH(double, amount);
        QFETCH(int, method);
        QFETCH(QString, cashier);
        QFETCH(QString, message);
        auto c = testdb::open(backend);
        const qint32 id = clinic(*c);
        const DepositResult r = depositPrePay(*c, {account ? account : id, patient, amount, method, u"张三"_s, cashier, {}});
        QVERIFY(!r.ok);
        QCOMPARE(r.message, message);
        QCOMPARE(rows(*c), 1);
        QCOMPARE(GetPrePayTotalMoney(*c, id), 100.0);
    }

    // The form finds the patient's account, refuses what is not a number, books to the fen
    // (0.1 + 0.2 on top of 100.00 is 100.30) and leaves the slip to print.
    void form_data() { testdb::addBackendRows(); }
    void form()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        const qint32 id = clinic(*c);
        PrePayDepositForm f(c, {u"P1"_s, u"张三"_s, u"马丽"_s, u"康复口腔"_s});
        f.open();
        QCOMPARE(f.account, id);
        QCOMPARE(f.balance, 100.0);
        ScriptedPrompter prompter;
        f.amountText = u"十元"_s;
        QVERIFY(!f.deposit());
        QCOMPARE(prompter.shown, QStringList{u"请输入一个数字。"_s});
        QCOMPARE(rows(*c), 1);

        prompter.shown.clear();
        QCOMPARE(PrePayDepositForm::methodTexts().value(1), u"银行卡刷卡"_s); // 预付费交款 is not offered
        for (const QString& amount : {u"0.1"_s, u"0.2"_s}) {
            f.amountText = amount;
            f.methodEntry = 1;
            QVERIFY(f.deposit());
        }
        QCOMPARE(prompter.shown, (QStringList{kDepositDone, kDepositDone}));
        QCOMPARE(money::toFen(f.balance), 10030);
        QCOMPARE(money::toFen(GetPrePayTotalMoney(*c, id)), 10030);
        db::Query q(*c, u"SELECT PrePay_Money, PreferMoney, PrePay_IO, PrePayType, Checker, PayMoney_Man, PayTime "
                        u"FROM PrePayReg_Table WHERE ID=?"_s, {f.slip.number});
        q.exec();
        QVERIFY(q.next());
        QCOMPARE(q.number(0), 0.2);
        QCOMPARE(q.number(1), 0.0);
        QCOMPARE(q.integer(2), 0);
        QCOMPARE(q.integer(3), qint64(settle::BankCard));
        QCOMPARE(q.text(4), u"马丽"_s);
        QCOMPARE(q.text(5), u"张三"_s);
        QCOMPARE(db::toDateTime(q.value(6)), f.slip.time);
        QCOMPARE(f.slip.method, u"银行卡刷卡"_s);
        QCOMPARE(f.slip.account, id);
        QCOMPARE(f.slip.cashier, u"马丽"_s);
        QCOMPARE(money::toFen(f.slip.balance), 10030);
        QVERIFY(f.printEnabled);
    }

    // The slip's every drawing call, against the golden file (CALVANE_UPDATE_GOLDEN=1 rewrites it).
    void slipPage()
    {
        PrePaySlip s{u"康复口腔"_s, 42, 7, u"张三"_s, u"P1001"_s, 200.5, u"现金"_s, u"张三"_s, u"马丽"_s,
                     QDateTime(QDate(2026, 3, 10), QTime(14, 5, 9)), 300.5};
        print::RecordingCanvas dc;
        drawPrePaySlip(dc, {}, &s);
        QVERIFY(dc.fontsRestored());
        QFile golden(QStringLiteral(GOLDEN_DIR "/prepay-slip.txt"));
        if (qEnvironmentVariableIsSet("CALVANE_UPDATE_GOLDEN")) {
            QVERIFY(golden.open(QIODevice::WriteOnly | QIODevice::Truncate));
            golden.write(dc.dump().toUtf8() + '\n');
            return;
        }
        QVERIFY(golden.open(QIODevice::ReadOnly));
        QCOMPARE(dc.calls(), QString::fromUtf8(golden.readAll()).trimmed().split(u'\n'));
    }

    // A patient without an account can pay nothing in.
    void formWithoutAccount_data() { testdb::addBackendRows(); }
    void formWithoutAccount()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        clinic(*c);
        PrePayDepositForm f(c, {u"P2"_s, u"李四"_s, u"马丽"_s, {}});
        f.open();
        QCOMPARE(f.account, 0);
        ScriptedPrompter prompter;
        f.amountText = u"50"_s;
        QVERIFY(!f.deposit());
        QCOMPARE(prompter.shown, QStringList{kDepositNoAccount});
        QCOMPARE(rows(*c), 1);
    }

    // Two desks, each its own process and connection, pay into one account at the same time:
    // every deposit lands and the balance is the sum of them all.
    void twoDesks_data() { testdb::addBackendRows(); }
    void twoDesks()
    {
        QFETCH(QString, backend);
        const QString url = testdb::freshUrl(backend);
        auto c = db::Connection::open(url);
        db::schema::migrate(*c);
        const qint32 id = clinic(*c);
        constexpr int each = 40;
        QList<QProcess*> desks;
        for (const QString& cashier : {u"马丽"_s, u"高洁"_s}) {
            auto* p = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"DEPOSIT_DESK"_s, u"%1|%2|%3|%4"_s.arg(url).arg(id).arg(each).arg(cashier));
            p->setProcessEnvironment(env);
            p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            desks << p;
        }
        for (QProcess* p : desks) p->start(QCoreApplication::applicationFilePath(), {});
        for (QProcess* p : desks) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
        // 2 × (0.01 + … + 0.40) = 16.40 on top of 100.00
        QCOMPARE(rows(*c), 1 + 2 * each);
        QCOMPARE(money::toFen(GetPrePayTotalMoney(*c, id)), 10000 + 2 * (each * (each + 1) / 2));
        for (const QString& cashier : {u"马丽"_s, u"高洁"_s})
            QCOMPARE(db::toInteger(db::scalar(*c, u"SELECT COUNT(*) FROM PrePayReg_Table WHERE Checker=?"_s, {cashier})), each);
    }
};

int main(int argc, char** argv)
{
    // Re-run as one desk of the race.
    const QString desk = qEnvironmentVariable("DEPOSIT_DESK");
    if (!desk.isEmpty()) {
        QCoreApplication app(argc, argv);
        const QStringList p = desk.split(u'|');
        try {
            return deskMain(p.value(0), p.value(1).toInt(), p.value(2).toInt(), p.value(3));
        } catch (const db::Error& e) {
            fprintf(stderr, "desk failed: %s\n", qPrintable(e.message()));
            return 2;
        }
    }
    QCoreApplication app(argc, argv);
    TestPrePayDeposit t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_prepay_deposit.moc"
