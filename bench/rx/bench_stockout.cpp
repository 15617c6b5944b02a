// The stock check and stock-out of a 10-line prescription against 100,000 batches of 1,000
// medicines: the engine (rx::stockKept, rx::StockCovers, rx::TakeOutOfStock) against the same
// statements written bare on the databases' own client libraries (sqlite3, libpq), each
// statement prepared once. Every run is rolled back, so all runs see the same stock. Runs are
// taken in pairs, engine and bare in turn (alternating which goes first); the medians of 31
// pairs are compared. Before timing, one run of each side is checked to write the same
// withdrawals. Also prints the plan of the batch look-up.
// Run: build/bin/bench_stockout (SQLite; PostgreSQL too when CALVANE_TEST_PG holds a URL).
#include "bench/support/BenchDb.h"
#include "bench/support/Pairs.h"
#include "db/Query.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include "rx/Stock.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <libpq-fe.h>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr int medicines = 1'000;
constexpr int batchesEach = 100;
constexpr int lineCount = 10;
constexpr double lineQuantity = 3.0; // batches hold 2: every line takes from two batches
const int pairs = qEnvironmentVariableIntValue("BENCH_PAIRS") > 0 ? qEnvironmentVariableIntValue("BENCH_PAIRS") : 31;

QString medicineName(int m) { return QStringLiteral("药品%1").arg(m, 4, 10, QLatin1Char('0')); }
QString medicineSpec(int m) { return QStringLiteral("%1mg*%2").arg(5 + m % 7).arg(10 + m % 3); }

// The statements the engine runs (SQLite joins the expiry bound to '', see rx/Stock.cpp).
QString batchWhere(bool sqlite)
{
    return QStringLiteral("lower(rtrim(名称))=lower(rtrim(?)) AND lower(rtrim(规格))=lower(rtrim(?)) AND ExpireDate>") +
           (sqlite ? QStringLiteral("(?||'')") : QStringLiteral("?"));
}
QString sumSql(bool sqlite) { return QStringLiteral("SELECT Sum(现存数量) AS TotalNum FROM 材料库存表 WHERE ") + batchWhere(sqlite); }
QString batchSql(bool sqlite)
{
    return QStringLiteral("SELECT 库存编号,现存数量,ExpireDate FROM 材料库存表 WHERE ") + batchWhere(sqlite) +
           QStringLiteral(" ORDER BY 库存编号");
}
const QString switchSql = QStringLiteral("SELECT MedicineFromKBFlag FROM Management_table");
const QString updateSql = QStringLiteral("UPDATE 材料库存表 SET 现存数量=现存数量-? WHERE 库存编号=? AND 现存数量>=?");
const QString insertSql = QStringLiteral(
    "INSERT INTO 材料出库表 (单位,名称,规格,数量,出库价格,总价,日期,领料人,备注,领用人,库存分类,KBID,ExpireDate) "
    "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?) RETURNING 出库编号");
const QString withdrawalsSql = QStringLiteral("SELECT 数量, KBID, 总价 FROM 材料出库表 ORDER BY 出库编号");

// "?" placeholders as libpq numbers them.
QByteArray numbered(const QString& sql)
{
    QString out;
    int n = 0;
    for (const QChar ch : sql) out += ch == QLatin1Char('?') ? QStringLiteral("$%1").arg(++n) : QString(ch);
    return out.toUtf8();
}

rx::MedicineLineList prescription()
{
    rx::MedicineLineList lines;
    for (int i = 0; i < lineCount; ++i) {
        rx::MedicineLine l;
        const int m = 37 + i * 97;
        l.category = QStringLiteral("西药");
        l.name = medicineName(m);
        l.spec = medicineSpec(m);
        l.unit = QStringLiteral("盒");
        l.price = 5.0;
        l.quantity = lineQuantity;
        l.amount = 15.0;
        lines.insert(lines.size(), l);
    }
    return lines;
}

