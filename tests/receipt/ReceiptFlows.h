#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The ReceiptSet flows of tst_receipt_dialog: what the host hands in, the script a person's
// actions become, and what must come out. (Kept apart from the test class: the scripts' raw
// strings would confuse moc.)
struct ReceiptFlow {
    const char* name;
    QString stored;     // the receipt the host names: none, unpaid, paid, other (doctor), refund
    QString doctor;     // the host's doctor
    int fault;          // the Nth statement after the dialog shows fails (0: none; below 0:
                        // the -Nth runs and then fails as it finishes)
    const char* script; // the steps, JSON
    int result;         // ReceiptSet's result
    QString handedBack; // "new" row, the "same" ID, or "nothing" written
    QString buttons;    // enabled on opening
    QStringList messages;
    int rows; // receipts stored afterwards
    QVariantMap row; // columns of the receipt handed back
};

QList<ReceiptFlow> receiptFlows();
