#pragma once
#include "db/Connection.h"
#include <QString>
#include <array>

// Look-ups of the clinic library that every receipt dialog shares.
namespace db {

// The department (科室) and doctor number (医生编号) of a doctor in 主治医生表. The name is
// matched as the clinic's database matched it (ASCII case and trailing blanks ignored).
// Returns false, leaving both untouched, when the doctor is not listed.
bool GetDoctorInfo(Connection& c, const QString& doctorName, QString& department, QString& doctorNumber);

// The clinic's own names of the twelve fee categories, in canonical order, from
// ReceiptItemName_Table (ItemIndex 1–12). A slot without a row, or whose stored name is
// blank, keeps what the caller put there (the default label).
void GetReceiptItemName(Connection& c, std::array<QString, 12>& names);

} // namespace db
