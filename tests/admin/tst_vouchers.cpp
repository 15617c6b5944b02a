#include "common/Password.h"
#include "admin/VoucherRegister.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/ICCard.h"
#include "settle/Voucher.h"
#include "tests/settle/SettleFixture.h"
#include <QProcess>
#include <cstdio>
#include <QtTest>

using namespace Qt::StringLiterals;
using settletest::Clinic;

namespace
{

const QDate kToday(2024, 3, 5);

qint64 vouchersStored(Clinic& k)
{
    return k.count(u"SELECT count(*) FROM PreferManagement_table"_s);
}

// A card in the reader, in memory; `broken` refuses every write.
struct Reader : db::ICCardDevice {
    QString content;
    bool broken = false;
    bool read(QString& out) override { return out = content, true; }
    bool write(const QString& in) override { return !broken && (content = in, true); }
};

// What the checkout's voucher check says: empty when it accepts the voucher.
QString verify(db::Connection& c, const QString& number, const QString& password, double icBalance = 0.0,
               QDate today = kToday)
{
    return settle::VerifyVoucher(
               settle::LoadVoucher(c, number), today, [&] { return std::optional<QString>(password); }, icBalance)
        .value_or(QString());
}

} // namespace

class TestVouchers : public QObject
{
    Q_OBJECT
  private slots:
    void initTestCase() { testdb::isolateSettings(); }

