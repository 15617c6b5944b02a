#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The PayForNoCard flows of tst_walkin_dialog: what the host hands in, the script a person's
// actions become, and what must come out. (Apart from the test class: raw strings confuse moc.)
struct WalkinFlow {
    const char* name;
    QString sheet;      // the sheet the host names: "none" (0), "stored", "negative"
    QString doctor;     // the host's doctor
    int fault;          // the Nth statement after the dialog shows fails (0: none)
    const char* script; // the steps, JSON
    int result;         // PayForNoCard's result
    QString handedBack; // "new" sheet, the "stored" one, or "nothing" written to the out slots
    QStringList messages;
    int rows;        // sheets stored afterwards
    QVariantMap row; // columns of the sheet handed back (or of the stored one when nothing is)
};

QList<WalkinFlow> walkinFlows();
