// A second cashier's desk in a process of its own, for the tests of two desks on one database:
//   standard_desk URL requantify KIND OWNER_ID   the first line of the receipt/sheet gets quantity 3
//   standard_desk URL drop      KIND OWNER_ID   the first line is deleted through the writer
//   standard_desk URL settle    KIND OWNER_ID   the receipt is settled ("已付")
//   standard_desk URL add       0    OWNER_ID   a line is added and the receipt saved, header and all
// KIND is 0 (case-record receipt) or 1 (walk-in sheet). Exit code 0 when the desk's save went through.
#include "db/Query.h"
#include "receipt/StandardItemWriter.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fputs("usage: standard_desk URL requantify|drop|settle|add KIND OWNER_ID\n", stderr);
        return 2;
    }
    try {
        auto c = db::Connection::open(args[1]);
        const auto kind = args[3].toInt() == 1 ? receipt::ReceiptKind::Walkin : receipt::ReceiptKind::CaseRecord;
        const qint64 owner = args[4].toLongLong();
        if (args[2] == QLatin1String("settle"))
            return db::execute(*c, QStringLiteral("UPDATE 收费收据表 SET 付款='已付' WHERE ID=? AND rtrim(付款)='未付'"),
                               {owner}) == 1 ? 0 : 1;
        receipt::StandardItemList items = receipt::loadStandardItems(*c, kind, owner);
        if (items.empty()) return 1;
        if (args[2] == QLatin1String("add")) {
            receipt::StandardReceiptHeader h;
            h.id = owner;
            h.loaded = receipt::loadStandardReceiptRow(*c, owner);
            if (!h.loaded) return 1;
            h.caseNumber = db::toInteger(h.loaded->value(QStringLiteral("病历号")));
            h.doctorName = QStringLiteral("王医生");
            receipt::StandardItem line;
            line.className = QStringLiteral("治疗类");
            line.name = QStringLiteral("洁牙");
            line.unitPrice = line.undiscountedAmount = line.discountedAmount = 60.0;
            line.quantity = 1.0;
            items.add(line);
            receipt::writeStandardReceipt(*c, h, items);
            return 0;
        }
        if (args[2] == QLatin1String("drop")) {
            items.remove(0);
        } else {
            receipt::StandardItem line = items.at(0);
            line.quantity = 3.0;
            line.discountedAmount = line.unitPrice * 3.0 * line.rate;
            items.replace(0, line);
        }
        receipt::saveStandardItems(*c, kind, owner, items);
        return 0;
    } catch (const db::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}
