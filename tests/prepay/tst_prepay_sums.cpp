// The sums kept per prepaid account against the movements they summarise: whoever writes the
// movement tables (the module, a host's own statements, an edit, a delete, a rollback), every
// balance read from the sums equals the balance summed from the movements, to the fen; a
// database that had movements before it kept sums gets them when it is upgraded; and two desks
// in two processes spending one account never spend more than it holds.
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "prepay/PrePayBalance.h"
#include "prepay/PrePayUse.h"
#include "tests/settle/SettleFixture.h"
#include "tests/support/TestDb.h"
#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <iostream>
#include <string>

using namespace Qt::StringLiterals;

namespace {

const QList<qint32> accounts{1, 2, 3};
const QList<qint64> sheets{7, 8, 9};

// The balance summed from the movements themselves, as the balance rules define it; with a
// sheet, the uses of that payment record and those of none are left out.
qint64 resummedFen(db::Connection& c, qint32 account, std::optional<qint64> exceptSheet = std::nullopt)
{
    QVariantList values{account, account};
    QString uses = u"SELECT COALESCE(SUM(Payed_Money),0) FROM PrePayUseReg_Table WHERE PrePayer_ID=?"_s;
    if (exceptSheet) {
        uses += u" AND PaySheetID<>?"_s;
        values << *exceptSheet;
    }
    const QVariant v = db::scalar(
        c,
        u"SELECT (SELECT COALESCE(SUM(CASE WHEN PrePay_IO=0 THEN COALESCE(PrePay_Money,0)+COALESCE(PreferMoney,0)"
        " WHEN PrePay_IO=1 THEN -(COALESCE(PrePay_Money,0)+COALESCE(PreferMoney,0)) END),0)"
        " FROM PrePayReg_Table WHERE PrePayer_ID=?) - ("_s
            + uses + u")"_s,
        values);
    return money::toFen(db::toNumber(v));
}

// Every balance the module reads, for every account and payment record, against the re-sum.
// The settlement's own read (UsablePrePay) needs the kept sums: not before an upgrade.
void compareAll(db::Connection& c, const char* when, bool sumsKept = true)
{
    for (qint32 a : accounts) {
        const qint64 full = resummedFen(c, a);
        QString failure;
        QVERIFY2(money::toFen(prepay::GetPrePayTotalMoney(c, a, &failure)) == full,
                 qPrintable(u"%1: account %2 total %3, re-sum %4"_s.arg(QLatin1String(when)).arg(a)
                                .arg(prepay::GetPrePayTotalMoney(c, a)).arg(full)));
        QCOMPARE(failure, QString());
        if (sumsKept) QCOMPARE(money::toFen(prepay::UsablePrePay(c, a, std::nullopt)), full);
        for (qint64 s : sheets) {
            const qint64 except = resummedFen(c, a, s);
            QCOMPARE(money::toFen(prepay::GetPrePayBalanceExceptSheet(c, a, qint32(s))), except);
            if (sumsKept) QCOMPARE(money::toFen(prepay::UsablePrePay(c, a, s)), except);
        }
    }
}

QVariant maybeNull(QRandomGenerator& r, const QVariant& v) { return r.bounded(8) == 0 ? QVariant() : v; }
double fen(QRandomGenerator& r) { return r.bounded(1, 100000) / 100.0; }
QVariant someAccount(QRandomGenerator& r)
{
    return r.bounded(12) == 0 ? QVariant() : QVariant(accounts[r.bounded(qsizetype(accounts.size()))]);
}
QVariant someSheet(QRandomGenerator& r)
{
    return r.bounded(5) == 0 ? QVariant() : QVariant(sheets[r.bounded(qsizetype(sheets.size()))]);
}

// One random change to the movements, written as a host writes them: its own statements.
void randomChange(db::Connection& c, QRandomGenerator& r)
{
    switch (r.bounded(7)) {
    case 0:
    case 1:
        db::execute(c, u"INSERT INTO PrePayReg_Table (PrePayer_ID, PrePay_IO, PrePay_Money, PreferMoney) VALUES (?,?,?,?)"_s,
                    {someAccount(r), maybeNull(r, r.bounded(3)), maybeNull(r, fen(r)), maybeNull(r, r.bounded(0, 10000) / 100.0)});
        break;
    case 2:
    case 3:
        db::execute(c, u"INSERT INTO PrePayUseReg_Table (PrePayer_ID, PaySheetID, Payed_Money) VALUES (?,?,?)"_s,
                    {someAccount(r), someSheet(r), maybeNull(r, fen(r))});
        break;
    case 4: // an edit of any movement field the sums depend on, or of one they do not
        switch (r.bounded(5)) {
        case 0:
            db::execute(c, u"UPDATE PrePayReg_Table SET PrePay_Money=? WHERE ID % 5 = ?"_s, {maybeNull(r, fen(r)), r.bounded(5)});
            break;
        case 1:
            db::execute(c, u"UPDATE PrePayReg_Table SET PrePay_IO=?, PrePayer_ID=? WHERE ID % 7 = ?"_s,
                        {maybeNull(r, r.bounded(3)), someAccount(r), r.bounded(7)});
            break;
        case 2:
            db::execute(c, u"UPDATE PrePayUseReg_Table SET PaySheetID=?, Payed_Money=? WHERE ID % 4 = ?"_s,
                        {someSheet(r), maybeNull(r, fen(r)), r.bounded(4)});
            break;
        case 3:
            db::execute(c, u"UPDATE PrePayUseReg_Table SET PrePayer_ID=? WHERE ID % 6 = ?"_s, {someAccount(r), r.bounded(6)});
            break;
        default:
            db::execute(c, u"UPDATE PrePayReg_Table SET note=? WHERE ID % 3 = ?"_s, {u"改"_s, r.bounded(3)});
        }
        break;
    case 5:
        db::execute(c, (r.bounded(2) ? u"DELETE FROM PrePayReg_Table WHERE ID % 9 = ?"_s : u"DELETE FROM PrePayUseReg_Table WHERE ID % 9 = ?"_s),
                    {r.bounded(9)});
        break;
    default: // the module's own booking of a use, first or re-settled
        prepay::RecordPrePayUse(c, r.bounded(2), 1, u"P1"_s, fen(r), u"王收款"_s, settletest::kWhen, QString(),
                                qint32(sheets[r.bounded(qsizetype(sheets.size()))]), accounts[r.bounded(qsizetype(accounts.size()))]);
    }
}

// A desk in a process of its own: settles its receipts one after the other from the account,
// each for `amount`, once the parent says "go"; prints how many it settled.
int deskMain(const QStringList& a)
{
    auto c = db::Connection::open(a[0]);
    const qint32 account = qint32(a[1].toInt());
    const double amount = a[2].toDouble();
    std::cout << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    int settled = 0;
    for (const QString& receipt : a.mid(3)) {
        settle::SettlementRequest r = settletest::request(receipt.toLongLong(), amount, settle::PrePayment, amount);
        r.prepayAccount = account;
        if (settle::Settle(*c, r).ok) ++settled;
    }
    std::cout << settled << std::endl;
    return 0;
}

} // namespace

