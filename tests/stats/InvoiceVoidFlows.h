#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// SDTableDisable flows through scripts (apart from the test class: raw strings confuse moc).
// The clinic: receipt 7 has tickets 1001 and 1002, receipt 8 has 2001; 3001 is voided already;
// 4001 has the state 2.
struct InvoiceVoidFlow {
    const char* name;
    const char* script;
    QStringList messages;
    QString voided; // the tickets voided afterwards, "1001,1002,3001" style, ascending
    QString scriptError = QString(); // end of the script's refusal, when a step is refused
};

QList<InvoiceVoidFlow> invoiceVoidFlows();
