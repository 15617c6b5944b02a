#pragma once
#include "db/Connection.h"
#include "receipt/FeeCategories.h"
#include <QDateTime>
#include <optional>

// A walk-in fee sheet: fees of a patient without a case record, typed per category and
// stored as one row of 无病历收费单, paid in full at once.
namespace walkin {

struct WalkinSheet {
    qint64 id = 0;
    QString patientName; // 病人姓名
    QDateTime date;      // 日期
    receipt::CategoryAmounts amounts{};
    double total = 0.0; // 合计
    QString remark;     // 备注
    QString doctorName; // 医生姓名
    QString doctorNumber;
    QString cashier;    // 收款人
    QString department; // 科室
    QString nurse;      // 护士
};

// The sheet's row: 病人姓名, the twelve amounts, 合计, 备注, 医生姓名, 医生编号, 收款人 and
// 科室 (NULL read as 0 or ""); nothing when there is no such row.
std::optional<WalkinSheet> loadWalkinSheet(db::Connection& c, qint64 id);

// Stores the sheet as a new paid row ("已付", 应收金额 = 收款金额 = 合计, 余额 0) and returns its
// ID. An empty 医生编号 or 备注 is stored as one blank.
qint64 addWalkinSheet(db::Connection& c, const WalkinSheet& sheet);

// Writes the sheet over its row, paid again from the new total, while the row still holds
// what `loaded` was read as. False when it does not (changed or removed at another desk).
bool updateWalkinSheet(db::Connection& c, const WalkinSheet& sheet, const WalkinSheet& loaded);

} // namespace walkin
