// A second cashier in a process of its own, for the tests of two desks settling one receipt:
//   standard_cashier URL CASE_NUMBER RECEIPT_ID PATIENT_NUMBER
// settles the receipt in cash as a first settlement. Exit code 0 when it was settled.
#include "settle/StandardCheckoutForm.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fputs("usage: standard_cashier URL CASE_NUMBER RECEIPT_ID PATIENT_NUMBER\n", stderr);
        return 2;
    }
    try {
        settle::StandardCheckoutForm::Inputs in;
        in.caseNumber = args[2].toLongLong();
        in.receiptId = args[3].toLongLong();
        in.patientNumber = args[4];
        in.doctorName = QStringLiteral("王医生");
        in.cashier = QStringLiteral("另一收款员");
        settle::StandardCheckoutForm form(db::Connection::open(args[1]), in);
        form.open();
        return form.settle() == settle::StandardCheckoutForm::Ending::Accept ? 0 : 1;
    } catch (const db::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message()));
        return 1;
    }
}
