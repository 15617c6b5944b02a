#include "walkin/WalkinSheet.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/OptimisticEdit.h"

using namespace Qt::StringLiterals;
using receipt::CategoryCount;
using receipt::categoryColumn;

namespace walkin {

namespace {

const QString table = u"无病历收费单"_s;

QVariant text(const QString& s) { return s.isNull() ? u""_s : s; }
QVariant blankWhenEmpty(const QString& s) { return s.isEmpty() ? u" "_s : s; }

// The columns the sheet's dialog loads, as loaded: what a correction expects to find.
db::FieldValues loadedColumns(const WalkinSheet& s)
{
    db::FieldValues v{{u"病人姓名"_s, text(s.patientName)}};
    v.append(receipt::categoryFields(s.amounts));
    v.append({{u"合计"_s, s.total},
              {u"备注"_s, text(s.remark)},
              {u"医生姓名"_s, text(s.doctorName)},
              {u"医生编号"_s, text(s.doctorNumber)},
              {u"收款人"_s, text(s.cashier)},
              {u"科室"_s, text(s.department)}});
    return v;
}

// The row as the sheet is stored, new or corrected: paid in full, nothing owed.
db::FieldValues rowOf(const WalkinSheet& s)
{
    const auto amount = [&](const QString& column) { return s.amounts[receipt::categoryIndex(column)]; };
    return {
        {u"病历号"_s, 0},
        {u"病人姓名"_s, text(s.patientName)},
        {u"检查费"_s, amount(u"检查费"_s)},
        {u"治疗费"_s, amount(u"治疗费"_s)},
        {u"镶牙费"_s, amount(u"镶牙费"_s)},
        {u"放射费"_s, amount(u"放射费"_s)},
        {u"整畸费"_s, amount(u"整畸费"_s)},
        {u"其它费用"_s, amount(u"其它费用"_s)},
        {u"合计"_s, s.total},
        {u"医生编号"_s, blankWhenEmpty(s.doctorNumber)},
        {u"医生姓名"_s, text(s.doctorName)},
        {u"收款人"_s, text(s.cashier)},
        {u"日期"_s, s.date},
        {u"付款"_s, u"已付"_s},
        {u"备注"_s, blankWhenEmpty(s.remark)},
        {u"科室"_s, text(s.department)},
        {u"应收金额"_s, s.total},
        {u"收款金额"_s, s.total},
        {u"余额"_s, 0.0},
        {u"挂号费"_s, amount(u"挂号费"_s)},
        {u"注射费"_s, amount(u"注射费"_s)},
        {u"中药费"_s, amount(u"中药费"_s)},
        {u"西药费"_s, amount(u"西药费"_s)},
        {u"手术费"_s, amount(u"手术费"_s)},
        {u"诊疗费"_s, amount(u"诊疗费"_s)},
        {u"护士"_s, text(s.nurse)},
    };
}

} // namespace

std::optional<WalkinSheet> loadWalkinSheet(db::Connection& c, qint64 id)
{
    db::Query q(c, u"SELECT * FROM 无病历收费单 WHERE ID=?"_s, {id});
    q.exec();
    if (!q.next()) return std::nullopt;
    WalkinSheet s;
    s.id = id;
    s.patientName = q.text(u"病人姓名"_s);
    s.amounts = receipt::categoryAmountsOf(q);
    s.total = q.number(u"合计"_s);
    s.remark = q.text(u"备注"_s);
    s.doctorName = q.text(u"医生姓名"_s);
    s.doctorNumber = q.text(u"医生编号"_s);
    s.cashier = q.text(u"收款人"_s);
    s.department = q.text(u"科室"_s);
    return s;
}

qint64 addWalkinSheet(db::Connection& c, const WalkinSheet& sheet) { return db::AddRecord(c, table, rowOf(sheet)); }

bool updateWalkinSheet(db::Connection& c, const WalkinSheet& sheet, const WalkinSheet& loaded)
{
    return db::ModefyRecord(c, table, rowOf(sheet), db::stillAsRead(u"ID"_s, loaded.id, loadedColumns(loaded))) > 0;
}

} // namespace walkin
