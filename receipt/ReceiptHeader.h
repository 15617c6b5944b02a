#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QStringList>

// The header of every receipt dialog: date, doctor, department, nurse, refund switch.
// Each look-up fills what it can; on a database failure what was filled stays and db::Error
// is passed on (most dialogs ignore it, as the clinic always did).
namespace receipt {

// The local time, then the database server's: a date handed in by the host never survives.
void LoadReceiptDate(db::Connection& c, QDateTime& date);

// Every 医生姓名 of 主治医生表, one entry per row, in the rows' order.
void FillDoctorList(db::Connection& c, QStringList& list);
// The 护士 of 护士表 as the clinic library's list filler offers them (each once, in GBK order).
void FillNurseList(db::Connection& c, QStringList& list);

struct DoctorFields {
    QString name;
    QString number;     // 编号
    QString department; // 科室
};
// A doctor picked in the 医生 list (index −1: nothing picked, nothing changes). The number is
// cleared and then read with the department from 主治医生表; when the doctor is not there the
// number stays empty and the department keeps its value.
void SelectDoctor(db::Connection& c, int index, const QString& entryText, DoctorFields& fields);

// Whether the "退费收据" switch is shown: FeeIOShowYesNo of Management_table, the last row
// that has a value winning; no value at all hides it.
bool RefundSwitchVisible(db::Connection& c);

} // namespace receipt
