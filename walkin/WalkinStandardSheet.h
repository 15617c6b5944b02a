#pragma once
#include "receipt/StandardItemWriter.h"
#include <optional>

// A walk-in patient's sheet of catalogue items, paid in full when it is stored.
namespace walkin {

struct WalkinStandardSheet {
    qint64 id = 0; // 0: a new sheet
    QString patientName;
    QString sex;
    int age = 0;
    QString doctorName;
    QString doctorNumber;
    QString department;
    QString cashier;
    QDateTime date;
    QString nurse;
    QString remark;
    // 合计 as the sheet was loaded: a correction is written only while the row still holds it.
    std::optional<double> loadedTotal;
};

// Stores the sheet "已付" with 合计 = 应收金额 = 收款金额 = the lines' total and 余额 = 0, the
// remark with it, then its lines (收据类型 1, 无病案编号); one transaction. A correction of
// a sheet changed or removed at another desk since it was loaded throws receipt::SaveConflict.
receipt::SavedLines writeWalkinStandardSheet(db::Connection& c, const WalkinStandardSheet& sheet,
                                             const receipt::StandardItemList& items);

} // namespace walkin
