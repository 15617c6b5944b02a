// One settlement through the engine against the same statements written bare (sqlite3 and
// libpq, each statement prepared once), on SQLite and PostgreSQL; then, on PostgreSQL, four
// cashiers settling distinct receipts at once beside pgbench's TPC-B on the same server.
//
// Run: build/bin/bench_settlement (SQLite; PostgreSQL too when CALVANE_TEST_PG holds a
// maintenance URL). A run settles 20 fresh receipts; engine and bare runs take turns (the
// order flips every pair) and the median of 25 pairs' ratios is printed, after both sides'
// rows have been compared. The four cashiers settle 2,000 receipts each (in cash, then from
// prepayment), timed from when all four are connected; pgbench runs "-c 4 -j 4 -T 8" on a
// scale-4 database, taking turns with the cashiers for five rounds (medians are reported).
// "--desks" runs only the four cashiers and pgbench.
#include "BareSql.h"
#include "bench/support/Pairs.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "settle/PaymentRecord.h"
#include "settle/Settlement.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace
{

constexpr int kPerRun = 20;
constexpr int kPairs = 25;
constexpr double kPlenty = 1e9;
const QDateTime kWhen(QDate(2024, 3, 5), QTime(9, 30, 0));

struct Side {
    qint32 account = 0;
    qint64 voucher = 0;
    std::vector<qint64> receipts; // not yet settled, in order
};

QString newDatabase(const QString& backend, QTemporaryDir& dir, const QString& tag)
{
    if (backend == u"sqlite"_s) return u"sqlite:%1/%2.sqlite"_s.arg(dir.path(), tag);
    const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
    const QString name = u"calvane_bench_%1_%2"_s.arg(tag).arg(QCoreApplication::applicationPid());
    auto a = db::Connection::open(admin);
    a->execute(u"DROP DATABASE IF EXISTS %1"_s.arg(name));
    a->execute(u"CREATE DATABASE %1"_s.arg(name));
    QUrl u(admin);
    u.setPath(u'/' + name);
    return u.toString();
}

Side newSide(db::Connection& c, int receipts)
{
    Side s;
    s.account = qint32(db::AddRecord(c, u"PrePay_Table"_s, {{u"VIP_CODE"_s, u"B"_s}}));
    db::AddRecord(c, u"PrePayReg_Table"_s, {{u"PrePayer_ID"_s, s.account}, {u"PrePay_IO"_s, 0}, {u"PrePay_Money"_s, kPlenty}});
    s.voucher = db::AddRecord(c, u"PreferManagement_table"_s,
                              {{u"Card_Cover_Code"_s, u"V%1"_s.arg(s.account)}, {u"Card_Kind_Type"_s, 0},
                               {u"Card_Left_Fee"_s, kPlenty}, {u"Card_Is_Takenback"_s, 2}});
    db::Transaction tx(c);
    for (int i = 0; i < receipts; ++i)
        s.receipts.push_back(db::AddRecord(c, u"收费收据表"_s,
                                           {{u"病历号"_s, 101}, {u"病人姓名"_s, u"张三"_s}, {u"挂号费"_s, 120.0},
                                            {u"合计"_s, 120.0}, {u"付款"_s, u"未付"_s}}));
    tx.commit();
    return s;
}

settle::SettlementRequest requestFor(qint64 receipt, int method, const Side& side)
{
    settle::PaymentRecord p;
    p.caseNumber = 101;
    p.receiptId = receipt;
    p.total = p.amountDue = p.collected = 120;
    p.cashier = u"王收款"_s;
    p.date = kWhen;
    p.method = method;
    // Cash takes the whole amount in cash; another method takes 100 of it and 20 in cash.
    p.methodAmount = method == settle::Cash ? 0 : 100;
    p.cash = 120 - p.methodAmount;
    p.voucherId = method == settle::Voucher ? side.voucher : 0;
    settle::SettlementRequest r;
    r.receiptId = receipt;
    r.caseNumber = 101;
    r.receiptFields = {{u"收款人"_s, p.cashier}, {u"备注"_s, QString()}, {u"日期"_s, p.date}, {u"医生姓名"_s, u"李医生"_s},
                       {u"科室"_s, u"口腔科"_s}, {u"医生编号"_s, u"D2"_s}, {u"护士"_s, QString()}};
    r.paymentFields = settle::CheckoutPaymentFields(p);
    r.method = method;
    r.methodAmount = p.methodAmount;
    r.patientNumber = u"P1"_s;
    r.cashier = p.cashier;
    r.date = kWhen;
    r.prepayAccount = side.account;
    r.voucher = {side.voucher, u"V"_s, 0, 100};
    return r;
}

// The engine's statements, prepared once on the bare client.
struct BareSettlement {
    BareSql& sql;
    int markPaid, record, lock, usable, addUse, debit, left;

    BareSettlement(BareSql& s, int method, const Side& side) : sql(s)
    {
        const settle::SettlementRequest r = requestFor(0, method, side);
        QStringList sets{u"付款=?"_s};
        for (const auto& f : r.receiptFields) sets << f.first + u"=?"_s;
        markPaid = sql.prepare(u"UPDATE 收费收据表 SET %1 WHERE ID=? AND 付款=?"_s.arg(sets.join(u',')));
        QStringList names;
        for (const auto& f : r.paymentFields) names << f.first;
        record = sql.prepare(u"INSERT INTO 病历收费单 (%1) VALUES (%2) RETURNING 病历收费编号"_s.arg(
            names.join(u','), QStringList(names.size(), u"?"_s).join(u',')));
        lock = sql.prepare(u"SELECT ID FROM PrePay_Table WHERE ID=?"_s + (sql.isSQLite() ? QString() : u" FOR UPDATE"_s));
        usable = sql.prepare(u"SELECT (SELECT COALESCE(SUM(CASE WHEN PrePay_IO=0 THEN COALESCE(PrePay_Money,0)+COALESCE(PreferMoney,0)"
                             " WHEN PrePay_IO=1 THEN -(COALESCE(PrePay_Money,0)+COALESCE(PreferMoney,0)) END),0)"
                             " FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO IN (0,1))"
                             " - (SELECT COALESCE(SUM(Payed_Money),0) FROM PrePayUseReg_Table WHERE PrePayer_ID=?) AS Usable"_s);
        addUse = sql.prepare(u"INSERT INTO PrePayUseReg_Table (PrePayer_ID,Patient_Code,PaySheetID,Payed_Money,Checker,"
                             "RegTime,note) VALUES (?,?,?,?,?,?,?) RETURNING ID"_s);
        debit = sql.prepare(
            u"UPDATE PreferManagement_table SET Card_Is_Takenback=2,"
            " Card_Left_Fee=CASE WHEN Card_Left_Fee-?<0 THEN 0 ELSE Card_Left_Fee-? END"
            " WHERE ID=? AND Card_Left_Fee>=? AND Card_Is_Takenback IS NOT NULL AND Card_Is_Takenback NOT IN (0,3)"
            " AND (Card_Is_HaveExpire IS NULL OR Card_Is_HaveExpire<>1 OR Card_Expire_Date>=?)"_s);
        left = sql.prepare(u"SELECT Card_Left_Fee FROM PreferManagement_table WHERE ID=?"_s);
    }

    void settle(qint64 receipt, int method, const Side& side)
    {
        const settle::SettlementRequest r = requestFor(receipt, method, side);
        sql.exec(sql.isSQLite() ? "BEGIN IMMEDIATE" : "BEGIN");
        QVariantList v{u"已付"_s};
        for (const auto& f : r.receiptFields) v << f.second;
        v << receipt << u"未付"_s;
        if (sql.run(markPaid, v).changed != 1) qFatal("bare: receipt %lld not settled", receipt);
        QVariantList rec;
        for (const auto& f : r.paymentFields) rec << f.second;
        const qint64 sheet = sql.run(record, rec).first.toLongLong();
        if (method == settle::PrePayment) {
            sql.run(lock, {side.account});
            if (sql.run(usable, {side.account, side.account}).first.toDouble() + 0.005 < 100) qFatal("bare: account spent");
            sql.run(addUse, {side.account, u"P1"_s, sheet, 100.0, r.cashier, r.date, QString()});
        } else {
            const QDateTime today(kWhen.date(), QTime(0, 0));
            if (sql.run(debit, {100.0, 100.0, side.voucher, 100.0 - 0.005, today}).changed != 1) qFatal("bare: voucher");
            sql.run(left, {side.voucher});
        }
        sql.exec("COMMIT");
    }
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Both sides must have written the same: records, amounts, uses, voucher balances.
void compareSides(db::Connection& c, const Side& engine, const Side& bare, int method)
{
    const auto used = [&](const Side& s) {
        return method == settle::PrePayment
                   ? db::toNumber(db::scalar(c, u"SELECT SUM(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=?"_s, {s.account}))
                   : db::toNumber(db::scalar(c, u"SELECT Card_Left_Fee FROM PreferManagement_table WHERE ID=?"_s, {s.voucher}));
    };
    const auto records = [&](const Side& s) {
        return db::toNumber(db::scalar(c, u"SELECT SUM(收款金额+OtherTypePayedMoney+CashMoney+MoneyPayed_type) FROM 病历收费单"
                                          " WHERE ReceiptID>=? AND ReceiptID<=?"_s,
                                       {s.receipts.front(), s.receipts.back()}));
    };
    const auto paid = [&](const Side& s) {
        return db::toInteger(db::scalar(c, u"SELECT COUNT(*) FROM 收费收据表 WHERE 付款='已付' AND ID>=? AND ID<=?"_s,
                                        {s.receipts.front(), s.receipts.back()}));
    };
    if (used(engine) != used(bare) || records(engine) != records(bare) || paid(engine) != paid(bare))
        qFatal("the engine and the bare statements wrote different rows (method %d)", method);
}

void ratio(const QString& backend)
{
    QTemporaryDir dir;
    const QString url = newDatabase(backend, dir, u"ratio"_s);
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);
    auto bareSql = BareSql::open(url);
    for (int method : {int(settle::PrePayment), int(settle::Voucher)}) {
        Side engine = newSide(*c, kPairs * kPerRun);
        Side bare = newSide(*c, kPairs * kPerRun);
        BareSettlement statements(*bareSql, method, bare);
        std::vector<double> ratios, engineMs, bareMs;
        std::size_t next = 0;
        QElapsedTimer t;
        for (int pair = 0; pair < kPairs; ++pair, next += kPerRun) {
            qint64 e = 0, b = 0;
            for (int turn = 0; turn < 2; ++turn) {
                const bool engineTurn = (turn == 0) == (pair % 2 == 0);
                t.start();
                for (int i = 0; i < kPerRun; ++i) {
                    if (engineTurn) {
                        const settle::SettlementResult r = settle::Settle(*c, requestFor(engine.receipts[next + i], method, engine));
                        if (!r.ok) qFatal("engine: %s %s", qPrintable(r.message), qPrintable(r.detail));
                    } else {
                        statements.settle(bare.receipts[next + i], method, bare);
                    }
                }
                (engineTurn ? e : b) = t.nsecsElapsed();
            }
            ratios.push_back(double(e) / double(b));
            engineMs.push_back(e / 1e6 / kPerRun);
            bareMs.push_back(b / 1e6 / kPerRun);
        }
        compareSides(*c, engine, bare, method);
        std::printf("%-10s %-10s engine %.3f ms, bare %.3f ms per settlement; engine/bare median of %d pairs: %.2f\n",
                    qPrintable(backend), method == settle::PrePayment ? "prepayment" : "voucher", median(engineMs),
                    median(bareMs), kPairs, median(ratios));
        bench::report("bench_settlement", backend.toStdString(),
                      method == settle::PrePayment ? "settlement from prepayment, ms" : "settlement by voucher, ms",
                      median(engineMs), median(bareMs), median(ratios));
    }
}

// One cashier in a process of its own: settles its receipts one by one, in cash or from its own
// account. It connects first and says "ready"; it starts on "go", so that, as pgbench's tps, the
// figure leaves out starting the process and connecting.
int cashier(const QStringList& a)
{
    auto c = db::Connection::open(a[0]);
    Side side;
    side.account = a[1].toInt();
    const int method = a[4].toInt();
    std::printf("ready\n");
    std::fflush(stdout);
    char go[8] = {};
    if (!std::fgets(go, sizeof go, stdin)) return 1;
    for (qint64 id = a[2].toLongLong(); id <= a[3].toLongLong(); ++id) {
        const settle::SettlementResult r = settle::Settle(*c, requestFor(id, method, side));
        if (!r.ok) qFatal("cashier: %s %s", qPrintable(r.message), qPrintable(r.detail));
    }
    return 0;
}

// Settlements per second of four cashiers at once, each settling its own receipts.
double fourCashiers(int method)
{
    constexpr int cashiers = 4, each = 2000;
    QTemporaryDir dir;
    const QString url = newDatabase(u"postgresql"_s, dir, u"desks%1"_s.arg(method));
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);
    std::vector<Side> sides;
    for (int i = 0; i < cashiers; ++i) sides.push_back(newSide(*c, each));
    // As pgbench -i leaves its tables: vacuumed and analysed, so that no autovacuum of the
    // fresh rows runs in the middle of the timing.
    c->execute(u"VACUUM ANALYZE"_s);
    std::vector<std::unique_ptr<QProcess>> desks;
    for (const Side& s : sides) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QCoreApplication::applicationFilePath(),
                 {u"--cashier"_s, url, QString::number(s.account), QString::number(s.receipts.front()),
                  QString::number(s.receipts.back()), QString::number(method)});
        desks.push_back(std::move(p));
    }
    for (auto& p : desks)
        while (!p->canReadLine())
            if (!p->waitForReadyRead(60000)) qFatal("a cashier did not connect");
    QElapsedTimer t;
    t.start();
    for (auto& p : desks) p->write("go\n");
    for (auto& p : desks)
        if (!p->waitForFinished(-1) || p->exitCode() != 0) qFatal("a cashier failed");
    const double seconds = t.nsecsElapsed() / 1e9;
    const qint64 settled = db::toInteger(db::scalar(*c, u"SELECT COUNT(*) FROM 病历收费单"_s));
    if (settled != cashiers * each) qFatal("settled %lld of %d", settled, cashiers * each);
    const double perSecond = settled / seconds;
    std::printf("postgresql four cashiers, %s: %lld settlements in %.1f s = %.0f per second\n",
                method == settle::Cash ? "cash" : "prepayment", settled, seconds, perSecond);
    return perSecond;
}

