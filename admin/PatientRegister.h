#pragma once
#include "admin/CashierRegister.h"
#include <optional>

// New patients registered at the desk, and corrections of what was registered. A case number
// (病历号) and a patient number (病人编号) are handed out once: two desks registering at the
// same moment get different numbers. The pinyin initials the desk's search uses are written
// with every name.
namespace patients {

struct Patient {
    qint64 caseNumber = 0;
    QString number;
    QString name;
    QString phone;
    QString sex; // "男", "女" or empty
    QString age;
    QString birthDate{}; // 出生日期 as "yyyy-MM-dd", empty when not known
};

using cashiers::Outcome;

// Outcome::id is the new case number.
Outcome registerPatient(db::Connection& c, const Patient& patient);
// Name, phone, sex, age and birth date of a registered patient, guarded by the row as loaded.
Outcome correct(db::Connection& c, const Patient& loaded, const Patient& changed);
std::optional<Patient> load(db::Connection& c, qint64 caseNumber);

} // namespace patients
