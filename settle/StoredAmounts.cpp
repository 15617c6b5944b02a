#include "settle/StoredAmounts.h"
#include "common/ShortQuote.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "receipt/FeeCategories.h"
#include <cmath>

using namespace Qt::StringLiterals;

namespace settle {

namespace {

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return std::isfinite(v.toDouble());
    case QMetaType::QString: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        return ok && std::isfinite(d);
    }
    default:
        return false;
    }
}

// The refusal for one stored value, or nothing when it may be settled on.
QString judge(qint64 receiptId, const QString& what, const QVariant& v, bool required)
{
    if (v.isNull()) return required ? u"收据%1的%2是空的，不能结帐!"_s.arg(receiptId).arg(what) : QString();
    if (isNumber(v)) return {};
    return u"收据%1的%2不是数字（%3），不能结帐!"_s.arg(receiptId).arg(what, shortQuote(v.toString()));
}

const QString kItemLines = u"SELECT 收费项目,标准,数量,金额,StandartFee FROM 收费明细表 WHERE 收据编号=? ORDER BY ID"_s;

// The lines of the receipt in one table, from a run read: `name` names a line, `required` must
// hold a number, `optional` may be NULL.
QString judgeLines(db::Query& q, qint64 receiptId, const QString& kind, const QStringList& required,
                   const QStringList& optional, bool* any)
{
    while (q.next()) {
        *any = true;
        const QString line = u"%1“%2”的"_s.arg(kind, q.text(0));
        for (const QString& column : required)
            if (QString r = judge(receiptId, line + column, q.value(column), true); !r.isEmpty()) return r;
        for (const QString& column : optional)
            if (QString r = judge(receiptId, line + column, q.value(column), false); !r.isEmpty()) return r;
    }
    return {};
}

QString judgeAll(db::Connection& c, db::Query& r, db::Query* itemLines, qint64 receiptId)
{
    if (!r.next()) return {};
    bool any = false;
    if (r.integer(u"IsPrescriptionFlag"_s) == 2) {
        // The prescription checkout settles on the stored 合计 and takes 数量 out of stock.
        if (QString refusal = judge(receiptId, u"合计"_s, r.value(u"合计"_s), true); !refusal.isEmpty()) return refusal;
        db::Query lines(c, u"SELECT 名称,单价,数量,金额 FROM 处方明细表 WHERE ReceiptID=? ORDER BY ID"_s, {receiptId});
        return judgeLines(lines.exec(), receiptId, u"药品"_s, {u"数量"_s, u"金额"_s}, {u"单价"_s}, &any);
    }
    if (QString refusal = judge(receiptId, u"合计"_s, r.value(u"合计"_s), false); !refusal.isEmpty()) return refusal;
    // A receipt of catalogue items is settled on its lines.
    std::unique_ptr<db::Query> own;
    if (!itemLines) {
        own = std::make_unique<db::Query>(c, kItemLines, std::initializer_list<QVariant>{receiptId});
        itemLines = &own->exec();
    }
    const QString lines = judgeLines(*itemLines, receiptId, u"收费项目"_s, {u"金额"_s},
                                     {u"标准"_s, u"数量"_s, u"StandartFee"_s}, &any);
    if (any) return lines;
    for (int i = 0; i < receipt::CategoryCount; ++i) {
        const QString column = receipt::categoryColumn(i);
        if (QString refusal = judge(receiptId, column, r.value(column), false); !refusal.isEmpty()) return refusal;
    }
    return {};
}

// The receipt's columns the judgement reads.
const QString& receiptRead()
{
    static const QString sql = [] {
        QStringList columns{u"IsPrescriptionFlag"_s, u"合计"_s};
        for (int i = 0; i < receipt::CategoryCount; ++i) columns << receipt::categoryColumn(i);
        for (const QString& column : columns) db::checkIdentifier(column);
        return u"SELECT %1 FROM 收费收据表 WHERE ID=?"_s.arg(columns.join(u','));
    }();
    return sql;
}

} // namespace

QString StoredAmountsRefusal(db::Connection& c, qint64 receiptId)
{
    db::Query r(c, receiptRead(), {receiptId});
    return judgeAll(c, r.exec(), nullptr, receiptId);
}

StoredAmountReads SendStoredAmountReads(db::Connection& c, qint64 receiptId)
{
    StoredAmountReads reads;
    reads.receiptId = receiptId;
    reads.receipt = std::make_unique<db::Query>(c, receiptRead(), std::initializer_list<QVariant>{receiptId});
    reads.receipt->send();
    reads.itemLines = std::make_unique<db::Query>(c, kItemLines, std::initializer_list<QVariant>{receiptId});
    reads.itemLines->send();
    return reads;
}

QString StoredAmountsRefusal(db::Connection& c, StoredAmountReads& reads)
{
    return judgeAll(c, *reads.receipt, reads.itemLines.get(), reads.receiptId);
}

} // namespace settle