// pgbench's TPC-B on the same server: 4 clients, 4 threads, scale 4; a database made once and
// run for `seconds` each time.
class Tpcb {
public:
    Tpcb() : database_(newDatabase(u"postgresql"_s, dir_, u"pgbench"_s))
    {
        QProcess init;
        init.start(u"pgbench"_s, {u"-q"_s, u"-i"_s, u"-s"_s, u"4"_s, database_});
        if (!init.waitForFinished(-1) || init.exitCode() != 0) qFatal("pgbench -i: %s", init.readAllStandardError().constData());
    }

    double run(int seconds) const
    {
        QProcess run;
        run.start(u"pgbench"_s, {u"-c"_s, u"4"_s, u"-j"_s, u"4"_s, u"-T"_s, QString::number(seconds), database_});
        if (!run.waitForFinished(-1) || run.exitCode() != 0) qFatal("pgbench: %s", run.readAllStandardError().constData());
        const auto m = QRegularExpression(u"tps = ([0-9.]+)"_s).match(QString::fromUtf8(run.readAllStandardOutput()));
        if (!m.hasMatch()) qFatal("pgbench printed no tps");
        const double tps = m.captured(1).toDouble();
        std::printf("postgresql pgbench TPC-B (4 clients, scale 4): %.0f tps\n", tps);
        return tps;
    }

private:
    QTemporaryDir dir_;
    QString database_;
};