void fillBatches(db::Connection& c, const QDate& today)
{
    constexpr int perStatement = 500;
    const QString sql = QStringLiteral("INSERT INTO 材料库存表 (名称,规格,现存数量,ExpireDate) VALUES ") +
                        QStringList(perStatement, QStringLiteral("(?,?,?,?)")).join(QLatin1Char(','));
    // Medicines take turns, so one medicine's batch numbers are spread over the table.
    for (int start = 0; start < medicines * batchesEach; start += perStatement) {
        QVariantList batch;
        for (int r = start; r < start + perStatement; ++r) {
            const int m = r % medicines, age = r / medicines;
            // The oldest eight batches are expired, the ninth expires today, the rest are good.
            const QDate expires = age < 8 ? today.addDays(-1 - age) : age == 8 ? today : today.addDays(30 + age);
            batch << medicineName(m) << medicineSpec(m) << 2.0 << db::dateTimeText(QDateTime(expires, QTime(12, 0)));
        }
        db::Query(c, sql).bindAll(batch).exec();
    }
}

QString build(const QString& backend, QTemporaryDir& dir)
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
    c->execute(QStringLiteral("BEGIN"));
    db::execute(*c, QStringLiteral("INSERT INTO Management_table (MedicineFromKBFlag) VALUES (0)"));
    fillBatches(*c, c->serverTime().date());
    c->execute(QStringLiteral("COMMIT"));
    bench::settleTables(*c);
    return url;
}

// What a run wrote: "quantity#batch/total" per withdrawal.
using Written = QStringList;

// ----- the bare side -----

struct Bare {
    virtual ~Bare() = default;
    // One check and stock-out of the prescription, rolled back; what it wrote when asked.
    virtual void run(const rx::MedicineLineList& lines, const QByteArray& bound, const QByteArray& now,
                     Written* written) = 0;
};

struct BareSqlite : Bare {
    sqlite3* db = nullptr;
    sqlite3_stmt *begin, *rollback, *sw, *sum, *batch, *update, *insert, *written;

