#pragma once
#include <QList>
#include <QString>
#include <QStringList>

// The flows of tst_stats_dialogs: which export, the script a person's actions become, and the
// list the dialog ends up showing (read back from its CSV) and texts of its PDF. (Apart from
// the test class: the scripts' raw strings would confuse moc.)
struct StatsFlow {
    const char* name;
    QString exportName; // HEBEITableStatic or SDTableStatic
    const char* script;
    QStringList lines;    // the list as saved to CSV
    QStringList pdfTexts; // found in the PDF (blanks ignored); empty: no PDF saved
};

QList<StatsFlow> statsFlows();
// The clinic the flows run on (rows for statsfixture::write).
QStringList flowClinic();