// The four cashiers and TPC-B take turns, five rounds of cash, TPC-B, prepayment: a machine
// whose speed drifts (other work on it, the server's own housekeeping) moves both sides of a
// round alike. Each ratio is the median of its rounds'.
void desksBesideTpcb()
{
    constexpr int rounds = 5;
    Tpcb tpcb;
    std::vector<double> cash, prepaid, tps, cashRatio, prepaidRatio;
    for (int round = 0; round < rounds; ++round) {
        cash.push_back(fourCashiers(settle::Cash));
        tps.push_back(tpcb.run(8));
        prepaid.push_back(fourCashiers(settle::PrePayment));
        cashRatio.push_back(cash.back() / tps.back());
        prepaidRatio.push_back(prepaid.back() / tps.back());
    }
    std::printf("four cashiers / TPC-B, median of %d rounds: cash %.2f, prepayment %.2f\n", rounds, median(cashRatio),
                median(prepaidRatio));
    // Throughputs: here a ratio of 1.00 or more is the goal.
    bench::report("bench_settlement", "postgresql", "four cashiers in cash per s / TPC-B tps", median(cash), median(tps),
                  median(cashRatio));
    bench::report("bench_settlement", "postgresql", "four cashiers from prepayment per s / TPC-B tps", median(prepaid),
                  median(tps), median(prepaidRatio));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 7 && args[1] == u"--cashier"_s) return cashier(args.mid(2));
    const bool desksOnly = args.contains(u"--desks"_s);
    if (!desksOnly) ratio(u"sqlite"_s);
    if (!qEnvironmentVariable("CALVANE_TEST_PG").isEmpty()) {
        if (!desksOnly) ratio(u"postgresql"_s);
        desksBesideTpcb();
    }
    return 0;
}
