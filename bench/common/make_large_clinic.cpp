// Fills a clinic database with a large realistic clinic for benchmarks and trials:
//   calvane_largeclinic URL [--scale F]
// URL as `calvane` takes it (sqlite:PATH or postgresql://…); the schema is created when
// missing. --scale multiplies every count (1 = a million receipts; 0.01 for a quick run).
#include "bench/common/LargeClinic.h"
#include "db/Query.h"
#include "db/Schema.h"
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QTextStream err(stderr);
    if (args.isEmpty() || args.first().startsWith(QLatin1String("-"))) {
        err << "usage: calvane_largeclinic URL [--scale F]\n";
        return 2;
    }
    double scale = 1.0;
    const int at = int(args.indexOf(QStringLiteral("--scale")));
    if (at > 0) {
        bool ok = false;
        scale = args.value(at + 1).toDouble(&ok);
        if (!ok || scale <= 0) {
            err << "--scale takes a positive number\n";
            return 2;
        }
    }
    try {
        auto c = db::Connection::open(args.first());
        db::schema::migrate(*c);
        if (db::toInteger(db::scalar(*c, QStringLiteral("SELECT count(*) FROM 收费收据表"))) > 0) {
            err << "the database already holds receipts; give an empty one\n";
            return 1;
        }
        const benchdata::ClinicSize size = benchdata::ClinicSize().scaled(scale);
        err << size.describe() << "\n";
        err.flush();
        benchdata::generateClinic(*c, size, [&](const QString& line) {
            err << line << "\n";
            err.flush();
        });
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
    return 0;
}
