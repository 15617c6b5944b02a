// The settlement shared by the checkouts: the receipt turns paid once, one payment record,
// prepayment and vouchers spent by guarded updates, an IC card rewritten, and nothing kept of a
// settlement that failed anywhere. Two desks settling at once are two processes.
#include "SettleFixture.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "settle/PaymentForm.h"
#include "settle/SettlementExtras.h"
#include "settle/Voucher.h"
#include "db/Transaction.h"
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QUrl>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <functional>
#include <optional>
#include <iostream>
#include <string>

using namespace settle;
using namespace settletest;
using namespace Qt::StringLiterals;

namespace
{

// Records what would have been shown; questions get no.
struct Messages : Prompter {
    QStringList shown;
    void inform(const QString& text) override { shown << text; }
    bool ask(const QString& text, Buttons) override
    {
        shown << text;
        return false;
    }
};

// One desk in a process of its own: connects, says "ready", waits for "go" on stdin, settles
// (holding its transaction open a moment so that the other desk runs into it) and prints "ok"
// or the message it got.
int deskMain(const QStringList& a)
{
    const QString url = a[0];
    const qint64 receiptId = a[1].toLongLong();
    const int method = a[2].toInt();
    const double amount = a[3].toDouble();
    const double methodAmount = a[4].toDouble();
    const qint64 extra = a[5].toLongLong(); // account or voucher
    auto c = db::Connection::open(url);
    SettlementRequest r = request(receiptId, amount, method, methodAmount, 101, false, extra);
    if (method == PrePayment) r.prepayAccount = qint32(extra);
    if (method == Voucher) r.voucher = {extra, QStringLiteral("V1"), 0, methodAmount};
    r.inTransaction = [](db::Connection&, qint64) { QThread::msleep(300); };
    std::cout << "ready" << std::endl;
    std::string go;
    std::getline(std::cin, go);
    const SettlementResult done = Settle(*c, r);
    std::cout << (done.ok ? QByteArray("ok") : done.message.toUtf8()).constData() << std::endl;
    return 0;
}

// Starts one desk process per receipt, lets them all go at once, runs `meanwhile` and returns
// what each said.
QStringList runDesks(const Clinic& k, const QList<qint64>& receipts, int method, double amount, qint64 extra,
                     const std::function<void()>& meanwhile = {})
{
    QList<QProcess*> desks;
    QStringList answers;
    for (qint64 receipt : receipts) {
        auto* p = new QProcess;
        p->start(QCoreApplication::applicationFilePath(),
                 {u"--desk"_s, k.url, QString::number(receipt), QString::number(method), u"100"_s,
                  QString::number(amount), QString::number(extra)});
        desks << p;
    }
    const auto cleanup = qScopeGuard([&] { qDeleteAll(desks); });
    for (QProcess* p : desks) {
        if (!p->waitForStarted()) return {u"a desk did not start"_s};
        while (!p->canReadLine())
            if (!p->waitForReadyRead(60000)) return {QString::fromUtf8(p->readAllStandardError())};
        if (p->readLine().trimmed() != "ready") return {u"a desk was not ready"_s};
    }
    // Written through at once: QProcess holds a write until its own process is waited for,
    // and the second desk would start only after the first had finished.
    for (QProcess* p : desks) {
        p->write("go\n");
        p->waitForBytesWritten();
    }
    if (meanwhile) meanwhile();
    for (QProcess* p : desks) {
        if (!p->waitForFinished(60000)) return {u"a desk did not finish"_s};
        answers << QString::fromUtf8(p->readAllStandardOutput().trimmed());
    }
    return answers;
}

} // namespace

class TestSettlement : public QObject
{
    Q_OBJECT
    Messages messages_;
    std::optional<Prompter::Scope> scope_;

  private slots:
    void init()
    {
        messages_.shown.clear();
        scope_.emplace(&messages_);
    }
    void cleanup() { scope_.reset(); }

