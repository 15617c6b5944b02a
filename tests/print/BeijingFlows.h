#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The flows of the two Beijing receipt form exports through scripts (apart from the test class:
// raw strings confuse moc).
struct BeijingFlow {
    const char* name;
    int edition;        // 0: BeijingReceiptPrint, 1: BeijingReceiptPrint1
    double amount;      // handed in by the host
    const char* script; // the steps, JSON
    int result;         // the export's result (and what it writes back)
    QStringList messages;
    QVariantMap row; // the stored row; empty: nothing stored
    // The end of the script's refusal, when a step is meant to be refused (a field that goes
    // back to its kept value does not take what was typed, and the dialog is cancelled).
    QString scriptError = QString();
};

QList<BeijingFlow> beijingFlows();
