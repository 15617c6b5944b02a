#pragma once
#include <QString>

namespace rx {

// One medicine of a prescription, as the prescription dialogs, the stock check and the detail
// table share it. Fields in the order the clinic's line record keeps them.
struct MedicineLine {
    QString category; // 类别: the catalogue category, also the stock-out's 库存分类
    QString name;     // 名称
    QString spec;     // 规格
    QString unit;     // 单位
    double price = 0.0;    // 单价, yuan
    double quantity = 0.0; // 数量
    double extra = 0.0;    // carried along; the prescription dialogs never set it
    double amount = 0.0;   // 金额 = 单价 × 数量
    QString usage;        // 服用方式
    QString freeText;     // carried along
    QString dose;         // 每次用量
    QString timesPerDay;  // 每日次数
    QString insurance;    // 医保类型
    QString remark;       // 备注
    qint32 documentId = 0; // the fee document (receipt or walk-in sheet) the line belongs to
    qint32 rowId = 0;      // its 处方明细表 row; 0 until stored
    qint32 copied = 0;     // carried along

    bool operator==(const MedicineLine&) const = default;
};

} // namespace rx
