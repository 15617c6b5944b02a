#pragma once
#include "admin/CashierRegister.h"
#include <QList>
#include <QString>

// The clinic's doctors (主治医生表) and departments (科室表) as the fee dialogs' lists read them:
// a doctor's name fills the 医生 list and brings its number and department into a receipt.
// The tables have no key, so an edit is guarded by the whole row as it was loaded; a name or a
// number is never entered twice, so that a doctor's name finds one number.
namespace doctors {

struct Doctor {
    QString name;
    QString number;
    QString department;
};

using cashiers::Outcome;

QList<Doctor> list(db::Connection& c);
QStringList departments(db::Connection& c);

Outcome add(db::Connection& c, const Doctor& doctor);
Outcome edit(db::Connection& c, const Doctor& loaded, const Doctor& changed);
// The doctor leaves the lists; receipts keep the name they were written with.
Outcome remove(db::Connection& c, const Doctor& loaded);

Outcome addDepartment(db::Connection& c, const QString& name);
// The doctors of the department move with it, in the same transaction.
Outcome renameDepartment(db::Connection& c, const QString& loaded, const QString& name);
// Refused while a doctor belongs to it.
Outcome removeDepartment(db::Connection& c, const QString& loaded);

} // namespace doctors