    explicit BareSqlite(const QString& path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) qFatal("sqlite3_open");
        sqlite3_busy_timeout(db, 5000);
        begin = prepare(QStringLiteral("BEGIN IMMEDIATE"));
        rollback = prepare(QStringLiteral("ROLLBACK"));
        sw = prepare(switchSql);
        sum = prepare(sumSql(true));
        batch = prepare(batchSql(true));
        update = prepare(updateSql);
        insert = prepare(insertSql);
        written = prepare(withdrawalsSql);
    }
    ~BareSqlite() override
    {
        for (sqlite3_stmt* s : {begin, rollback, sw, sum, batch, update, insert, written}) sqlite3_finalize(s);
        sqlite3_close(db);
    }
    sqlite3_stmt* prepare(const QString& sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK) qFatal("%s", sqlite3_errmsg(db));
        return s;
    }
    void done(sqlite3_stmt* s)
    {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
    void exec(sqlite3_stmt* s)
    {
        while (sqlite3_step(s) == SQLITE_ROW) {
        }
        done(s);
    }
    void text(sqlite3_stmt* s, int i, const QByteArray& t) { sqlite3_bind_text(s, i, t.constData(), int(t.size()), SQLITE_TRANSIENT); }
    bool stockKept()
    {
        const bool kept = sqlite3_step(sw) == SQLITE_ROW && sqlite3_column_type(sw, 0) != SQLITE_NULL && sqlite3_column_int(sw, 0) == 0;
        done(sw);
        return kept;
    }

    void run(const rx::MedicineLineList& lines, const QByteArray& bound, const QByteArray& now, Written* out) override
    {
        exec(begin);
        if (!stockKept()) qFatal("stock not kept");
        for (const rx::MedicineLine& l : lines) {
            text(sum, 1, l.name.toUtf8());
            text(sum, 2, l.spec.toUtf8());
            text(sum, 3, bound);
            const bool covered = sqlite3_step(sum) == SQLITE_ROW && sqlite3_column_type(sum, 0) != SQLITE_NULL &&
                                 std::trunc(sqlite3_column_double(sum, 0)) >= l.quantity;
            done(sum);
            if (!covered) qFatal("bare: short");
        }
        if (!stockKept()) qFatal("stock not kept");
        for (const rx::MedicineLine& l : lines) {
            const QByteArray name = l.name.toUtf8(), spec = l.spec.toUtf8();
            text(batch, 1, name);
            text(batch, 2, spec);
            text(batch, 3, bound);
            double remaining = l.quantity;
            while (remaining > 0.0 && sqlite3_step(batch) == SQLITE_ROW) {
                const sqlite3_int64 number = sqlite3_column_int64(batch, 0);
                const double take = std::min(remaining, sqlite3_column_double(batch, 1));
                const QByteArray expires(reinterpret_cast<const char*>(sqlite3_column_text(batch, 2)));
                if (take <= 0.0) continue;
                sqlite3_bind_double(update, 1, take);
                sqlite3_bind_int64(update, 2, number);
                sqlite3_bind_double(update, 3, take);
                exec(update);
                if (sqlite3_changes(db) != 1) qFatal("bare: batch taken");
                text(insert, 1, l.unit.toUtf8());
                text(insert, 2, name);
                text(insert, 3, spec);
                sqlite3_bind_double(insert, 4, take);
                sqlite3_bind_double(insert, 5, l.price);
                sqlite3_bind_double(insert, 6, l.amount);
                text(insert, 7, now);
                text(insert, 8, QByteArray("收款员"));
                text(insert, 9, QByteArray("药品处方自动出库"));
                text(insert, 10, QByteArray("病人"));
                text(insert, 11, l.category.toUtf8());
                sqlite3_bind_int64(insert, 12, number);
                text(insert, 13, expires);
                exec(insert);
                remaining = take < remaining ? remaining - take : 0.0;
            }
            done(batch);
            if (remaining > 0.0) qFatal("bare: shortfall");
        }
        if (out) {
            while (sqlite3_step(written) == SQLITE_ROW)
                *out << QStringLiteral("%1#%2/%3").arg(sqlite3_column_double(written, 0)).arg(sqlite3_column_int64(written, 1)).arg(sqlite3_column_double(written, 2));
            done(written);
        }
        exec(rollback);
    }
};

struct BarePostgres : Bare {
    PGconn* db = nullptr;

    explicit BarePostgres(const QString& url)
    {
        db = PQconnectdb(url.toUtf8().constData());
        if (PQstatus(db) != CONNECTION_OK) qFatal("%s", PQerrorMessage(db));
        for (const auto& [name, sql] : {std::pair{"sw", switchSql}, {"sum", sumSql(false)}, {"batch", batchSql(false)},
                                        {"update", updateSql}, {"insert", insertSql}, {"written", withdrawalsSql}}) {
            PGresult* r = PQprepare(db, name, numbered(sql).constData(), 0, nullptr);
            if (PQresultStatus(r) != PGRES_COMMAND_OK) qFatal("%s", PQerrorMessage(db));
            PQclear(r);
        }
    }
    ~BarePostgres() override { PQfinish(db); }

    using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;
    Result exec(const char* name, const std::vector<QByteArray>& values, ExecStatusType wanted)
    {
        std::vector<const char*> p;
        for (const QByteArray& v : values) p.push_back(v.constData());
        Result r(PQexecPrepared(db, name, int(p.size()), p.data(), nullptr, nullptr, 0), &PQclear);
        if (PQresultStatus(r.get()) != wanted) qFatal("%s", PQerrorMessage(db));
        return r;
    }
    void plain(const char* sql)
    {
        Result r(PQexec(db, sql), &PQclear);
        if (PQresultStatus(r.get()) != PGRES_COMMAND_OK) qFatal("%s", PQerrorMessage(db));
    }
    bool stockKept()
    {
        Result r = exec("sw", {}, PGRES_TUPLES_OK);
        return PQntuples(r.get()) > 0 && !PQgetisnull(r.get(), 0, 0) && std::atoi(PQgetvalue(r.get(), 0, 0)) == 0;
    }
    static QByteArray number(double v) { return QByteArray::number(v, 'g', 17); }

