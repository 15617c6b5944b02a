// Inserts and keyed updates through AddRecord/ModefyRecord against the same statements written
// bare (sqlite3 / libpq, prepared once), on SQLite and, when CALVANE_TEST_PG holds a server URL,
// on PostgreSQL. Each run writes N fee lines (收费明细表, 12 columns) in one transaction. Before
// every run the table is emptied (TRUNCATE on PostgreSQL), so no run pays for the dead rows of
// the one before; the rows each side wrote are read back and compared.
//
//   bench_recordops [N]        (default N = 2000)
#include "bench/support/Bare.h"
#include "bench/support/BenchDb.h"
#include "bench/support/Pairs.h"
#include "db/Connection.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include <QCoreApplication>

using namespace db;
using namespace Qt::StringLiterals;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

const QStringList columns = {u("收费类型"), u("收费项目"), u("单位"), u("标准"), u("数量"), u("金额"),
                             u("日期"), u("收据类型"), u("收据编号"), u("IsDiscout"), u("Discout_Value"), u("StandartFee")};

QVariantList lineValues(int i)
{
    const double price = 10 + i % 90;
    return {u("治疗"), u("龋齿充填(树脂)"), u("牙"), price, 2.0, price * 2 * 0.9,
            u("2026-03-09 10:15:00"), 0, 1000 + i, 1, 0.9, price * 2};
}

FieldValues lineFields(int i)
{
    const QVariantList v = lineValues(i);
    FieldValues f;
    for (int k = 0; k < columns.size(); ++k) f.append({columns[k], v[k]});
    return f;
}

std::vector<bench::Value> bareValues(int i)
{
    std::vector<bench::Value> out;
    for (const QVariant& v : lineValues(i)) out.push_back(v.toString().toStdString());
    return out;
}

// What a run left in the table: rows, their amounts and keys of receipts, read the same way
// whoever wrote them.
std::string contents(bench::Bare& bare, int statement)
{
    const bench::Row r = bare.run(statement, {}).at(0);
    std::string s;
    for (const bench::Value& v : r) s += (v ? *v : std::string("NULL")) + " ";
    return s;
}

void measure(const bench::Backend& b, int n)
{
    auto c = Connection::open(b.url);
    schema::migrate(*c);
    auto bare = bench::Bare::open(b.url);
    const std::string name = b.name.toStdString();
    const std::string insertSql = ("INSERT INTO 收费明细表 (" + columns.join(u(",")) + ") VALUES (" +
                                   QStringList(columns.size(), u("?")).join(u(",")) + ") RETURNING ID")
                                      .toStdString();
    const int insert = bare->prepare(insertSql);
    const int update = bare->prepare("UPDATE 收费明细表 SET 数量=?,金额=?,StandartFee=? WHERE ID=?");
    const int readBack = bare->prepare(
        "SELECT count(*), round(sum(金额)*100), sum(收据编号), round(sum(StandartFee)*100), min(收费项目) FROM 收费明细表");
    const int keys = bare->prepare("SELECT ID FROM 收费明细表 ORDER BY ID");

    const auto empty = [&] {
        c->execute(c->isSQLite() ? u("DELETE FROM 收费明细表") : u("TRUNCATE 收费明细表"));
    };
    const std::function<std::string()> rows = [&] { return contents(*bare, readBack); };

    // Inserts: the table holds exactly the n lines afterwards, whoever wrote them.
    const auto f = bench::pairsReadBack<std::string>(
        [&] {
            Transaction t(*c);
            for (int i = 0; i < n; ++i) AddRecord(*c, u("收费明细表"), lineFields(i));
            t.commit();
        },
        [&] {
            bare->execute("BEGIN");
            for (int i = 0; i < n; ++i) bare->run(insert, bareValues(i));
            bare->execute("COMMIT");
        },
        rows, bench::minimumPairs, empty);
    bench::report("bench_recordops", name, "insert " + std::to_string(n) + " lines", f);

    // Updates of every line by its key, on a table refilled before each run. The names are
    // string literals, as the engine's callers write them, not decoded from UTF-8 per call.
    const QString table = u"收费明细表"_s, quantity = u"数量"_s, amount = u"金额"_s, standardFee = u"StandartFee"_s,
                  byKey = u"ID=?"_s;
    std::vector<qint64> ids;
    const auto refill = [&] {
        empty();
        bare->execute("BEGIN");
        for (int i = 0; i < n; ++i) bare->run(insert, bareValues(i));
        bare->execute("COMMIT");
        ids.clear();
        for (const bench::Row& r : bare->run(keys, {})) ids.push_back(std::stoll(*r.at(0)));
        // Both sides start from an empty log: otherwise whichever side's commit happens to
        // cross the log's size limit pays for copying it into the database file.
        if (c->isSQLite()) bare->execute("PRAGMA wal_checkpoint(TRUNCATE)");
    };
    const auto g = bench::pairsReadBack<std::string>(
        [&] {
            Transaction t(*c);
            for (int i = 0; i < n; ++i)
                ModefyRecord(*c, table, {{quantity, 3.0}, {amount, 27.0 + i}, {standardFee, 30.0 + i}}, {byKey, {ids[size_t(i)]}});
            t.commit();
        },
        [&] {
            bare->execute("BEGIN");
            for (int i = 0; i < n; ++i)
                bare->run(update, {"3", std::to_string(27 + i), std::to_string(30 + i), std::to_string(ids[size_t(i)])});
            bare->execute("COMMIT");
        },
        rows, bench::minimumPairs, refill);
    bench::report("bench_recordops", name, "update " + std::to_string(n) + " lines by key", g);
    empty();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    QTemporaryDir dir;
    for (const bench::Backend& b : bench::backends(dir, QStringLiteral("recordops"))) measure(b, n);
    bench::dropAll();
    return 0;
}
