// A host without a QApplication (bench_host_c, plain C) against a host that owns one, calling
// ReceiptSet (its script closes the dialog) and VipGradeSet 20 times each. Hosts take turns,
// each in a process of its own, at least 21 pairs; the figure is the median over the pairs of
// each host's median per call. Both hosts must give the same results. Offscreen unless
// QT_QPA_PLATFORM says otherwise.
//
//   bench_host [CALLS]           (the driver; CALLS per export per host, default 20)
//   bench_host --host URL SCRIPT CALLS MEMBER   (the host that owns its QApplication)
#include "bench/support/BenchDb.h"
#include "bench/support/Pairs.h"
#include "calvane/calvane.h"
#include "db/DemoClinic.h"
#include "db/Query.h"
#include "db/Schema.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <cstdio>

namespace {

int ownApplicationHost(int argc, char** argv)
{
    QApplication app(argc, argv);
    CalvaneConnection* conn = nullptr;
    if (CalvaneConnect(argv[2], &conn) != 0 || CalvaneSetUiScript(argv[3]) != 0) {
        std::fprintf(stderr, "%s\n", CalvaneLastError());
        return 1;
    }
    const int calls = atoi(argv[4]);
    const double date = 45356.5;
    QElapsedTimer t;
    for (int i = 0; i < calls; ++i) {
        int32_t receipt = 0, lock = 0;
        t.start();
        const int32_t r = ReceiptSet(conn, 1001, &receipt, "张明华", "口腔内科", "D001", "张三", date, "周静", &lock);
        std::printf("ReceiptSet %d %.3f\n", int(r), t.nsecsElapsed() / 1e6);
    }
    for (int i = 0; i < calls; ++i) {
        t.start();
        const int32_t r = VipGradeSet(conn, argv[5], "张三", 1, 0, "张会计", date, 0, "", 0);
        std::printf("VipGradeSet %d %.3f %s\n", int(r), t.nsecsElapsed() / 1e6, CalvaneLastError()[0] ? "failed" : "booked");
    }
    CalvaneDisconnect(conn);
    return 0;
}

struct HostRun {
    QMap<QString, std::vector<double>> times;
    QStringList results; // what each call answered, in order
};

HostRun runHost(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        throw std::runtime_error(("host failed: " + p.readAllStandardError()).toStdString());
    HostRun run;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 3) continue;
        run.times[QString::fromLatin1(f[0])].push_back(f[2].toDouble());
        run.results << QString::fromLatin1(f[0] + ' ' + f[1] + (f.size() > 3 ? ' ' + f[3] : QByteArray()));
    }
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && QByteArray(argv[1]) == "--host") return ownApplicationHost(argc, argv);
    QCoreApplication app(argc, argv);
    const QString calls = QString::number(argc > 1 ? std::max(1, atoi(argv[1])) : 20);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("close.json"));
    QFile f(script);
    if (!f.open(QIODevice::WriteOnly) || f.write(R"({"steps":[{"dialog":"收费收据"},{"close":true}]})") < 0) return 1;
    f.close();

    for (const bench::Backend& b : bench::backends(dir, QStringLiteral("host"))) {
        QString member;
        {
            auto c = db::Connection::open(b.url);
            db::schema::migrate(*c);
            db::loadDemoClinic(*c);
            member = db::toText(db::scalar(*c, QStringLiteral("SELECT min(VIP_CODE) FROM PrePay_Table WHERE VIP_CODE <> ''")));
        }
        const QStringList args{b.url, script, calls, member};
        QMap<QString, std::vector<double>> plain, owning;
        for (int pair = 0; pair < bench::minimumPairs; ++pair) {
            const HostRun c = runHost(QStringLiteral(BENCH_HOST_C), args);
            const HostRun q = runHost(QCoreApplication::applicationFilePath(), QStringList{"--host"} + args);
            if (c.results != q.results || c.results.isEmpty())
                throw std::runtime_error("the two hosts got different results");
            if (c.results.contains(QStringLiteral("VipGradeSet 0 failed")))
                throw std::runtime_error("VipGradeSet did not book");
            for (const QString& e : c.times.keys()) {
                plain[e].push_back(bench::median(c.times[e]));
                owning[e].push_back(bench::median(q.times[e]));
            }
        }
        for (const QString& e : plain.keys())
            bench::report("bench_host", b.name.toStdString(),
                          (e + QStringLiteral(" per call, no QApplication / host's own")).toStdString(),
                          {bench::median(plain[e]), bench::median(owning[e])});
    }
    bench::dropAll();
    return 0;
}
