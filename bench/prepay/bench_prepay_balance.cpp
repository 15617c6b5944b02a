// The full balance of a busy account in a big movement table: the engine's reading (the
// account's sums kept by triggers) against the history re-summed bare, and against the same
// kept sums read bare (sqlite3 / libpq, prepared once). Run:
// build/bin/bench_prepay_balance [MOVEMENTS] (SQLite; PostgreSQL too with CALVANE_TEST_PG).
//
// Data: PrePayReg_Table MOVEMENTS rows (default 1,000,000), every tenth the measured
// account's (deposits and withdrawals, some bonus NULL); PrePayUseReg_Table a tenth as many
// uses, a tenth of them the account's. Other rows spread over 9,999 other accounts.
#include "bench/support/Bare.h"
#include "bench/support/BenchDb.h"
#include "bench/support/Pairs.h"
#include "db/Schema.h"
#include "prepay/PrePayBalance.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cmath>

namespace {

constexpr int accountShare = 10;
constexpr int measured = 1;

// Rows from a counter, made by the database, in transactions of 10,000 rows: the triggers move
// the measured account's sums row once per row, and PostgreSQL follows that row's versions from
// the start of the transaction on each move, so one transaction of all the rows would take
// time that grows with the square of the account's rows.
void fill(db::Connection& c, int movements)
{
    constexpr int chunk = 10'000;
    const int uses = movements / 10;
    const QString account = QStringLiteral("CASE WHEN i % 10 = 0 THEN 1 ELSE 2 + i % 9999 END");
    const auto rows = [&](int first, int last, const QString& insert) {
        if (c.isSQLite())
            return QStringLiteral("WITH RECURSIVE s(i) AS (SELECT %1 UNION ALL SELECT i+1 FROM s WHERE i<%2) %3 FROM s")
                .arg(first)
                .arg(last)
                .arg(insert);
        return QStringLiteral("%1 FROM generate_series(%2,%3) AS s(i)").arg(insert).arg(first).arg(last);
    };
    const auto inChunks = [&](int n, const QString& insert) {
        for (int first = 0; first < n; first += chunk) {
            c.execute(QStringLiteral("BEGIN"));
            c.execute(rows(first, std::min(n, first + chunk) - 1, insert));
            c.execute(QStringLiteral("COMMIT"));
        }
    };
    inChunks(movements, QStringLiteral("INSERT INTO PrePayReg_Table (PrePayer_ID, PrePay_Money, PreferMoney, "
                                       "PrePay_IO) SELECT %1, 10 + i % 97, CASE WHEN i % 7 = 0 THEN NULL "
                                       "ELSE (i % 5) * 0.5 END, CASE WHEN i % 3 = 0 THEN 1 ELSE 0 END")
                            .arg(account));
    inChunks(uses, QStringLiteral("INSERT INTO PrePayUseReg_Table (PrePayer_ID, PaySheetID, Payed_Money) "
                                  "SELECT %1, i + 1, 1 + i % 13")
                       .arg(account));
    bench::settleTables(c);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int movements = argc > 1 ? std::max(1000, atoi(argv[1])) : 1'000'000;
    QTemporaryDir dir;
    for (const bench::Backend& b : bench::backends(dir, QStringLiteral("prepay"))) {
        auto c = db::Connection::open(b.url);
        db::schema::migrate(*c);
        QElapsedTimer t;
        t.start();
        fill(*c, movements);
        std::printf("%s: %d movements written in %.1f s\n", qPrintable(b.name), movements, t.elapsed() / 1000.0);

        auto bare = bench::Bare::open(b.url);
        const int sums = bare->prepare(
            "SELECT Sum(CASE WHEN PrePay_IO=0 THEN PrePay_Money END), Sum(CASE WHEN PrePay_IO=0 THEN PreferMoney END),"
            " Sum(CASE WHEN PrePay_IO=1 THEN PrePay_Money END), Sum(CASE WHEN PrePay_IO=1 THEN PreferMoney END)"
            " FROM PrePayReg_Table WHERE PrePayer_ID=? AND PrePay_IO IN (0,1)");
        const int used = bare->prepare("SELECT Sum(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=?");
        const std::vector<bench::Value> key{std::to_string(measured)};
        const auto same = [](const double& a, const double& b) { return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(b)); };
        const auto f = bench::pairs<double>(
            [&] { return prepay::GetPrePayTotalMoney(*c, measured); },
            [&] {
                const bench::Row m = bare->run(sums, key).at(0);
                const double uses = bench::number(bare->run(used, key).at(0).at(0));
                return bench::number(m[0]) + bench::number(m[1]) - bench::number(m[2]) - bench::number(m[3]) - uses;
            },
            same);
        bench::report("bench_prepay_balance", b.name.toStdString(), "balance of an account vs a bare re-sum", f);
        // The same read written bare: the account's kept sums, one row.
        const int kept = bare->prepare("SELECT Deposits, DepositBonus, Withdrawals, WithdrawalBonus, Used FROM "
                                       "PrePaySum_Table WHERE PrePayer_ID=?");
        const auto k = bench::pairs<double>(
            [&] { return prepay::GetPrePayTotalMoney(*c, measured); },
            [&] {
                const bench::Row m = bare->run(kept, key).at(0);
                return bench::number(m[0]) + bench::number(m[1]) - bench::number(m[2]) - bench::number(m[3])
                       - bench::number(m[4]);
            },
            same);
        bench::report("bench_prepay_balance", b.name.toStdString(), "balance of an account (kept sums)", k);
    }
    bench::dropAll();
    return 0;
}
