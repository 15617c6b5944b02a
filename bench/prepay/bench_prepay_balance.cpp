// The full balance of a busy account in a big movement table: the engine's reading against
// one hand-written statement over the same indexes. Run: build/bin/bench_prepay_balance
// (SQLite; PostgreSQL too when CALVANE_TEST_PG holds a maintenance URL).
//
// Data: PrePayReg_Table 1,000,000 movements, 100,000 of them the measured account's (every
// tenth row, deposits and withdrawals, some bonus NULL); PrePayUseReg_Table 100,000 uses,
// 10,000 of them the account's. Other rows spread over 9,999 other accounts.
#include "db/Query.h"
#include "db/Schema.h"
#include "prepay/PrePayBalance.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <vector>

namespace {

constexpr int movementRows = 1'000'000;
constexpr int useRows = 100'000;
constexpr int accountShare = 10; // every tenth row is the measured account's
constexpr int measured = 1;
constexpr int perStatement = 500;

const QString handWritten = QStringLiteral(
    "SELECT COALESCE((SELECT Sum(CASE WHEN PrePay_IO=0 THEN COALESCE(PrePay_Money,0)+COALESCE(PreferMoney,0)"
    " ELSE -(COALESCE(PrePay_Money,0)+COALESCE(PreferMoney,0)) END)"
    " FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO IN (0,1)),0)"
    " - COALESCE((SELECT Sum(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=?),0)");

int accountOf(int row) { return row % accountShare == 0 ? measured : 2 + row % 9999; }

// Appends rows with one prepared many-row INSERT, in one transaction.
void fill(db::Connection& c, const QString& table, const QStringList& columns, int rows,
          const std::function<QVariantList(int)>& values)
{
    const QString one =
        QLatin1Char('(') + QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) + QLatin1Char(')');
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES ").arg(table, columns.join(QLatin1Char(',')))
        + QStringList(perStatement, one).join(QLatin1Char(','));
    QSqlQuery q(c.database());
    if (!q.prepare(sql)) qFatal("%s", qPrintable(q.lastError().text()));
    for (int start = 0; start < rows; start += perStatement) {
        int slot = 0;
        for (int r = start; r < start + perStatement; ++r)
            for (const QVariant& v : values(r)) q.bindValue(slot++, v);
        if (!q.exec()) qFatal("%s", qPrintable(q.lastError().text()));
    }
}

db::ConnectionPtr build(const QString& backend, QTemporaryDir& dir)
{
    QString url = QStringLiteral("sqlite:%1/bench.sqlite").arg(dir.path());
    if (backend == QLatin1String("postgresql")) {
        const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
        const QString name = QStringLiteral("calvane_bench_%1").arg(QCoreApplication::applicationPid());
        auto a = db::Connection::open(admin);
        a->execute(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name));
        a->execute(QStringLiteral("CREATE DATABASE %1").arg(name));
        QUrl u(admin);
        u.setPath(QLatin1Char('/') + name);
        url = u.toString();
    }
    auto c = db::Connection::open(url);
    db::schema::migrate(*c);

    QElapsedTimer t;
    t.start();
    c->execute(QStringLiteral("BEGIN"));
    fill(*c, QStringLiteral("PrePayReg_Table"),
         {QStringLiteral("PrePayer_ID"), QStringLiteral("PrePay_Money"), QStringLiteral("PreferMoney"),
          QStringLiteral("PrePay_IO")},
         movementRows, [](int r) {
             return QVariantList{accountOf(r), 10.0 + r % 97, r % 7 == 0 ? QVariant() : QVariant(r % 5 * 0.5),
                                 r % 3 == 0 ? 1 : 0};
         });
    fill(*c, QStringLiteral("PrePayUseReg_Table"),
         {QStringLiteral("PrePayer_ID"), QStringLiteral("PaySheetID"), QStringLiteral("Payed_Money")}, useRows,
         [](int r) { return QVariantList{accountOf(r), r + 1, 1.0 + r % 13}; });
    c->execute(QStringLiteral("COMMIT"));
    c->execute(QStringLiteral("ANALYZE"));
    qInfo("%s: %d movements and %d uses written in %.1f s", qPrintable(backend), movementRows, useRows,
          t.elapsed() / 1000.0);
    return c;
}

double handWrittenBalance(db::Connection& c)
{
    return db::toNumber(db::scalar(c, handWritten, {measured, measured}));
}

} // namespace

class BenchPrePayBalance : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::map<QString, db::ConnectionPtr> dbs_;

    db::Connection& conn(const QString& backend)
    {
        auto& c = dbs_[backend];
        if (!c) c = build(backend, dir_);
        return *c;
    }

    static void backends()
    {
        QTest::addColumn<QString>("backend");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        if (!qEnvironmentVariable("CALVANE_TEST_PG").isEmpty())
            QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

private Q_SLOTS:
    void engineBalance_data() { backends(); }
    void engineBalance()
    {
        QFETCH(QString, backend);
        auto& c = conn(backend);
        double b = 0;
        QBENCHMARK { b = prepay::GetPrePayTotalMoney(c, measured); }
        QVERIFY(std::abs(b - handWrittenBalance(c)) < 1e-6 * std::abs(b));
    }

    void handWrittenSum_data() { backends(); }
    void handWrittenSum()
    {
        QFETCH(QString, backend);
        auto& c = conn(backend);
        QBENCHMARK { handWrittenBalance(c); }
    }

    // Both readings taken in turn, so drifts of the machine hit both alike; medians compared.
    void ratio_data() { backends(); }
    void ratio()
    {
        QFETCH(QString, backend);
        auto& c = conn(backend);
        std::vector<qint64> engine, hand;
        QElapsedTimer t;
        for (int i = 0; i < 31; ++i) {
            t.start();
            prepay::GetPrePayTotalMoney(c, measured);
            engine.push_back(t.nsecsElapsed());
            t.start();
            handWrittenBalance(c);
            hand.push_back(t.nsecsElapsed());
        }
        const auto median = [](std::vector<qint64>& v) {
            std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
            return v[v.size() / 2] / 1e6;
        };
        const double e = median(engine), h = median(hand);
        qInfo("%s: engine %.2f ms, hand-written SUM %.2f ms, ratio %.2f", qPrintable(backend), e, h, e / h);
    }

    void cleanupTestCase()
    {
        dbs_.clear();
        if (!qEnvironmentVariable("CALVANE_TEST_PG").isEmpty()) {
            auto a = db::Connection::open(qEnvironmentVariable("CALVANE_TEST_PG"));
            a->execute(
                QStringLiteral("DROP DATABASE IF EXISTS calvane_bench_%1").arg(QCoreApplication::applicationPid()));
        }
    }
};

QTEST_GUILESS_MAIN(BenchPrePayBalance)
#include "bench_prepay_balance.moc"