    // Bad input gets its message and issues nothing.
    void refused_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QDate>("expiry");
        QTest::addColumn<QString>("message");
        const QDate year = kToday.addYears(1);
        QTest::newRow("no number") << u"  "_s << u"100"_s << year << u"消费券/卡的编号不能为空。"_s;
        QTest::newRow("number taken") << u"v001 "_s << u"100"_s << year << u"编号“v001”的消费券/卡已经存在。"_s;
        QTest::newRow("a mark of the chip") << u"9A2CA1"_s << u"100"_s << year << u"消费券/卡的编号不能包含“A2CA”。"_s;
        QTest::newRow("value 0") << u"V002"_s << u"0.004"_s << year << u"面值应为大于0的金额。"_s;
        QTest::newRow("value not a number") << u"V002"_s << u"一百"_s << year << u"面值应为大于0的金额。"_s;
        QTest::newRow("expired yesterday") << u"V002"_s << u"100"_s << kToday.addDays(-1) << u"有效期不能早于今天。"_s;
    }
    void refused()
    {
        QFETCH(QString, number);
        QFETCH(QString, value);
        QFETCH(QDate, expiry);
        QFETCH(QString, message);
        for (const QString& backend : testdb::backends()) {
            Clinic k(backend);
            QVERIFY(vouchers::issue(*k.c, {u"V001"_s, vouchers::Voucher, u"50"_s, {}, false, {}}, kToday).ok);
            const auto o = vouchers::issue(*k.c, {number, vouchers::Voucher, value, {}, true, expiry}, kToday);
            QVERIFY(!o.ok);
            QCOMPARE(o.message, message);
            QCOMPARE(vouchersStored(k), 1);
        }
    }

    // What is issued here is what the checkout accepts: the password, the last valid day, and
    // for a money card the balance written on its chip.
    void theCheckoutAcceptsIt_data() { testdb::addBackendRows(); }
    void theCheckoutAcceptsIt()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        QVERIFY(
            vouchers::issue(*k.c, {u" V100 "_s, vouchers::Voucher, u"100.004"_s, u"8888"_s, true, kToday}, kToday).ok);
        QCOMPARE(verify(*k.c, u"V100"_s, u"8888"_s), QString());
        QCOMPARE(verify(*k.c, u"V100"_s, u"8880"_s), settle::kWrongPassword);
        // Kept only as a slow hash; a voucher a host wrote with its password as typed still
        // pays with that password, and with no other.
        const QString stored = db::toText(db::scalar(*k.c, u"SELECT Card_PWD FROM PreferManagement_table"_s));
        QVERIFY2(password::isHash(stored) && !stored.contains(u"8888"_s), qPrintable(stored));
        db::AddRecord(*k.c, u"PreferManagement_table"_s,
                      {{u"Card_Cover_Code"_s, u"H1"_s}, {u"Card_Kind_Type"_s, 0}, {u"Card_Left_Fee"_s, 50.0},
                       {u"Card_Is_PWD"_s, 1}, {u"Card_PWD"_s, u"8888"_s}, {u"Card_Is_Takenback"_s, 1}});
        QCOMPARE(verify(*k.c, u"H1"_s, u"8888"_s), QString());
        QCOMPARE(verify(*k.c, u"H1"_s, u"8889"_s), settle::kWrongPassword);
        QCOMPARE(vouchers::find(*k.c, u"v100"_s)->left, 100.0);
        QCOMPARE(verify(*k.c, u"V100"_s, u"8888"_s, 0, kToday.addDays(1)), settle::kVoucherExpired);

        Reader reader;
        db::ICCardScope scope(&reader);
        QVERIFY(vouchers::issue(*k.c, {u"020021"_s, vouchers::MoneyCard, u"200"_s, {}, false, {}}, kToday).ok);
        settle::ICCardData chip;
        QVERIFY(!settle::ParseICCard(reader.content, chip));
        QCOMPARE(chip.number, u"020021"_s);
        QCOMPARE(chip.balance, 200.0);
        QCOMPARE(verify(*k.c, chip.number, {}, chip.balance), QString());

        // No card written, no card issued.
        reader.broken = true;
        const auto o = vouchers::issue(*k.c, {u"020022"_s, vouchers::MoneyCard, u"200"_s, {}, false, {}}, kToday);
        QCOMPARE(o.message, u"写IC卡不成功，消费卡没有发放。请放好卡后再试。"_s);
        QVERIFY(!vouchers::find(*k.c, u"020022"_s));
    }

    // A payment with the voucher shows in its balance and history; a take-back from a desk that
    // had not seen that payment writes nothing, one from the balance as it is goes through, and
    // the checkout refuses the voucher from then on.
    void historyAndTakeBack_data() { testdb::addBackendRows(); }
    void historyAndTakeBack()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        const qint64 id = vouchers::issue(*k.c, {u"V7"_s, vouchers::Voucher, u"150"_s, {}, false, {}}, kToday).id;
        const vouchers::Card seen = *vouchers::find(*k.c, u"V7"_s);
        QCOMPARE(seen.state, int(vouchers::Issued));
        QVERIFY(vouchers::history(*k.c, id).isEmpty());

        auto other = db::Connection::open(k.url);
        const qint64 receipt = k.receipt(100);
        settle::SettlementRequest r = settletest::request(receipt, 100, settle::Voucher, 80, 101, false, id);
        r.voucher = {id, u"V7"_s, 0, 80};
        QVERIFY(settle::Settle(*other, r).ok);

        const QList<vouchers::Use> uses = vouchers::history(*k.c, id);
        QCOMPARE(uses.size(), 1);
        QCOMPARE(uses[0].receipt, receipt);
        QCOMPARE(uses[0].amount, 80.0);
        QCOMPARE(uses[0].cashier, u"王收款"_s);
        QCOMPARE(vouchers::find(*k.c, u"V7"_s)->left, 70.0);

        QCOMPARE(vouchers::takeBack(*k.c, seen).message, u"该消费券/卡已被其他收费台使用或修改，请重新查询后再试。"_s);
        QCOMPARE(vouchers::find(*k.c, u"V7"_s)->state, int(vouchers::Used));
        QVERIFY(vouchers::takeBack(*k.c, *vouchers::find(*k.c, u"V7"_s)).ok);
        QCOMPARE(verify(*k.c, u"V7"_s, {}), settle::kVoucherNotIssued);
        QCOMPARE(vouchers::takeBack(*k.c, *vouchers::find(*k.c, u"V7"_s)).message, u"该消费券/卡已经收回。"_s);
    }

    // Two processes issuing the same numbers at the same time: each number is issued once, and
    // the other desk is told it exists.
    void twoDesksAtOnce_data() { testdb::addBackendRows(); }
    void twoDesksAtOnce()
    {
        QFETCH(QString, backend);
        Clinic k(backend);
        constexpr int numbers = 12;
        QList<QProcess*> desks;
        for (int d = 0; d < 2; ++d) {
            auto* p = new QProcess(this);
            p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
            p->start(QCoreApplication::applicationFilePath(), {u"--issue"_s, k.url, QString::number(numbers)});
            desks << p;
        }
        int issued = 0;
        for (QProcess* p : desks) {
            QVERIFY(p->waitForFinished(120000));
            QVERIFY2(p->exitCode() == 0, p->readAllStandardError().constData());
            issued += p->readAllStandardOutput().trimmed().toInt();
        }
        QCOMPARE(issued, numbers);
        QCOMPARE(vouchersStored(k), numbers);
        QCOMPARE(k.count(u"SELECT count(DISTINCT Card_Cover_Code) FROM PreferManagement_table"_s), numbers);
    }
};

// `--issue URL N`: one desk issuing vouchers V0 … V(N-1) as fast as it can and printing how many
// it issued; any refusal but "already exists" fails it (for twoDesksAtOnce).
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--issue"_s) {
        auto c = db::Connection::open(args[2]);
        int issued = 0;
        for (int i = 0; i < args[3].toInt(); ++i) {
            const QString number = u"V%1"_s.arg(i);
            const auto o = vouchers::issue(*c, {number, vouchers::Voucher, u"50"_s, {}, false, {}}, kToday);
            if (o.ok) ++issued;
            else if (o.message != u"编号“%1”的消费券/卡已经存在。"_s.arg(number)) return 1;
        }
        printf("%d\n", issued);
        return 0;
    }
    TestVouchers t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_vouchers.moc"
