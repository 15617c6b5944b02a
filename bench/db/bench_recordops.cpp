// Inserts and keyed updates per second through AddRecord/ModefyRecord, against the same
// statements written bare (one QSqlQuery prepared once and re-bound), on SQLite and, when
// CALVANE_TEST_PG holds a server URL, on PostgreSQL. Each run writes N fee lines
// (收费明细表, 12 columns) in one transaction; the best of three runs counts.
//
//   bench_recordops [N]        (default N = 2000)
#include "db/Connection.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "db/Transaction.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>
#include <functional>

using namespace db;

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

void check(QSqlQuery& q)
{
    if (!q.exec()) throw Error(q.lastError().text());
}

// Rows per second of the best of three runs; each run gets a fresh table.
double rate(Connection& c, int n, const std::function<void(int)>& perRow, const std::function<void()>& prepare)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        prepare();
        Transaction t(c);
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < n; ++i) perRow(i);
        t.commit();
        const double seconds = timer.nsecsElapsed() / 1e9;
        best = std::max(best, n / seconds);
    }
    return best;
}

void measure(const QString& label, Connection& c, int n, QTextStream& out)
{
    const QString placeholders = QStringList(columns.size(), u("?")).join(u(","));
    const QString insertSql = u("INSERT INTO 收费明细表 (%1) VALUES (%2) RETURNING ID").arg(columns.join(u(",")), placeholders);
    const QString updateSql = u("UPDATE 收费明细表 SET 数量=?,金额=?,StandartFee=? WHERE ID=?");
    auto empty = [&] { c.execute(u("DELETE FROM 收费明细表")); };
    QList<qint64> ids;

    const double oursInsert = rate(c, n, [&](int i) { ids << AddRecord(c, u("收费明细表"), lineFields(i)); },
                                   [&] { empty(); ids.clear(); });
    QSqlQuery bareInsertQuery(c.database());
    const double bareInsert = rate(
        c, n,
        [&](int i) {
            const QVariantList v = lineValues(i);
            for (int k = 0; k < v.size(); ++k) bareInsertQuery.bindValue(k, v[k]);
            check(bareInsertQuery);
            bareInsertQuery.next();
            ids << bareInsertQuery.value(0).toLongLong();
            bareInsertQuery.finish(); // SQLite keeps the statement open until it is finished
        },
        [&] {
            empty();
            ids.clear();
            bareInsertQuery = QSqlQuery(c.database());
            bareInsertQuery.prepare(insertSql);
        });

    auto refill = [&] {
        empty();
        ids.clear();
        Transaction t(c);
        for (int i = 0; i < n; ++i) ids << AddRecord(c, u("收费明细表"), lineFields(i));
        t.commit();
    };
    const double oursUpdate = rate(
        c, n,
        [&](int i) {
            ModefyRecord(c, u("收费明细表"), {{u("数量"), 3.0}, {u("金额"), 27.0 + i}, {u("StandartFee"), 30.0 + i}},
                         {u("ID=?"), {ids[i]}});
        },
        refill);
    QSqlQuery bareUpdateQuery(c.database());
    const double bareUpdate = rate(
        c, n,
        [&](int i) {
            bareUpdateQuery.bindValue(0, 3.0);
            bareUpdateQuery.bindValue(1, 27.0 + i);
            bareUpdateQuery.bindValue(2, 30.0 + i);
            bareUpdateQuery.bindValue(3, ids[i]);
            check(bareUpdateQuery);
        },
        [&] {
            refill();
            bareUpdateQuery = QSqlQuery(c.database());
            bareUpdateQuery.prepare(updateSql);
        });

    auto line = [&](const char* op, double ours, double bare) {
        out << QStringLiteral("%1 %2 %3 %4 %5\n")
                   .arg(label, -11)
                   .arg(QLatin1String(op), -8)
                   .arg(ours, 12, 'f', 0)
                   .arg(bare, 12, 'f', 0)
                   .arg(ours / bare, 7, 'f', 2);
        out.flush();
    };
    line("insert", oursInsert, bareInsert);
    line("update", oursUpdate, bareUpdate);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 2000;
    QTextStream out(stdout);
    out << "rows per run: " << n << " (best of 3; ratio = record operations / bare prepared statement)\n";
    out << QStringLiteral("%1 %2 %3 %4 %5\n").arg(u("backend"), -11).arg(u("op"), -8).arg(u("ours/s"), 12).arg(u("bare/s"), 12).arg(u("ratio"), 7);
    try {
        QTemporaryDir dir;
        {
            auto c = Connection::open(u("sqlite:") + dir.filePath(u("bench.sqlite")));
            schema::migrate(*c);
            measure(u("sqlite"), *c, n, out);
        }
        const QString admin = qEnvironmentVariable("CALVANE_TEST_PG");
        if (admin.isEmpty()) {
            out << "postgresql: skipped (set CALVANE_TEST_PG to a server URL)\n";
            return 0;
        }
        const QString name = QStringLiteral("calvane_bench_%1").arg(QCoreApplication::applicationPid());
        auto a = Connection::open(admin);
        a->execute(u("CREATE DATABASE ") + name);
        QUrl url(admin);
        url.setPath(QLatin1Char('/') + name);
        {
            auto c = Connection::open(url.toString());
            schema::migrate(*c);
            measure(u("postgresql"), *c, n, out);
        }
        a->execute(u("DROP DATABASE ") + name);
    } catch (const std::exception& e) {
        QTextStream(stderr) << "bench_recordops: " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
