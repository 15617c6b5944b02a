#pragma once
#include "db/Connection.h"
#include <QList>
#include <QString>
#include <QVariantList>

namespace desk {

struct PatientHit {
    qint64 caseNumber = 0; // 病历号
    QString number;        // 病人编号
    QString name;
    QString phone;
};

// The patients a cashier means while typing: digits find the case number exactly, the phones
// that begin or end with them and the patient numbers that begin with them; Latin letters the
// pinyin initials and patient numbers that begin with them; anything else the names that begin
// with the text. Any text but digits also finds the names it is a part of.
// Every look-up is one range of an index and stops at limit rows, so the answer takes the
// same time on a clinic of any size. Case numbers first, then as the indexes give them.
QList<PatientHit> searchPatients(db::Connection& c, const QString& text, int limit = 50);

// The statements a search for text runs, in order (for reading their query plans).
struct SearchStep {
    QString sql;
    QVariantList values;
};
QList<SearchStep> searchSteps(const db::Connection& c, const QString& text, int limit = 50);

// Gives up to batch cases that have no pinyin initials yet (registered by the clinic system)
// their initials; returns how many it filled, so a caller can stop at 0.
int fillMissingInitials(db::Connection& c, int batch);

} // namespace desk