    void run(const rx::MedicineLineList& lines, const QByteArray& bound, const QByteArray& now, Written* out) override
    {
        plain("BEGIN");
        if (!stockKept()) qFatal("stock not kept");
        for (const rx::MedicineLine& l : lines) {
            Result r = exec("sum", {l.name.toUtf8(), l.spec.toUtf8(), bound}, PGRES_TUPLES_OK);
            if (PQgetisnull(r.get(), 0, 0) || std::trunc(std::atof(PQgetvalue(r.get(), 0, 0))) < l.quantity) qFatal("bare: short");
        }
        if (!stockKept()) qFatal("stock not kept");
        for (const rx::MedicineLine& l : lines) {
            const QByteArray name = l.name.toUtf8(), spec = l.spec.toUtf8();
            Result batches = exec("batch", {name, spec, bound}, PGRES_TUPLES_OK);
            double remaining = l.quantity;
            for (int row = 0; remaining > 0.0 && row < PQntuples(batches.get()); ++row) {
                const QByteArray batchNumber = PQgetvalue(batches.get(), row, 0);
                const double take = std::min(remaining, std::atof(PQgetvalue(batches.get(), row, 1)));
                if (take <= 0.0) continue;
                Result u = exec("update", {number(take), batchNumber, number(take)}, PGRES_COMMAND_OK);
                if (std::atoi(PQcmdTuples(u.get())) != 1) qFatal("bare: batch taken");
                exec("insert",
                     {l.unit.toUtf8(), name, spec, number(take), number(l.price), number(l.amount), now,
                      QByteArray("收款员"), QByteArray("药品处方自动出库"), QByteArray("病人"), l.category.toUtf8(),
                      batchNumber, PQgetvalue(batches.get(), row, 2)},
                     PGRES_TUPLES_OK);
                remaining = take < remaining ? remaining - take : 0.0;
            }
            if (remaining > 0.0) qFatal("bare: shortfall");
        }
        if (out) {
            Result r = exec("written", {}, PGRES_TUPLES_OK);
            for (int row = 0; row < PQntuples(r.get()); ++row)
                *out << QStringLiteral("%1#%2/%3")
                            .arg(std::atof(PQgetvalue(r.get(), row, 0)))
                            .arg(std::atoll(PQgetvalue(r.get(), row, 1)))
                            .arg(std::atof(PQgetvalue(r.get(), row, 2)));
        }
        plain("ROLLBACK");
    }
};

// ----- the engine side -----

void engineRun(db::Connection& c, const rx::MedicineLineList& lines, const QDateTime& now, Written* out)
{
    db::Transaction t(c);
    if (!rx::stockKept(c)) qFatal("stock not kept");
    if (!rx::StockCovers(c, lines, 0, now)) qFatal("engine: short");
    rx::TakeOutOfStock(c, lines, 0, {QStringLiteral("收款员"), QStringLiteral("病人")}, now);
    if (out) {
        db::Query q(c, withdrawalsSql);
        q.exec();
        while (q.next()) *out << QStringLiteral("%1#%2/%3").arg(q.number(0)).arg(q.integer(1)).arg(q.number(2));
    }
    t.rollback();
}

