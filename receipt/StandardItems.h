#pragma once
#include "common/OutOfBounds.h"
#include "db/Connection.h"
#include "discount/DiscountItems.h"
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

// The lines of a standard-item receipt or walk-in sheet: one catalogue item each, one row of
// 收费明细表 once stored. Shared by the item dialogs and the standard checkout.
namespace receipt {

// Where a line belongs (收据类型): a case-record receipt (收据编号) or a walk-in sheet (无病案编号).
enum class ReceiptKind { CaseRecord = 0, Walkin = 1 };

struct StandardItem : settle::DiscountItem {
    QString className; // 收费类型
    QString name;      // 收费项目
    QString unit;      // 单位
    QString remark;    // the catalogue's remark; not stored with the line
    QDateTime date;    // 日期
    qint64 rowId = 0;  // 收费明细表 ID; 0 until stored

    // The line as it was read, so that a save can tell whether another desk changed it since.
    struct Loaded {
        double quantity = 0.0, amount = 0.0, rate = 0.0;
        QString name;
    } loaded;
};

using ::OutOfBounds; // a row or position outside the list

// The records behind an item list: row i of the list is line i, in the order the lines were
// loaded and added. Stored lines that are removed are kept apart, so that the save deletes
// their rows; lines added since opening simply go.
class StandardItemList {
public:
    int size() const { return static_cast<int>(lines_.size()); }
    bool empty() const { return lines_.empty(); }
    const StandardItem& at(int row) const;
    void add(StandardItem item) { lines_.push_back(std::move(item)); }
    // Replaces the line's fields; its row ID and what was loaded stay with the row.
    void replace(int row, StandardItem item);
    void remove(int row);

    const std::vector<StandardItem>& lines() const { return lines_; }
    std::vector<StandardItem>& lines() { return lines_; }
    const std::vector<StandardItem>& removed() const { return removed_; }

    // After a save was committed: new lines take the IDs they were stored under (in order),
    // every line counts as loaded as it now stands, and the removed lines are gone.
    void markSaved(const std::vector<qint64>& newIds);

private:
    std::vector<StandardItem> lines_;
    std::vector<StandardItem> removed_;
};

settle::ItemTotals totalsOf(const StandardItemList& list);

// The texts of a line in the item lists: 标准, 数量, 折扣, 金额 and 应收金额 "%.2f"; 打折
// "打折" or "不打折"; 折扣 "1.00" for a line that takes no discount.
QString discountFlagText(int discountable);
QString rateText(const StandardItem& item);
// 类别, 项目, 单位, 标准, 数量, 打折, 折扣, 金额, 应收金额.
QStringList cellTexts(const StandardItem& item);
// The 打折 text read back: anything but "不打折" takes discounts.
int discountableFromText(const QString& text);

// The stored lines of a receipt (kind CaseRecord) or walk-in sheet, in ID order. Throws db::Error.
StandardItemList loadStandardItems(db::Connection& c, ReceiptKind kind, qint64 ownerId);

} // namespace receipt
