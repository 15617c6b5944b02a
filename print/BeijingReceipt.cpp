#include "print/BeijingReceipt.h"
#include "db/Query.h"
#include "db/RecordOps.h"

using namespace Qt::StringLiterals;

namespace beijing {

const QStringList& itemLabels(Edition edition)
{
    static const QStringList clinic{u"西  药"_s, u"核  磁"_s, u"放  射"_s,   u"镶牙费"_s,  u"中成药"_s,
                                    u"B   超"_s, u"化  验"_s, u"正畸费"_s,   u"中草药"_s,  u"输氧费"_s,
                                    u"输血费"_s, u"心理测试"_s, u"常规检查"_s, u"手术费"_s,  u"针  灸"_s,
                                    u"司法鉴定"_s, u"C  T"_s,  u"治疗费"_s,   u"按   摩"_s};
    static const QStringList city{u"西  药"_s, u"中成药"_s, u"中草药"_s, u"化  验"_s, u"放  射"_s,
                                  u"B   超"_s, u"C  T"_s,   u"核  磁"_s,   u"检查费"_s, u"治疗费"_s,
                                  u"材料费"_s, u"手术费"_s, u"输氧费"_s,   u"输血费"_s, u"正畸费"_s,
                                  u"镶牙费"_s, u"司法鉴定"_s, u"其  它"_s, u"针  灸"_s};
    return edition == Edition::Clinic ? clinic : city;
}

int treatmentIndex(Edition edition) { return edition == Edition::Clinic ? 17 : 9; }
int hiddenIndex(Edition edition) { return edition == Edition::Clinic ? -1 : 18; }

qint32 nextTicketNumber(db::Connection& c)
{
    const QVariant id = db::SelectFieldValue(c, u"SELECT * FROM TicketNumber_Table"_s, {}, u"TicketID"_s);
    return id.isNull() ? 1 : static_cast<qint32>(db::toInteger(id));
}

qint64 storeForm(db::Connection& c, const StoredForm& form)
{
    db::FieldValues row{{u"Payee"_s, form.payee.isNull() ? u""_s : form.payee},
                        {u"ReceiptID"_s, form.receiptId},
                        {u"ReceiptMoney"_s, form.total},
                        {u"PayDate"_s, form.date},
                        {u"Checker"_s, form.cashier.isNull() ? u""_s : form.cashier}};
    for (int i = 0; i < ItemCount; ++i) row.append({u"ReceiptItem%1"_s.arg(i + 1), form.items[i]});
    return db::AddRecord(c, u"BeanshiReceipt_table"_s, row);
}

} // namespace beijing
