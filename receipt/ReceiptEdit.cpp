#include "receipt/ReceiptEdit.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include "db/OptimisticEdit.h"

using namespace Qt::StringLiterals;

namespace receipt {

namespace {

QVariant text(const QString& s) { return s.isNull() ? u""_s : s; }
QVariant blankWhenEmpty(const QString& s) { return s.isEmpty() ? u" "_s : s; }

db::FieldValues loadedReceiptColumns(const ReceiptWithPayment& r)
{
    db::FieldValues v{{u"病人姓名"_s, text(r.patientName)}, {u"病历号"_s, r.treatmentNumber}};
    v.append(categoryFields(r.amounts));
    v.append({{u"合计"_s, r.total},
              {u"备注"_s, text(r.remark)},
              {u"医生姓名"_s, text(r.doctorName)},
              {u"医生编号"_s, text(r.doctorNumber)},
              {u"收款人"_s, text(r.cashier)},
              {u"科室"_s, text(r.department)},
              {u"付款"_s, text(r.payState)}});
    return v;
}

} // namespace

std::optional<ReceiptWithPayment> loadReceiptWithPayment(db::Connection& c, qint64 id)
{
    db::Query q(c, u"SELECT * FROM 收费收据表 WHERE ID=?"_s, {id});
    q.exec();
    if (!q.next()) return std::nullopt;
    ReceiptWithPayment r;
    r.id = id;
    r.patientName = q.text(u"病人姓名"_s);
    r.treatmentNumber = q.integer(u"病历号"_s);
    r.amounts = categoryAmountsOf(q);
    r.total = q.number(u"合计"_s);
    r.remark = q.text(u"备注"_s);
    r.doctorName = q.text(u"医生姓名"_s);
    r.doctorNumber = q.text(u"医生编号"_s);
    r.cashier = q.text(u"收款人"_s);
    r.department = q.text(u"科室"_s);
    r.payState = q.text(u"付款"_s);

    db::Query p(c, u"SELECT * FROM 病历收费单 WHERE ReceiptID=? ORDER BY 病历收费编号"_s, {id});
    p.exec();
    if (p.next()) {
        r.hasPayment = true;
        r.paymentId = p.integer(u"病历收费编号"_s);
        r.received = p.number(u"收款金额"_s);
        r.owed = p.number(u"余额"_s);
        r.paymentRemark = p.text(u"备注"_s);
    }
    return r;
}

QString remarkWithArrears(const QString& remark, double owed)
{
    return owed != 0.0 ? remark + u" 现欠款"_s + money::format2(owed) : remark;
}

bool saveReceiptWithPayment(db::Connection& c, ReceiptWithPayment& receipt, const std::optional<ReceiptWithPayment>& loaded)
{
    // Noted on a copy: a save that fails and is tried again must not note the arrears twice.
    const QString remark = remarkWithArrears(receipt.remark, receipt.owed);
    const db::FieldValues row{
        {u"病历号"_s, receipt.treatmentNumber},
        {u"医生编号"_s, blankWhenEmpty(receipt.doctorNumber)},
        {u"医生姓名"_s, blankWhenEmpty(receipt.doctorName)},
        {u"收款人"_s, text(receipt.cashier)},
        {u"付款"_s, text(receipt.payState)},
        {u"备注"_s, blankWhenEmpty(remark)},
        {u"科室"_s, text(receipt.department)},
        {u"日期"_s, receipt.date},
    };
    db::Transaction t(c);
    qint64 id = receipt.id;
    if (!loaded) {
        id = db::AddRecord(c, u"收费收据表"_s, row);
    } else {
        if (db::ModefyRecord(c, u"收费收据表"_s, row, db::stillAsRead(u"ID"_s, loaded->id, loadedReceiptColumns(*loaded))) == 0)
            return false;
        if (loaded->hasPayment &&
            db::ModefyRecord(c, u"病历收费单"_s,
                             {{u"余额"_s, receipt.owed},
                              {u"备注"_s, text(remark)},
                              {u"收款人"_s, text(receipt.cashier)},
                              {u"日期"_s, receipt.date},
                              {u"收款金额"_s, receipt.received}},
                             db::stillAsRead(u"病历收费编号"_s, loaded->paymentId,
                                           {{u"ReceiptID"_s, loaded->id},
                                            {u"收款金额"_s, loaded->received},
                                            {u"余额"_s, loaded->owed},
                                            {u"备注"_s, text(loaded->paymentRemark)}})) == 0)
            return false;
    }
    t.commit();
    receipt.id = id;
    receipt.remark = remark;
    return true;
}

} // namespace receipt