    void firstSettlement_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("methodAmount");
        for (const QString& b : testdb::backends()) {
            for (int m : {int(Cash), int(BankCard), int(Cheque), int(Transfer), int(MedicalInsurance), int(RuralInsurance)})
                QTest::addRow("%s method %d", qPrintable(b), m) << b << m << (m == Cash ? 0.0 : 60.0);
            QTest::addRow("%s prepayment", qPrintable(b)) << b << int(PrePayment) << 100.0;
            QTest::addRow("%s voucher part", qPrintable(b)) << b << int(Voucher) << 80.0;
            QTest::addRow("%s voucher all", qPrintable(b)) << b << int(Voucher) << 100.0;
        }
    }
    void firstSettlement()
    {
        QFETCH(QString, backend);
        QFETCH(int, method);
        QFETCH(double, methodAmount);
        Clinic k(backend);
        const qint64 id = k.receipt(100);
        const qint32 account = k.account(QStringLiteral("P1"), 300);
        const qint64 voucher = k.voucher(QStringLiteral("V1"), 150, 0, 1);
        SettlementRequest r = request(id, 100, method, methodAmount, 101, false, voucher);
        r.prepayAccount = account;
        r.voucher = {voucher, QStringLiteral("V1"), 0, methodAmount};

        const SettlementResult done = Settle(*k.c, r);
        QVERIFY2(done.ok, qPrintable(done.message + u' ' + done.detail));
        QCOMPARE(k.paid(id), QStringLiteral("已付"));
        QCOMPARE(k.records(id), 1);
        QCOMPARE(k.count(QStringLiteral("SELECT 病历收费编号 FROM 病历收费单 WHERE ReceiptID=?"), {id}), done.paySheet);
        QCOMPARE(k.count(QStringLiteral("SELECT MoneyPayed_type FROM 病历收费单 WHERE ReceiptID=?"), {id}), method);
        QCOMPARE(db::toNumber(k.value(QStringLiteral("SELECT OtherTypePayedMoney FROM 病历收费单 WHERE ReceiptID=?"), {id})),
                 methodAmount);
        QCOMPARE(k.prepayUsed(account), method == PrePayment ? methodAmount : 0.0);
        QCOMPARE(k.voucherLeft(voucher), method == Voucher ? 150 - methodAmount : 150.0);
        QCOMPARE(k.count(QStringLiteral("SELECT Card_Is_Takenback FROM PreferManagement_table WHERE ID=?"), {voucher}),
                 method == Voucher ? 2 : 1);
        if (method == Voucher) QCOMPARE(done.voucherLeft, 150 - methodAmount);
        // The voucher is named on the record only when it paid.
        QCOMPARE(k.count(QStringLiteral("SELECT COUNT(*) FROM 病历收费单 WHERE PreferID=?"), {voucher}),
                 method == Voucher ? 1 : 0);
    }

    // The receipt guard reads 付款 as the look-ups that offered the receipt do, trailing blanks
    // (a padded column of an older host) ignored: what a list shows as unpaid can be settled.
    void unpaidAsTheLookUpsReadIt_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("settles");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s padded unpaid", qPrintable(b)) << b << u"未付  "_s << true;
            QTest::addRow("%s padded paid", qPrintable(b)) << b << u"已付 "_s << false;
            QTest::addRow("%s leading blank", qPrintable(b)) << b << u" 未付"_s << false;
        }
    }
    void unpaidAsTheLookUpsReadIt()
    {
        QFETCH(QString, backend);
        QFETCH(QString, stored);
        QFETCH(bool, settles);
        Clinic k(backend);
        const qint64 id = k.receipt(100);
        db::execute(*k.c, u"UPDATE 收费收据表 SET 付款=? WHERE ID=?"_s, {stored, id});
        const qint64 listed =
            k.count(u"SELECT COUNT(*) FROM 收费收据表 WHERE ID=? AND rtrim(付款)='未付'"_s, {id});
        QCOMPARE(listed, settles ? 1 : 0);
        const SettlementResult done = Settle(*k.c, request(id, 100, Cash, 0));
        QCOMPARE(done.ok, settles);
        QCOMPARE(k.records(id), settles ? 1 : 0);
        QCOMPARE(k.paid(id), settles ? u"已付"_s : stored);
    }

    // Every refusal leaves the receipt, the record, the voucher and the account as they were.
    void refusals_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("kase");
        QTest::addColumn<QString>("message");
        const QStringList cases{u"already paid"_s, u"receipt gone"_s, u"voucher short"_s, u"voucher taken back"_s,
                                u"voucher expired"_s, u"prepayment short"_s, u"no account"_s, u"caller refuses"_s,
                                u"caller fails"_s, u"card unwritable"_s, u"split short"_s, u"debit differs"_s,
                                u"cash with a method amount"_s};
        const QStringList said{kReceiptNotSettled, kReceiptNotSettled, kVoucherShort, kVoucherNotIssued,
                               kVoucherExpired, kPrePayShort.arg(u"100.00"_s), kPrePayShort.arg(u"100.00"_s),
                               u"库存不足"_s, kPaymentRecordFailed, kICCardWriteFailed, kSplitDisagrees,
                               kSplitDisagrees, kSplitDisagrees};
        for (const QString& b : testdb::backends())
            for (int i = 0; i < cases.size(); ++i)
                QTest::addRow("%s %s", qPrintable(b), qPrintable(cases[i])) << b << cases[i] << said[i];
    }
    void refusals()
    {
        QFETCH(QString, backend);
        QFETCH(QString, kase);
        QFETCH(QString, message);
        Clinic k(backend);
        const qint64 id = k.receipt(100);
        const qint32 account = k.account(QStringLiteral("P1"), kase == u"prepayment short"_s ? 99.99 : 300);
        const qint64 voucher = k.voucher(QStringLiteral("V1"), kase == u"voucher short"_s ? 79.99 : 150, 1,
                                         kase == u"voucher taken back"_s ? 3 : 2, 1,
                                         kase == u"voucher expired"_s ? kWhen.addDays(-1) : kWhen);
        MemoryCard card;
        card.content = icCardContent(u"V1"_s, 150);
        card.broken = kase == u"card unwritable"_s;
        db::ICCardScope reader(&card);

        int method = Voucher;
        double amount = 80;
        if (kase.startsWith(u"prepayment"_s) || kase == u"no account"_s) method = PrePayment, amount = 100;
        SettlementRequest r = request(id, 100, method, amount);
        r.prepayAccount = kase == u"no account"_s ? 0 : account;
        r.voucher = {voucher, QStringLiteral("V1"), 1, amount};
        if (kase == u"caller refuses"_s)
            r.inTransaction = [](db::Connection&, qint64) { throw SettlementRefused(u"库存不足"_s); };
        if (kase == u"caller fails"_s)
            r.inTransaction = [](db::Connection& c, qint64) { db::execute(c, u"SELECT * FROM no_such_table"_s); };
        if (kase == u"already paid"_s)
            db::execute(*k.c, u"UPDATE 收费收据表 SET 付款='已付' WHERE ID=?"_s, {id});
        if (kase == u"receipt gone"_s) r.receiptId = r.receiptId + 1000;
        // What the record says it took must be what is taken, to the fen.
        if (kase == u"split short"_s) settletest::setField(r.paymentFields, u"CashMoney"_s, 19.99);
        if (kase == u"debit differs"_s) r.voucher.amount = 80.01;
        if (kase == u"cash with a method amount"_s) r.method = Cash;
        const QString paidBefore = k.paid(id);

        const SettlementResult done = Settle(*k.c, r);
        QVERIFY(!done.ok);
        QCOMPARE(done.message, message);
        QCOMPARE(done.paySheet, 0);
        QCOMPARE(k.paid(id), paidBefore);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM 病历收费单"_s), 0);
        QCOMPARE(k.voucherLeft(voucher), kase == u"voucher short"_s ? 79.99 : 150.0);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM PrePayUseReg_Table"_s), 0);
        QCOMPARE(card.content, icCardContent(u"V1"_s, 150)); // a card written before a failure is put back
    }

    void icCardCarriesTheDatabaseBalance_data() { testdb::addBackendRows(); }
    void icCardCarriesTheDatabaseBalance()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        const qint64 id = k.receipt(100);
        const qint64 voucher = k.voucher(u"020021"_s, 150, 1);
        MemoryCard card;
        card.content = icCardContent(u"020021"_s, 150);
        db::ICCardScope reader(&card);
        // Another desk took 30 off since this desk verified the card at 150.
        db::execute(*k.c, u"UPDATE PreferManagement_table SET Card_Left_Fee=120 WHERE ID=?"_s, {voucher});
        SettlementRequest r = request(id, 100, Voucher, 100);
        r.voucher = {voucher, u"020021"_s, 1, 100};
        const SettlementResult done = Settle(*k.c, r);
        QVERIFY2(done.ok, qPrintable(done.message));
        QCOMPARE(k.voucherLeft(voucher), 20.0);
        QCOMPARE(card.content, u"A1CA020021A2CAA2MA20.000000A3MA"_s);
    }

    // Whatever a checkout worked out in doubles, the settlement stores amounts to the fen: the
    // payment record, the receipt's total, the prepayment use and the voucher's balance, over
    // amounts made of fen prices, rates and part payments.
    void everythingStoredToTheFen_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("method");
        for (const QString& b : testdb::backends())
            for (int m : {int(PrePayment), int(Voucher), int(BankCard)})
                QTest::addRow("%s method %d", qPrintable(b), m) << b << m;
    }
    void everythingStoredToTheFen()
    {
        QFETCH(QString, backend);
        QFETCH(int, method);
        Clinic k(backend);
        const qint32 account = k.account(u"P1"_s, 100000);
        const qint64 voucher = k.voucher(u"V1"_s, 100000);
        const double voucherBefore = k.voucherLeft(voucher);
        QRandomGenerator random(20241205);
        const QList<double> rates{0.95, 0.9, 0.85, 0.7, 0.33, 0.333};
        qint64 debitedFen = 0;
        for (int i = 0; i < 12; ++i) {
            const double price = random.bounded(1, 100000) / 100.0;
            const double amount = rates[i % rates.size()] * price; // e.g. 0.9 × 17.40 = 15.659999999999998
            const double methodAmount = amount * (i % 3 == 0 ? 1.0 : 0.45);
            const qint64 id = k.receipt(price);
            SettlementRequest r = request(id, amount, method, methodAmount, 101, false, voucher);
            r.receiptFields.append({u"合计"_s, amount});
            r.prepayAccount = account;
            r.voucher = {voucher, u"V1"_s, 0, methodAmount};
            const SettlementResult done = Settle(*k.c, r);
            QVERIFY2(done.ok, qPrintable(done.message + u' ' + done.detail));
            debitedFen += money::toFen(methodAmount);

            db::Query q(*k.c, u"SELECT 总计应收费用, 实收费用, 余额, 收款金额, 原欠金额, OtherTypePayedMoney, CashMoney"
                               " FROM 病历收费单 WHERE ReceiptID=?"_s, {id});
            q.exec();
            QVERIFY(q.next());
            QList<double> stored;
            for (int column = 0; column < 7; ++column) stored << q.number(column);
            stored << db::toNumber(k.value(u"SELECT 合计 FROM 收费收据表 WHERE ID=?"_s, {id}));
            QCOMPARE(money::toFen(stored[5]), money::toFen(methodAmount));
            if (method == PrePayment)
                stored << db::toNumber(k.value(u"SELECT Payed_Money FROM PrePayUseReg_Table WHERE PaySheetID=?"_s,
                                               {done.paySheet}));
            if (method == Voucher) stored << k.voucherLeft(voucher) << done.voucherLeft;
            for (const double v : stored) QVERIFY2(v == money::round2(v), qPrintable(QString::number(v, 'g', 17)));
        }
        // What the record says was paid is exactly what left the account or the voucher.
        if (method == PrePayment) QCOMPARE(money::toFen(k.prepayUsed(account)), debitedFen);
        if (method == Voucher) QCOMPARE(money::toFen(voucherBefore) - money::toFen(k.voucherLeft(voucher)), debitedFen);
    }

    // The balance a voucher keeps is stored to the fen, and the card written from it is one the
    // next verification accepts: 200 - 35.60 - 48.30 is 116.10 exactly, not 116.10000000000001.
    void voucherBalanceExactToTheFen_data() { testdb::addBackendRows(); }
    void voucherBalanceExactToTheFen()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        const qint64 voucher = k.voucher(u"020021"_s, 200, 1);
        MemoryCard card;
        card.content = icCardContent(u"020021"_s, 200);
        db::ICCardScope reader(&card);
        for (double amount : {35.60, 48.30}) {
            SettlementRequest r = request(k.receipt(amount), amount, Voucher, amount);
            r.voucher = {voucher, u"020021"_s, 1, amount};
            const SettlementResult done = Settle(*k.c, r);
            QVERIFY2(done.ok, qPrintable(done.message));
        }
        const double left = k.voucherLeft(voucher);
        QVERIFY2(left == 116.1, qPrintable(QString::number(left, 'g', 17)));
        QCOMPARE(card.content, u"A1CA020021A2CAA2MA116.100000A3MA"_s);
        ICCardData onCard;
        QCOMPARE(ParseICCard(card.content, onCard), std::nullopt);
        QCOMPARE(VerifyVoucher(LoadVoucher(*k.c, u"020021"_s), QDate::currentDate(), {}, onCard.balance), std::nullopt);
    }

    // An expiry stored as a bare date is valid through its last day, on both databases.
    void voucherValidOnItsLastDay_data() { testdb::addBackendRows(); }
    void voucherValidOnItsLastDay()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        const qint64 voucher = k.voucher(u"V1"_s, 150, 0, 2, 1);
        db::execute(*k.c, u"UPDATE PreferManagement_table SET Card_Expire_Date=? WHERE ID=?"_s,
                    {settletest::kWhen.date(), voucher});
        SettlementRequest r = request(k.receipt(100), 100, Voucher, 100);
        r.voucher = {voucher, u"V1"_s, 0, 100};
        const SettlementResult done = Settle(*k.c, r);
        QVERIFY2(done.ok, qPrintable(done.message));
        QCOMPARE(k.voucherLeft(voucher), 50.0);
    }

    // A voucher pays only a positive amount it holds: a negative amount (a voucher gone below 0)
    // and a voucher without a balance are refused, and nothing moves.
    void voucherPaysOnlyWhatItHolds_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QVariant>("balance");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("message");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s negative balance", qPrintable(b)) << b << QVariant(-50.0) << -50.0 << kVoucherEmpty;
            QTest::addRow("%s nothing to pay", qPrintable(b)) << b << QVariant(80.0) << 0.0 << kVoucherShort;
            QTest::addRow("%s a negative amount", qPrintable(b)) << b << QVariant(80.0) << -20.0 << kVoucherShort;
            QTest::addRow("%s no balance", qPrintable(b)) << b << QVariant() << 30.0 << kVoucherNoBalance;
            QTest::addRow("%s no balance, nothing to pay", qPrintable(b)) << b << QVariant() << 0.0 << kVoucherNoBalance;
        }
    }
    void voucherPaysOnlyWhatItHolds()
    {
        QFETCH(QString, backend);
        QFETCH(QVariant, balance);
        QFETCH(double, amount);
        QFETCH(QString, message);
        Clinic k(backend);
        const qint64 id = k.receipt(100);
        const qint64 voucher = k.voucher(u"V1"_s, 10);
        db::execute(*k.c, u"UPDATE PreferManagement_table SET Card_Left_Fee=? WHERE ID=?"_s, {balance, voucher});
        SettlementRequest r = request(id, 100, Voucher, amount);
        r.voucher = {voucher, u"V1"_s, 0, amount};
        const SettlementResult done = Settle(*k.c, r);
        QVERIFY(!done.ok);
        QCOMPARE(done.message, message);
        QCOMPARE(k.paid(id), u"未付"_s);
        QCOMPARE(k.records(id), 0);
        QCOMPARE(db::scalar(*k.c, u"SELECT Card_Left_Fee FROM PreferManagement_table WHERE ID=?"_s, {voucher}).isNull(),
                 balance.isNull());
        if (!balance.isNull()) QCOMPARE(k.voucherLeft(voucher), balance.toDouble());
    }

    void resettlementRewritesTheRecord_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("firstMethod");
        QTest::addColumn<int>("againMethod");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s cash then prepayment", qPrintable(b)) << b << int(Cash) << int(PrePayment);
            QTest::addRow("%s prepayment then cash", qPrintable(b)) << b << int(PrePayment) << int(Cash);
            QTest::addRow("%s prepayment again", qPrintable(b)) << b << int(PrePayment) << int(PrePayment);
            QTest::addRow("%s voucher again", qPrintable(b)) << b << int(Voucher) << int(Voucher);
        }
    }
    void resettlementRewritesTheRecord()
    {
        QFETCH(QString, backend);
        QFETCH(int, firstMethod);
        QFETCH(int, againMethod);
        Clinic k(backend);
        const qint64 id = k.receipt(100);
        const qint32 account = k.account(u"P1"_s, 150);
        const qint64 voucher = k.voucher(u"V1"_s, 150);
        const auto methodAmount = [](int m) { return m == Cash ? 0.0 : 100.0; };
        SettlementRequest first = request(id, 100, firstMethod, methodAmount(firstMethod), 101, false, voucher);
        first.prepayAccount = account;
        first.voucher = {voucher, u"V1"_s, 0, 100};
        const SettlementResult one = Settle(*k.c, first);
        QVERIFY2(one.ok, qPrintable(one.message));

        // The whole balance is usable again: the record's own use does not count against it.
        SettlementRequest again = request(id, 90, againMethod, methodAmount(againMethod) == 0 ? 0 : 90, 101, true);
        again.settledRecord = LoadSettledRecord(*k.c, 101, id);
        again.prepayAccount = account;
        again.voucher = {voucher, u"V1"_s, 0, 90};
        const SettlementResult two = Settle(*k.c, again);
        QVERIFY2(two.ok, qPrintable(two.message + u' ' + two.detail));
        QCOMPARE(two.paySheet, one.paySheet);
        QCOMPARE(k.records(id), 1);
        QCOMPARE(db::toNumber(k.value(u"SELECT 收款金额 FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), 90.0);
        QCOMPARE(k.prepayUsed(account), againMethod == PrePayment ? 90.0 : 0.0);
        QCOMPARE(k.voucherLeft(voucher), firstMethod == Voucher ? 50.0 : 150.0); // spent once only
        if (againMethod == Voucher) // the first settlement's voucher stays named
            QCOMPARE(k.count(u"SELECT PreferID FROM 病历收费单 WHERE ReceiptID=?"_s, {id}), voucher);
    }

    // A first settlement paid 120 from an account of 100 deposited with 20 bonus: re-settling it
    // unchanged finds the same 120, its own use left out.
    void resettlementCountsTheBonusItSpent_data() { testdb::addBackendRows(); }
    void resettlementCountsTheBonusItSpent()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        const qint64 id = k.receipt(120);
        const qint32 account = k.account(u"P1"_s, 100);
        db::execute(*k.c, u"UPDATE PrePayReg_Table SET PreferMoney=20 WHERE PrePayer_ID=?"_s, {account});
        SettlementRequest first = request(id, 120, PrePayment, 120);
        first.prepayAccount = account;
        QVERIFY(Settle(*k.c, first).ok);
        SettlementRequest again = request(id, 120, PrePayment, 120, 101, true);
        again.settledRecord = LoadSettledRecord(*k.c, 101, id);
        again.prepayAccount = account;
        const SettlementResult two = Settle(*k.c, again);
        QVERIFY2(two.ok, qPrintable(two.message + u' ' + two.detail));
        QCOMPARE(k.prepayUsed(account), 120.0);
    }

    // A re-settlement opened before another desk settled or re-settled the receipt rewrites
    // nothing: it is guarded by the record as it loaded it, and nothing it would reverse or
    // charge moves (here: the voucher's settlement re-settled elsewhere with less collected in
    // cash, then this desk's stale re-settlement from prepayment).
    void resettlementGuardedByTheRecordAsLoaded_data() { testdb::addBackendRows(); }
    void resettlementGuardedByTheRecordAsLoaded()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        auto other = db::Connection::open(k.url);
        const qint64 id = k.receipt(100);
        const qint32 account = k.account(u"P1"_s, 150);
        const qint64 voucher = k.voucher(u"V1"_s, 150);
        SettlementRequest first = request(id, 100, Voucher, 80, 101, false, voucher);
        first.voucher = {voucher, u"V1"_s, 0, 80};
        QVERIFY(Settle(*k.c, first).ok);
        const std::optional<db::LoadedRow> seenHere = LoadSettledRecord(*k.c, 101, id);
        QVERIFY(seenHere);

        SettlementRequest elsewhere = request(id, 90, Voucher, 80, 101, true);
        elsewhere.settledRecord = LoadSettledRecord(*other, 101, id);
        const SettlementResult there = Settle(*other, elsewhere);
        QVERIFY2(there.ok, qPrintable(there.message + u' ' + there.detail));

        SettlementRequest stale = request(id, 100, PrePayment, 100, 101, true);
        stale.settledRecord = seenHere;
        stale.prepayAccount = account;
        const SettlementResult here = Settle(*k.c, stale);
        QVERIFY(!here.ok);
        QCOMPARE(here.message, kReceiptNotSettled);
        QCOMPARE(k.records(id), 1);
        QCOMPARE(db::toNumber(k.value(u"SELECT CashMoney FROM 病历收费单 WHERE ReceiptID=?"_s, {id})), 10.0);
        QCOMPARE(k.prepayUsed(account), 0.0);
        QCOMPARE(k.voucherLeft(voucher), 70.0);
    }

    void resettlementWithoutRecordFails_data() { testdb::addBackendRows(); }
    void resettlementWithoutRecordFails()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        const qint64 id = k.receipt(100);
        const SettlementResult done = Settle(*k.c, request(id, 100, Cash, 0, 101, true));
        QVERIFY(!done.ok);
        QCOMPARE(done.message, kPaymentRecordFailed);
        QCOMPARE(k.paid(id), u"未付"_s);
    }

    // Whichever statement of a settlement fails, nothing of it is kept.
    void everyStatementFailing_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("method");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s prepayment", qPrintable(b)) << b << int(PrePayment);
            QTest::addRow("%s voucher", qPrintable(b)) << b << int(Voucher);
        }
    }
    void everyStatementFailing()
    {
        QFETCH(QString, backend);
        QFETCH(int, method);
        Clinic k(backend);
        const qint32 account = k.account(u"P1"_s, 300);
        const qint64 voucher = k.voucher(u"V1"_s, 150);
        for (int n = 1;; ++n) {
            QVERIFY2(n < 40, "the settlement never got through");
            const qint64 id = k.receipt(100);
            SettlementRequest r = request(id, 100, method, 60);
            r.prepayAccount = account;
            r.voucher = {voucher, u"V1"_s, 0, 60};
            k.c->failStatementAfter(n);
            const SettlementResult done = Settle(*k.c, r);
            k.c->clearFault();
            if (done.ok) {
                QVERIFY(n > 3);
                break;
            }
            QCOMPARE(k.paid(id), u"未付"_s);
            QCOMPARE(k.count(u"SELECT COUNT(*) FROM 病历收费单"_s), 0);
            QCOMPARE(k.prepayUsed(account), 0.0);
            QCOMPARE(k.voucherLeft(voucher), 150.0);
            db::execute(*k.c, u"DELETE FROM 收费收据表 WHERE ID=?"_s, {id});
        }
    }

    // Two desks in two processes at the same moment: one receipt, one voucher, one account.
    void twoDesks_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QString>("shared");
        for (const QString& b : testdb::backends())
            for (const char* s : {"receipt", "voucher", "account"})
                QTest::addRow("%s %s", qPrintable(b), s) << b << QString::fromLatin1(s);
    }
    void twoDesks()
    {
        QFETCH(QString, backend);
        QFETCH(QString, shared);
        Clinic k(backend);
        const qint64 first = k.receipt(100);
        const qint64 second = shared == u"receipt"_s ? first : k.receipt(100, 102);
        const qint32 account = k.account(u"P1"_s, 100);
        const qint64 voucher = k.voucher(u"V1"_s, 100);
        const int method = shared == u"voucher"_s ? Voucher : shared == u"account"_s ? PrePayment : Cash;
        const double amount = method == Cash ? 0.0 : 80.0;
        const qint64 extra = method == Voucher ? voucher : account;

        QStringList answers = runDesks(k, {first, second}, method, amount, extra);
        answers.sort();
        const QString loser = shared == u"receipt"_s   ? kReceiptNotSettled
                              : shared == u"voucher"_s ? kVoucherShort
                                                       : kPrePayShort.arg(u"80.00"_s);
        QStringList want{u"ok"_s, loser};
        want.sort();
        QCOMPARE(answers, want);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM 病历收费单"_s), 1);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM 收费收据表 WHERE 付款='已付'"_s), 1);
        QCOMPARE(k.voucherLeft(voucher), method == Voucher ? 20.0 : 100.0);
        QCOMPARE(k.prepayUsed(account), method == PrePayment ? 80.0 : 0.0);
    }

    // A desk that meets another booking on the account waits for it, then reads the balance as
    // the other left it: whether that is a desk, which locks the account, or a host writing a use
    // straight into the table, which locks nothing but the account's sums.
    void aDeskReadsTheBalanceAnotherBookingLeft_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("locksAccount");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s desk", qPrintable(b)) << b << true;
            QTest::addRow("%s host", qPrintable(b)) << b << false;
        }
    }
    void aDeskReadsTheBalanceAnotherBookingLeft()
    {
        QFETCH(QString, backend);
        QFETCH(bool, locksAccount);
        Clinic k(backend);
        const qint64 receipt = k.receipt(100);
        const qint32 account = k.account(u"P1"_s, 100);
        auto other = db::Connection::open(k.url);
        db::Transaction booking(*other);
        if (locksAccount && !other->isSQLite())
            db::execute(*other, u"SELECT ID FROM PrePay_Table WHERE ID=? FOR UPDATE"_s, {account});
        db::AddRecord(*other, u"PrePayUseReg_Table"_s,
                      {{u"PrePayer_ID"_s, account}, {u"PaySheetID"_s, 999}, {u"Payed_Money"_s, 80.0}});
        const QStringList answers = runDesks(k, {receipt}, PrePayment, 80, account, [&] {
            // Until the desk waits on a lock (PostgreSQL says so; SQLite's wait cannot be seen).
            QDeadlineTimer deadline(10000);
            while (!other->isSQLite() && !deadline.hasExpired()
                   && db::toInteger(db::scalar(*k.c, u"SELECT count(*) FROM pg_stat_activity WHERE wait_event_type='Lock'"_s)) == 0)
                QThread::msleep(20);
            QThread::msleep(other->isSQLite() ? 300 : 0);
            booking.commit();
        });
        QCOMPARE(answers, QStringList{kPrePayShort.arg(u"80.00"_s)});
        QCOMPARE(k.prepayUsed(account), 80.0);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM 病历收费单"_s), 0);
    }

    // At SERIALIZABLE two desks paying from one account overlap, and the database undoes the
    // one that would have read the balance before the other's use: it runs again and lands.
    void twoDesksAtSerializableBothLand_data() { testdb::addBackendRows(); }
    void twoDesksAtSerializableBothLand()
    {
        QFETCH(QString, backend);
        if (backend != u"postgresql"_s) QSKIP("SQLite runs one writer at a time: nothing is undone to run again");
        Clinic k(backend);
        k.c->execute(u"ALTER DATABASE %1 SET default_transaction_isolation TO 'serializable'"_s.arg(QUrl(k.url).path().mid(1)));
        const qint64 first = k.receipt(100);
        const qint64 second = k.receipt(100, 102);
        const qint32 account = k.account(u"P1"_s, 200);
        const QStringList answers = runDesks(k, {first, second}, PrePayment, 80, account);
        QCOMPARE(answers, (QStringList{u"ok"_s, u"ok"_s}));
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM 病历收费单"_s), 2);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM 收费收据表 WHERE 付款='已付'"_s), 2);
        QCOMPARE(k.prepayUsed(account), 160.0);
    }

    void recordColumnsFollowTheMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QVariant>("discount");
        QTest::addColumn<QVariant>("cardName");
        QTest::addColumn<QVariant>("used");
        QTest::newRow("off") << -1 << QVariant(0.9) << QVariant(QString()) << QVariant(0.0);
        QTest::newRow("rank") << 1 << QVariant(0.9) << QVariant(QString()) << QVariant(0.0);
        QTest::newRow("points") << 5 << QVariant(0.9) << QVariant(QString()) << QVariant(0.0);
        QTest::newRow("card") << 4 << QVariant(0.0) << QVariant(u"代金卡"_s) << QVariant(0.9);
        QTest::newRow("items") << 6 << QVariant() << QVariant() << QVariant();
        QTest::newRow("setting five") << 7 << QVariant() << QVariant() << QVariant();
    }
    void recordColumnsFollowTheMode()
    {
        QFETCH(int, mode);
        QFETCH(QVariant, discount);
        QFETCH(QVariant, cardName);
        QFETCH(QVariant, used);
        PaymentRecord p;
        p.mode = mode;
        p.discount = 0.9;
        p.cardName = u"代金卡"_s;
        const db::FieldValues f = CheckoutPaymentFields(p);
        const auto field = [&](const char* name) {
            for (const auto& [n, v] : f)
                if (n == QLatin1String(name)) return v;
            return QVariant();
        };
        QCOMPARE(field("Discout"), discount);
        QCOMPARE(field("MoneyCard_Name"), cardName);
        QCOMPARE(field("MoneyCard_UsedValue"), used);
        QCOMPARE(field("Discout_Note").isValid(), mode <= 5);
        QCOMPARE(field("PreferID").isValid(), false);
        QCOMPARE(f.first().first, u"病历号"_s);
    }

    void verifyVoucher_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("expiresInDays"); // 99: no expiry
        QTest::addColumn<QString>("typed");     // "-": cancelled
        QTest::addColumn<double>("onCard");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QVariant>("left"); // Card_Left_Fee; NULL: none recorded
        QTest::newRow("usable") << 2 << 99 << QString() << 0.0 << 0 << QString() << QVariant(150.0);
        QTest::newRow("issued, first use") << 1 << 99 << QString() << 0.0 << 0 << QString() << QVariant(150.0);
        QTest::newRow("not issued") << 0 << 99 << QString() << 0.0 << 0 << kVoucherNotIssued << QVariant(150.0);
        QTest::newRow("taken back") << 3 << 99 << QString() << 0.0 << 0 << kVoucherNotIssued << QVariant(150.0);
        QTest::newRow("expires today") << 2 << 0 << QString() << 0.0 << 0 << QString() << QVariant(150.0);
        QTest::newRow("expired yesterday") << 2 << -1 << QString() << 0.0 << 0 << kVoucherExpired << QVariant(150.0);
        QTest::newRow("password cancelled") << 2 << 99 << u"-"_s << 0.0 << 0 << kNoPassword << QVariant(150.0);
        QTest::newRow("wrong password") << 2 << 99 << u"abc"_s << 0.0 << 0 << kWrongPassword << QVariant(150.0);
        QTest::newRow("case matters") << 2 << 99 << u"PW"_s << 0.0 << 0 << kWrongPassword << QVariant(150.0);
        QTest::newRow("right password") << 2 << 99 << u"pw"_s << 0.0 << 0 << QString() << QVariant(150.0);
        QTest::newRow("card agrees") << 2 << 99 << QString() << 150.0 << 1 << QString() << QVariant(150.0);
        QTest::newRow("card disagrees") << 2 << 99 << QString() << 140.0 << 1 << kCardDisagrees << QVariant(150.0);
        // A voucher pays only a positive amount it holds; the password is not asked for in vain.
        QTest::newRow("no balance recorded") << 2 << 99 << u"-"_s << 0.0 << 0 << kVoucherNoBalance << QVariant();
        QTest::newRow("nothing left") << 2 << 99 << u"-"_s << 0.0 << 0 << kVoucherEmpty << QVariant(0.0);
        QTest::newRow("less than a fen left") << 2 << 99 << QString() << 0.0 << 0 << kVoucherEmpty << QVariant(0.004);
        QTest::newRow("below zero") << 2 << 99 << QString() << 0.0 << 0 << kVoucherEmpty << QVariant(-50.0);
        QTest::newRow("a fen left") << 2 << 99 << QString() << 0.0 << 0 << QString() << QVariant(0.01);
        QTest::newRow("expired before empty") << 2 << -1 << QString() << 0.0 << 0 << kVoucherExpired << QVariant();
    }
    void verifyVoucher()
    {
        QFETCH(int, state);
        QFETCH(int, expiresInDays);
        QFETCH(QString, typed);
        QFETCH(double, onCard);
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        QFETCH(QVariant, left);
        const QDate today(2024, 3, 5);
        VoucherRecord v;
        v.found = true;
        v.state = state;
        v.hasBalance = !left.isNull();
        v.left = left.toDouble();
        v.kind = kind;
        v.hasExpiry = expiresInDays == 99 ? 0 : 1;
        v.expiry = QDateTime(today.addDays(expiresInDays), QTime(0, 0));
        v.needsPassword = typed.isEmpty() ? 0 : 1;
        v.password = u"pw"_s;
        const auto ask = [&]() -> std::optional<QString> {
            if (typed == u"-"_s) return std::nullopt;
            return typed;
        };
        QCOMPARE(VerifyVoucher(v, today, ask, onCard).value_or(QString()), refusal);
    }

    void cardContent_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("number");
        QTest::addColumn<double>("balance");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("sample") << kSampleCardContent << u"020021"_s << 200.0 << QString();
        QTest::newRow("written") << icCardContent(u"V7"_s, 50) << u"V7"_s << 50.0 << QString();
        QTest::newRow("no start") << u"XX020021A2CAA2MA200.A3MA"_s << u"old"_s << 9.0
                                  << u"卡内容1-XX020021A2CAA2MA200.A3MA不正确，请重新读正确的卡"_s;
        QTest::newRow("no balance") << u"A1CA020021A2CA200A3MA"_s << u"020021"_s << 9.0
                                    << u"卡内容2-A1CA020021A2CA200A3MA不正确，请重新读正确的卡"_s;
    }
    void cardContent()
    {
        QFETCH(QString, content);
        QFETCH(QString, number);
        QFETCH(double, balance);
        QFETCH(QString, refusal);
        ICCardData card{u"old"_s, 9.0};
        QCOMPARE(ParseICCard(content, card).value_or(QString()), refusal);
        QCOMPARE(card.number, number);
        QCOMPARE(card.balance, balance);
        QCOMPARE(settle::icCardContent(u"020021"_s, 50), u"A1CA020021A2CAA2MA50.000000A3MA"_s);
    }

    // The payment dialog's split: the method pays what it can, cash the rest.
    void paymentForm_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("available");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("cash");
        QTest::addColumn<bool>("ok");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s prepayment short", qPrintable(b)) << b << int(PrePayment) << 80.0 << 80.0 << 20.0 << true;
            QTest::addRow("%s prepayment enough", qPrintable(b)) << b << int(PrePayment) << 320.0 << 100.0 << 0.0 << true;
            QTest::addRow("%s voucher short", qPrintable(b)) << b << int(Voucher) << 80.0 << 80.0 << 20.0 << true;
            QTest::addRow("%s voucher enough", qPrintable(b)) << b << int(Voucher) << 150.0 << 100.0 << 0.0 << true;
            QTest::addRow("%s unknown voucher", qPrintable(b)) << b << int(Voucher) << -1.0 << 100.0 << 0.0 << false;
            QTest::addRow("%s cheque", qPrintable(b)) << b << int(Cheque) << 0.0 << 100.0 << 0.0 << true;
        }
    }
    void paymentForm()
    {
        QFETCH(QString, backend);
        QFETCH(int, method);
        QFETCH(double, available);
        QFETCH(double, amount);
        QFETCH(double, cash);
        QFETCH(bool, ok);
        Clinic k(backend);
        if (method == PrePayment) k.account(u"P1"_s, available);
        if (available >= 0) k.voucher(u"V1"_s, available);
        PaymentForm::Inputs in;
        in.toCollect = 100;
        in.patientNumber = u"P1"_s;
        in.method = method;
        PaymentForm f(k.c, in);
        f.open();
        QCOMPARE(f.amountLabel, paymentMethodLabel(method));
        if (method == Voucher) {
            QVERIFY(!f.okEnabled);
            f.split.voucherNumber = available >= 0 ? u"v1 "_s : u"nope"_s;
            f.verify({});
            QCOMPARE(messages_.shown, ok ? QStringList() : QStringList{kVoucherNotIssued});
        }
        QCOMPARE(f.okEnabled, ok);
        QCOMPARE(f.split.amount, amount);
        QCOMPARE(f.split.cash, cash);
    }

    // The payment dialog's split is made in fen: the method pays at most what it holds, and the
    // method's part and the cash add up to exactly what is collected, for amounts computed in
    // doubles (rates of fen prices) and balances with sub-fen remainders alike.
    void splitAddsUpToTheFen()
    {
        QRandomGenerator random(7);
        const QList<double> rates{1.0, 0.95, 0.9, 0.85, 0.7, 0.333};
        for (int i = 0; i < 2000; ++i) {
            const double toCollect = rates[i % rates.size()] * (random.bounded(1, 1000000) / 100.0);
            const double available = i % 4 == 0 ? toCollect * rates[(i / 4) % rates.size()]
                                                : random.bounded(0, 1000000) / 100.0 + (i % 2) * 0.005;
            PaymentSplit split;
            SplitOver(split, toCollect, available);
            const QString where = u"%1 of %2"_s.arg(available, 0, 'g', 17).arg(toCollect, 0, 'g', 17);
            QVERIFY2(money::toFen(split.amount) + money::toFen(split.cash) == money::toFen(toCollect), qPrintable(where));
            QVERIFY2(money::toFen(split.amount) <= money::toFen(available), qPrintable(where));
            QVERIFY2(split.cash >= 0.0, qPrintable(where));
            QVERIFY2(split.amount == money::round2(split.amount) && split.cash == money::round2(split.cash),
                     qPrintable(where));
        }
        // 0.9 × 17.40 is 15.659999999999998: a balance of 15.66 covers it, nothing left for cash.
        PaymentSplit split;
        SplitOver(split, 0.9 * 17.40, 15.66);
        QCOMPARE(split.cash, 0.0);
        QVERIFY(split.amount == 15.66);
    }

    // The payment dialog does not accept a voucher without a recorded balance or holding nothing:
    // it would "pay" 0 or a negative amount. The cashier is told why and OK stays off.
    void paymentFormRefusesAVoucherThatCannotPay_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QVariant>("left");
        QTest::addColumn<QString>("message");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s no balance", qPrintable(b)) << b << QVariant() << kVoucherNoBalance;
            QTest::addRow("%s nothing left", qPrintable(b)) << b << QVariant(0.0) << kVoucherEmpty;
            QTest::addRow("%s below zero", qPrintable(b)) << b << QVariant(-50.0) << kVoucherEmpty;
        }
    }
    void paymentFormRefusesAVoucherThatCannotPay()
    {
        QFETCH(QString, backend);
        QFETCH(QVariant, left);
        QFETCH(QString, message);
        Clinic k(backend);
        const qint64 voucher = k.voucher(u"V1"_s, 10);
        db::execute(*k.c, u"UPDATE PreferManagement_table SET Card_Left_Fee=? WHERE ID=?"_s, {left, voucher});
        PaymentForm::Inputs in;
        in.toCollect = 100;
        in.patientNumber = u"P1"_s;
        in.method = Voucher;
        PaymentForm f(k.c, in);
        f.open();
        f.split.voucherNumber = u"V1"_s;
        f.verify({});
        QCOMPARE(messages_.shown, QStringList{message});
        QVERIFY(!f.okEnabled);
    }

    // A verified voucher's number typed over: OK goes off and the verification is undone until
    // the new number is verified, so voucher A is never debited under number B.
    void typedOverAfterVerification_data() { testdb::addBackendRows(); }
    void typedOverAfterVerification()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        k.voucher(u"V1"_s, 150);
        const qint64 second = k.voucher(u"V2"_s, 60);
        PaymentForm::Inputs in;
        in.toCollect = 100;
        in.method = Voucher;
        PaymentForm f(k.c, in);
        f.open();
        f.split.voucherNumber = u"V1"_s;
        f.verify({});
        QVERIFY(f.okEnabled);
        f.split.voucherNumber = u"V2"_s;
        f.voucherNumberEdited();
        QVERIFY(!f.okEnabled && f.verifyEnabled);
        QCOMPARE(f.split.voucherId, 0);
        f.verify({});
        QVERIFY(f.okEnabled);
        QCOMPARE(f.split.voucherId, second);
        QCOMPARE(f.split.amount, 60.0);
        QCOMPARE(f.split.cash, 40.0);
    }

    void readCard_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("verifiable");
        QTest::newRow("read") << true << icCardContent(u"V9"_s, 50) << u"V9"_s << true;
        QTest::newRow("no card") << false << QString() << QString() << false;
        QTest::newRow("no balance") << true << u"A1CAV9A2CA"_s << u"V9"_s << false;
    }
    void readCard()
    {
        QFETCH(bool, present);
        QFETCH(QString, content);
        QFETCH(QString, number);
        QFETCH(bool, verifiable);
        MemoryCard card;
        card.present = present;
        card.content = content;
        db::ICCardScope reader(&card);
        Clinic k(u"sqlite"_s);
        PaymentForm::Inputs in;
        in.method = Voucher;
        PaymentForm f(k.c, in);
        f.open();
        f.readCard();
        QCOMPARE(f.split.voucherNumber, number);
        QCOMPARE(f.verifyEnabled, verifiable);
        QCOMPARE(f.split.icBalance, verifiable ? 50.0 : 0.0);
    }

    void points_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<bool>("refund");
        QTest::addColumn<double>("points");
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s fee", qPrintable(b)) << b << false << 18.0;
            QTest::addRow("%s refund", qPrintable(b)) << b << true << -18.0;
        }
    }
    void points()
    {
        QFETCH(QString, backend);
        QFETCH(bool, refund);
        QFETCH(double, points);
        Clinic k(backend);
        db::AddRecord(*k.c, u"Management_table"_s, {{u"FeeGadeYesNo"_s, 1}}, QString());
        db::AddRecord(*k.c, u"Grade_Calculte_table"_s,
                      {{u"FeeItemType"_s, 0}, {u"FeeItem"_s, u"挂号费"_s}, {u"FeeGradeCalculter"_s, 10.0}}, QString());
        const qint32 account = qint32(db::AddRecord(*k.c, u"PrePay_Table"_s, {{u"VIP_CODE"_s, u"M1"_s}, {u"VIP_grade_value"_s, 50.0}}));
        db::AddRecord(*k.c, u"VIP_PtnSheet_Table"_s, {{u"VIP_ID"_s, account}, {u"Patient_Code"_s, u"P1"_s}}, QString());
        const PointsBooking who{u"P1"_s, u"M1"_s, u"张三"_s, u"王收款"_s, kWhen, 7};
        // 10 × 0.9 × 200 × 0.01; a category of 0 or less earns nothing.
        const double booked = BookSettlementPoints(*k.c, 0, {{u"挂号费"_s, 200}, {u"检查费"_s, 0}}, 0.9, refund, who);
        QCOMPARE(booked, points);
        QCOMPARE(db::toNumber(k.value(u"SELECT VIP_grade_value FROM PrePay_Table WHERE ID=?"_s, {account})), 50 + points);
    }

    // The conversion stores its entry to the fen: 10 % of 33.33 is 3.33, not 3.333.
    void feeToPrepayToTheFen_data() { testdb::addBackendRows(); }
    void feeToPrepayToTheFen()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        db::AddRecord(*k.c, u"Management_table"_s, {{u"FeeToPrepayFlag"_s, 0}, {u"FeeToPrepayDiscout"_s, 10.0}}, QString());
        k.account(u"P1"_s, 0);
        FeeToPrepay f{false, Cash, 0, 33.33, u"P1"_s, u"张三"_s, u"王收款"_s, kWhen, 42, 101, 7};
        QCOMPARE(ConvertFeeToPrepay(*k.c, f).value_or(QString()), QString());
        const double stored = db::toNumber(k.value(u"SELECT PrePay_Money FROM PrePayReg_Table WHERE IsFromFeeFlag=42"_s));
        QVERIFY2(stored == 3.33, qPrintable(QString::number(stored, 'g', 17)));
    }

    void feeToPrepay_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<QVariant>("flag");
        QTest::addColumn<bool>("hasAccount");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("entry"); // -1: none
        for (const QString& b : testdb::backends()) {
            QTest::addRow("%s on, account made", qPrintable(b)) << b << QVariant(0) << false << int(Cash) << 10.0;
            QTest::addRow("%s on, own account", qPrintable(b)) << b << QVariant(0) << true << int(Cash) << 10.0;
            QTest::addRow("%s on, prepayment counts cash", qPrintable(b)) << b << QVariant(0) << true << int(PrePayment) << 3.0;
            QTest::addRow("%s flag 1", qPrintable(b)) << b << QVariant(1) << true << int(Cash) << -1.0;
            QTest::addRow("%s flag NULL", qPrintable(b)) << b << QVariant() << true << int(Cash) << -1.0;
        }
    }
    void feeToPrepay()
    {
        QFETCH(QString, backend);
        QFETCH(QVariant, flag);
        QFETCH(bool, hasAccount);
        QFETCH(int, method);
        QFETCH(double, entry);
        Clinic k(backend);
        db::AddRecord(*k.c, u"Management_table"_s, {{u"FeeToPrepayFlag"_s, flag}, {u"FeeToPrepayDiscout"_s, 5.0}}, QString());
        if (hasAccount) k.account(u"P1"_s, 0);
        FeeToPrepay f{false, method, 60, 200, u"P1"_s, u"张三"_s, u"王收款"_s, kWhen, 42, 101, 7};
        QCOMPARE(ConvertFeeToPrepay(*k.c, f).value_or(QString()), QString());
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM PrePayReg_Table WHERE IsFromFeeFlag=42"_s), entry < 0 ? 0 : 1);
        if (entry < 0) return;
        QCOMPARE(db::toNumber(k.value(u"SELECT PrePay_Money FROM PrePayReg_Table WHERE IsFromFeeFlag=42"_s)), entry);
        QCOMPARE(k.count(u"SELECT COUNT(*) FROM PrePayUserSheet_Table WHERE Patient_Code='P1'"_s), 1);
        // A re-settlement changes the entry of its payment record.
        db::AddRecord(*k.c, u"病历收费单"_s, {{u"病历号"_s, 101}, {u"ReceiptID"_s, 7}}, u"病历收费编号"_s);
        db::execute(*k.c, u"UPDATE PrePayReg_Table SET IsFromFeeFlag=(SELECT MAX(病历收费编号) FROM 病历收费单)"
                          " WHERE IsFromFeeFlag=42"_s);
        f.resettle = true;
        f.collected = 100;
        f.cash = 20;
        QCOMPARE(ConvertFeeToPrepay(*k.c, f).value_or(QString()), QString());
        QCOMPARE(db::toNumber(k.value(u"SELECT SUM(PrePay_Money) FROM PrePayReg_Table WHERE PrePay_IO=0 AND IsFromFeeFlag>0"_s)),
                 method == PrePayment ? 1.0 : 5.0);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 8 && args[1] == QLatin1String("--desk")) return deskMain(args.mid(2));
    TestSettlement t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_settlement.moc"
