// One desk of the two-desk stock test, as a process of its own:
//   stock_desk hold URL QUANTITY  takes QUANTITY of the test medicine out of stock inside a
//                                 transaction, prints "taken", then commits or rolls back as
//                                 the next line on stdin says, and prints "done";
//   stock_desk save URL QUANTITY  saves a walk-in prescription of QUANTITY through the
//                                 prescription form and prints how the save ended;
//   stock_desk lock URL           holds every stock batch in a transaction (as a desk in the
//                                 middle of a stock-out), prints "taken", waits for a line on
//                                 stdin and rolls back;
//   stock_desk settle URL RECEIPT settles the prescription RECEIPT in cash through the
//                                 checkout form and prints how it ended;
//   stock_desk correct URL DOC WALKIN  opens prescription DOC (a walk-in sheet when WALKIN is 1)
//                                 in the prescription form, adds one unit of the test medicine,
//                                 saves and prints how the save ended.
#include "db/Transaction.h"
#include "db/Query.h"
#include "rx/PrescriptionCheckoutForm.h"
#include "rx/PrescriptionForm.h"
#include "rx/Stock.h"
#include <QCoreApplication>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) return 2;
    const QString name = QStringLiteral("阿莫西林"), spec = QStringLiteral("0.25g*24");
    const double quantity = args.value(3).toDouble();
    try {
        auto c = db::Connection::open(args[2]);
        if (args[1] == QLatin1String("lock")) {
            db::Transaction t(*c);
            db::execute(*c, QStringLiteral("UPDATE 材料库存表 SET 现存数量=现存数量"));
            std::printf("taken\n");
            std::fflush(stdout);
            std::string what;
            std::getline(std::cin, what);
            return 0;
        }
        if (args[1] == QLatin1String("settle")) {
            rx::PrescriptionCheckoutForm::Inputs in;
            in.receiptId = args.value(3).toLongLong();
            in.caseNumber = 7;
            in.patientNumber = QStringLiteral("P7");
            in.cashier = QStringLiteral("收款员") + QString::number(QCoreApplication::applicationPid());
            rx::PrescriptionCheckoutForm f(c, in);
            f.open();
            const auto ending = f.settle();
            std::printf("%s\n", ending == rx::PrescriptionCheckoutForm::Ending::Accept     ? "accept"
                                : ending == rx::PrescriptionCheckoutForm::Ending::Shortage ? "shortage"
                                                                                          : "stay");
            return 0;
        }
        if (args[1] == QLatin1String("hold")) {
            rx::MedicineLineList lines;
            rx::MedicineLine l;
            l.name = name;
            l.spec = spec;
            l.quantity = quantity;
            lines.prepend(l);
            db::Transaction t(*c);
            rx::TakeOutOfStock(*c, lines, 0, {QStringLiteral("甲"), QStringLiteral("病人甲")}, c->serverTime());
            std::printf("taken\n");
            std::fflush(stdout);
            std::string what;
            std::getline(std::cin, what);
            if (what == "commit") t.commit();
            else t.rollback();
            std::printf("done\n");
            return 0;
        }
        rx::PrescriptionForm::Inputs in;
        in.patientName = QStringLiteral("病人乙");
        in.cashier = QStringLiteral("乙");
        const bool correcting = args[1] == QLatin1String("correct");
        if (correcting) {
            in.documentId = args.value(3).toInt();
            in.caseNumber = 7;
            in.doctorName = QStringLiteral("王医生");
            if (args.value(4) != QLatin1String("1")) in.patientNumber = QStringLiteral("P7");
        }
        rx::PrescriptionForm f(c, in);
        f.open();
        f.entry.name = name;
        f.entry.spec = spec;
        f.entry.price = 10.0;
        f.entry.amount = correcting ? 10.0 : 0.0;
        f.entry.quantity = correcting ? 1.0 : quantity;
        f.add();
        const auto ending = f.save();
        std::printf("%s\n", ending == rx::PrescriptionForm::Ending::Accept     ? "accept"
                            : ending == rx::PrescriptionForm::Ending::Shortage ? "shortage"
                                                                              : "stay");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
