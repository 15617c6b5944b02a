#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The item dialogs' flows for tst_standard_item_dialogs: what the clinic and the host hand in,
// the steps of a person, and what must be stored. (Apart from the test class: moc and the
// scripts' raw strings do not mix.)
struct ItemFlow {
    const char* name;
    QString setup;      // "": plain clinic; "type3": discounts with per-item rates; "stored": a stored receipt/sheet
    QString doctor;     // the host's doctor
    int fault;          // the Nth statement after 提交/结帐 is pressed fails, once (0: none)
    const char* script; // the steps, JSON
    int result;         // the export's result
    QStringList messages;
    QVariantMap header; // columns of the stored receipt/sheet
    QStringList lines;  // "项目 数量 金额 折扣" of its lines, in ID order
};

QList<ItemFlow> standardReceiptFlows();
QList<ItemFlow> walkinStandardFlows();
