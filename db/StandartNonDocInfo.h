#pragma once
#include "db/Connection.h"
#include <QString>

namespace db {

// The header of a walk-in sheet (无病历收费单) as the walk-in standard fee dialog shows it.
struct StandartNonDocInfo {
    QString patientName; // 病人姓名
    QString sex;         // 性别
    int age = 0;         // 年龄
    QString doctorName;  // 医生姓名
    QString department;  // 科室
    QString doctorNumber; // 医生编号
    double total = 0.0;  // 合计
    QString remark;      // 备注
};

// Fills info from the sheet's row. Returns false, info untouched, when there is no such
// sheet; throws db::Error when it cannot be read. An age that is no number reads 0.
bool GetStandartNonDocInfo(Connection& c, qint64 sheetId, StandartNonDocInfo& info);

} // namespace db