void showPlan(db::Connection& c, const QString& url, const rx::MedicineLine& l, const QDateTime& bound)
{
    qInfo("plan of the batch look-up:");
    if (c.isSQLite()) {
        db::Query q(c, QStringLiteral("EXPLAIN QUERY PLAN ") + batchSql(true), {l.name, l.spec, bound});
        q.exec();
        while (q.next()) qInfo("  %s", qPrintable(q.text(3)));
        return;
    }
    // Qt's driver prepares every statement, and EXPLAIN cannot be prepared: libpq sends it
    // with its parameters as they are.
    PGconn* pg = PQconnectdb(url.toUtf8().constData());
    const QByteArray name = l.name.toUtf8(), spec = l.spec.toUtf8(), b = db::dateTimeText(bound).toUtf8();
    const char* values[] = {name.constData(), spec.constData(), b.constData()};
    PGresult* r = PQexecParams(pg, numbered(QStringLiteral("EXPLAIN ") + batchSql(false)).constData(), 3, nullptr, values,
                               nullptr, nullptr, 0);
    if (PQresultStatus(r) != PGRES_TUPLES_OK) qFatal("%s", PQerrorMessage(pg));
    for (int row = 0; row < PQntuples(r); ++row) qInfo("  %s", PQgetvalue(r, row, 0));
    PQclear(r);
    PQfinish(pg);
}

double median(std::vector<qint64> v)
{
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2] / 1e6;
}

void measureOn(const QString& backend, QTemporaryDir& dir)
{
    QElapsedTimer t;
    t.start();
    const QString url = build(backend, dir);
    qInfo("%s: %d batches of %d medicines written in %.1f s", qPrintable(backend), medicines * batchesEach, medicines,
          t.elapsed() / 1000.0);
    auto c = db::Connection::open(url);
    const QDateTime now = c->serverTime();
    const QByteArray nowText = db::dateTimeText(now).toUtf8();
    const QByteArray boundText = db::dateTimeText(rx::endOfDay(now)).toUtf8();
    std::unique_ptr<Bare> bare;
    if (c->isSQLite()) bare = std::make_unique<BareSqlite>(url.mid(7));
    else bare = std::make_unique<BarePostgres>(url);
    const rx::MedicineLineList lines = prescription();
    showPlan(*c, url, lines.at(1), rx::endOfDay(now));

    Written byEngine, byBare;
    engineRun(*c, lines, now, &byEngine);
    bare->run(lines, boundText, nowText, &byBare);
    if (byEngine != byBare || byEngine.size() != 2 * lineCount)
        qFatal("the two sides wrote different withdrawals:\n%s\n%s", qPrintable(byEngine.join(QLatin1Char(' '))),
               qPrintable(byBare.join(QLatin1Char(' '))));
    qInfo("both sides wrote the same %lld withdrawals (%s …)", static_cast<long long>(byEngine.size()),
          qPrintable(byEngine.mid(0, 2).join(QLatin1Char(' '))));

    std::vector<qint64> engine, hand;
    const auto time = [&](const std::function<void()>& f, std::vector<qint64>& into) {
        QElapsedTimer e;
        e.start();
        f();
        into.push_back(e.nsecsElapsed());
    };
    const auto engineSide = [&] { engineRun(*c, lines, now, nullptr); };
    const auto bareSide = [&] { bare->run(lines, boundText, nowText, nullptr); };
    for (int i = 0; i < 3; ++i) { // warm both up
        engineSide();
        bareSide();
    }
    for (int i = 0; i < pairs; ++i) {
        if (i % 2 == 0) {
            time(engineSide, engine);
            time(bareSide, hand);
        } else {
            time(bareSide, hand);
            time(engineSide, engine);
        }
    }
    const double e = median(engine), h = median(hand);
    qInfo("%s: engine %.3f ms, bare %.3f ms (medians of %d pairs), ratio %.2f", qPrintable(backend), e, h, pairs, e / h);
    bench::report("bench_stockout", backend.toStdString(), "10-line stock check and stock-out, ms", e, h, e / h);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    measureOn(QStringLiteral("sqlite"), dir);
    const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
    if (!admin.isEmpty()) {
        measureOn(QStringLiteral("postgresql"), dir);
        auto a = db::Connection::open(admin);
        a->execute(QStringLiteral("DROP DATABASE IF EXISTS calvane_bench_%1").arg(QCoreApplication::applicationPid()));
    }
    return 0;
}