class TestPrePaySums : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hostsWritesKeepTheSums_data() { testdb::addBackendRows(); }
    void hostsWritesKeepTheSums()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend);
        QRandomGenerator r(20261211);
        for (int round = 0; round < 8; ++round) {
            for (int i = 0; i < 40; ++i) randomChange(*c, r);
            compareAll(*c, "after host writes");
            if (QTest::currentTestFailed()) return;
            // Changes rolled back take their sums with them, nested ones too.
            {
                db::Transaction outer(*c);
                for (int i = 0; i < 10; ++i) randomChange(*c, r);
                {
                    db::Transaction inner(*c);
                    for (int i = 0; i < 10; ++i) randomChange(*c, r);
                    inner.rollback();
                }
                compareAll(*c, "inside a transaction");
                if (QTest::currentTestFailed()) return;
            }
            compareAll(*c, "after a rollback");
            if (QTest::currentTestFailed()) return;
        }
        // The test did reach every kind of row it means to.
        QVERIFY(db::toInteger(db::scalar(*c, u"SELECT COUNT(*) FROM PrePayUseReg_Table WHERE PaySheetID IS NULL"_s)) > 0);
        QVERIFY(db::toInteger(db::scalar(*c, u"SELECT COUNT(*) FROM PrePayReg_Table WHERE PrePay_IO=1"_s)) > 0);
        QVERIFY(db::toInteger(db::scalar(*c, u"SELECT COUNT(*) FROM PrePayReg_Table WHERE PrePay_IO=2"_s)) > 0);
        // And emptying the tables leaves nothing behind (PostgreSQL: TRUNCATE fires no row trigger).
        c->execute(c->isSQLite() ? u"DELETE FROM PrePayReg_Table"_s : u"TRUNCATE PrePayReg_Table"_s);
        c->execute(c->isSQLite() ? u"DELETE FROM PrePayUseReg_Table"_s : u"TRUNCATE PrePayUseReg_Table"_s);
        compareAll(*c, "after emptying");
        // Nothing left is exactly nothing, not a trace the additions and subtractions left.
        for (qint32 a : accounts) {
            QCOMPARE(prepay::GetPrePayTotalMoney(*c, a), 0.0);
            QCOMPARE(prepay::UsablePrePay(*c, a, std::nullopt), 0.0);
        }
    }

    // A clinic that had movements before this program kept sums: upgrading sums them once.
    void upgradeSumsTheHistory_data() { testdb::addBackendRows(); }
    void upgradeSumsTheHistory()
    {
        QFETCH(QString, backend);
        auto c = testdb::open(backend, false);
        db::schema::migrate(*c, 6);
        QRandomGenerator r(7);
        for (int i = 0; i < 60; ++i) randomChange(*c, r);
        // Not yet upgraded: the balances are summed from the movements.
        compareAll(*c, "before the upgrade", false);
        db::schema::migrate(*c);
        QCOMPARE(db::toInteger(db::scalar(*c, u"SELECT COUNT(*) FROM PrePaySum_Table"_s)),
                 db::toInteger(db::scalar(*c, u"SELECT COUNT(DISTINCT PrePayer_ID) FROM (SELECT PrePayer_ID FROM PrePayReg_Table"
                                              " WHERE PrePay_IO IN (0,1) UNION ALL SELECT PrePayer_ID FROM PrePayUseReg_Table) AS m"_s)));
        compareAll(*c, "after the upgrade");
        for (int i = 0; i < 40; ++i) randomChange(*c, r);
        compareAll(*c, "after more writes");
    }

    // Two desks, two processes, one account that cannot pay for everything both want: each
    // settlement either takes its whole amount or nothing, the account never goes below zero,
    // and its sums still equal its movements.
    void twoDesksSpendOneAccount_data() { testdb::addBackendRows(); }
    void twoDesksSpendOneAccount()
    {
        QFETCH(QString, backend);
        settletest::Clinic k(backend);
        const qint32 account = k.account(u"P1"_s, 500);
        const int perDesk = 10;
        const double amount = 30;
        QList<QProcess*> desks;
        for (int d = 0; d < 2; ++d) {
            QStringList args{u"--desk"_s, k.url, QString::number(account), QString::number(amount)};
            for (int i = 0; i < perDesk; ++i) args << QString::number(k.receipt(amount));
            auto* p = new QProcess(this);
            p->start(QCoreApplication::applicationFilePath(), args);
            desks << p;
        }
        for (QProcess* p : desks) {
            QVERIFY(p->waitForStarted());
            while (!p->canReadLine()) QVERIFY2(p->waitForReadyRead(60000), p->readAllStandardError().constData());
            QCOMPARE(p->readLine().trimmed(), QByteArray("ready"));
        }
        for (QProcess* p : desks) {
            p->write("go\n");
            p->waitForBytesWritten();
        }
        int settled = 0;
        QList<int> each;
        for (QProcess* p : desks) {
            QVERIFY(p->waitForFinished(120000));
            each << p->readAllStandardOutput().trimmed().toInt();
            settled += each.last();
            delete p;
        }
        // 500 pays for 16 settlements of 30; the 17th would overdraw.
        QCOMPARE(settled, 16);
        QVERIFY2(each[0] > 0 && each[1] > 0, "both desks settled some");
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM 收费收据表 WHERE 付款='已付'"_s), settled);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM PrePayUseReg_Table WHERE PrePayer_ID=?"_s, {account}), settled);
        QCOMPARE(money::toFen(prepay::GetPrePayTotalMoney(*k.c, account)), money::toFen(500 - 16 * amount));
        QCOMPARE(money::toFen(prepay::GetPrePayTotalMoney(*k.c, account)), resummedFen(*k.c, account));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 4 && args[1] == QLatin1String("--desk")) return deskMain(args.mid(2));
    TestPrePaySums t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_prepay_sums.moc"
