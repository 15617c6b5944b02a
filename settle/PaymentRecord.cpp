#include "settle/PaymentRecord.h"
#include "db/Query.h"
#include "discount/DiscountMode.h"
#include "settle/PaymentMethods.h"

using namespace Qt::StringLiterals;

namespace settle
{

namespace
{

const QString kTable = u"病历收费单"_s;
const QString kKey = u"病历收费编号"_s;

bool rateMode(int mode) { return (mode >= DiscountOff && mode <= CurrentFee) || mode == MemberPoints; }

} // namespace

db::FieldValues CheckoutPaymentFields(const PaymentRecord& r)
{
    db::FieldValues f{{u"病历号"_s, r.caseNumber},
                      {u"总计应收费用"_s, r.total},
                      {u"免收费用"_s, 0.0},
                      {u"免收条件"_s, u" "_s},
                      {u"实收费用"_s, r.amountDue},
                      {u"余额"_s, r.arrearsLeft},
                      {u"备注"_s, r.note},
                      {u"收款人"_s, r.cashier},
                      {u"日期"_s, r.date},
                      {u"收款金额"_s, r.collected},
                      {u"原欠金额"_s, r.oldArrears},
                      {u"ReceiptID"_s, r.receiptId},
                      {u"Discout_Type"_s, int(qint16(r.mode))}};
    const bool card = r.mode == MoneyCardAmount;
    if (rateMode(r.mode)) f.append({u"Discout"_s, r.discount});
    else if (card) f.append({u"Discout"_s, 0.0});
    if (rateMode(r.mode) || card) f.append({u"Discout_Note"_s, r.discountNote});
    f.append({u"OtherFreeFee"_s, r.otherFree});
    f.append({u"OtherFreeFeeReason"_s, r.otherFreeReason});
    if (card) {
        f.append({u"MoneyCard_Name"_s, r.cardName});
        f.append({u"MoneyCard_Value"_s, r.cardValue});
        f.append({u"MoneyCard_UsedValue"_s, r.discount});
        f.append({u"CardOnlyForDisctItem"_s, r.cardOnlyForDiscountable});
    } else if (rateMode(r.mode)) {
        f.append({u"MoneyCard_Name"_s, QString()});
        f.append({u"MoneyCard_Value"_s, 0.0});
        f.append({u"MoneyCard_UsedValue"_s, 0.0});
        f.append({u"CardOnlyForDisctItem"_s, 0});
    }
    f.append({u"MoneyPayed_type"_s, int(qint16(r.method))});
    f.append({u"OtherFreeFeeNote"_s, r.otherFreeNote});
    f.append({u"OtherTypePayedMoney"_s, r.methodAmount});
    f.append({u"CashMoney"_s, r.cash});
    f.append({u"GetLaterLeftMoneyFlag"_s, int(qint16(r.arrearsLater))});
    if (r.method == Voucher && r.voucherId > 0) f.append({u"PreferID"_s, r.voucherId});
    return f;
}

namespace {
// What a settlement took and how: a re-settlement must still find these as it loaded them.
const QStringList kSettledWith{u"病历号"_s, u"ReceiptID"_s, u"MoneyPayed_type"_s, u"收款金额"_s,
                               u"OtherTypePayedMoney"_s, u"CashMoney"_s, u"PreferID"_s, u"实收费用"_s, u"余额"_s,
                               u"原欠金额"_s, u"GetLaterLeftMoneyFlag"_s, u"备注"_s};
} // namespace

std::optional<db::LoadedRow> LoadSettledRecord(db::Connection& c, qint64 caseNumber, qint64 receiptId)
{
    const QVariant sheet = db::scalar(
        c, u"SELECT MIN(病历收费编号) FROM 病历收费单 WHERE 病历号=? AND ReceiptID=?"_s, {caseNumber, receiptId});
    if (sheet.isNull()) return std::nullopt;
    return db::LoadedRow::load(c, kTable, kKey, sheet, kSettledWith);
}

std::unique_ptr<db::Query> SendNewPaymentRecord(db::Connection& c, const db::FieldValues& fields)
{
    auto q = db::insertQuery(c, kTable, fields, kKey);
    q->send();
    return q;
}

qint64 NewPaymentRecordNumber(db::Query& sent) { return db::insertedKey(sent, kTable); }

qint64 WritePaymentRecord(db::Connection& c, bool resettle, qint64 caseNumber, qint64 receiptId,
                          const db::FieldValues& fields, const std::optional<db::LoadedRow>& settled)
{
    if (!resettle) return db::AddRecord(c, kTable, fields, kKey);
    if (!settled) {
        // Opened while the receipt had no record: one that is there now was written by a desk
        // that settled the receipt meanwhile, and this one never saw what it took.
        if (LoadSettledRecord(c, caseNumber, receiptId)) throw SettledElsewhere();
        throw db::Error(u"no payment record of receipt %1 to rewrite"_s.arg(receiptId));
    }
    const db::Where ofReceipt{u"病历号=? AND ReceiptID=?"_s, {caseNumber, receiptId}};
    if (db::modifyIfUnchanged(c, *settled, fields, ofReceipt) != db::EditResult::Written) throw SettledElsewhere();
    return db::toInteger(settled->key());
}

} // namespace settle
