#pragma once
// A small clinic for settlement tests: unpaid receipts, vouchers, prepaid accounts, and the
// request a checkout would send for them.
#include "db/ICCard.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Schema.h"
#include "settle/CheckoutForm.h"
#include "settle/PaymentRecord.h"
#include "settle/Settlement.h"
#include "tests/support/TestDb.h"
#include <QDateTime>

namespace settletest
{

inline const QDateTime kWhen(QDate(2024, 3, 5), QTime(9, 30, 0));

struct Clinic {
    QString url;
    db::ConnectionPtr c;

    explicit Clinic(const QString& backend) : url(testdb::freshUrl(backend)), c(db::Connection::open(url))
    {
        db::schema::migrate(*c);
    }

    qint64 receipt(double amount, qint64 caseNumber = 101, const QString& patient = QStringLiteral("张三"),
                   int refund = 0)
    {
        return db::AddRecord(*c, QStringLiteral("收费收据表"),
                             {{QStringLiteral("病历号"), caseNumber},
                              {QStringLiteral("病人姓名"), patient},
                              {QStringLiteral("挂号费"), amount},
                              {QStringLiteral("合计"), refund ? -amount : amount},
                              {QStringLiteral("付款"), QStringLiteral("未付")},
                              {QStringLiteral("医生姓名"), QStringLiteral("李医生")},
                              {QStringLiteral("FeeIO"), refund}});
    }

    qint64 voucher(const QString& code, double left, int kind = 0, int state = 2, int hasExpiry = 0,
                   const QDateTime& expiry = {}, const QString& password = {})
    {
        return db::AddRecord(*c, QStringLiteral("PreferManagement_table"),
                             {{QStringLiteral("Card_Cover_Code"), code},
                              {QStringLiteral("Card_Kind_Type"), kind},
                              {QStringLiteral("Card_Left_Fee"), left},
                              {QStringLiteral("Card_Is_HaveExpire"), hasExpiry},
                              {QStringLiteral("Card_Expire_Date"), expiry.isValid() ? QVariant(expiry) : QVariant()},
                              {QStringLiteral("Card_Is_PWD"), password.isEmpty() ? 0 : 1},
                              {QStringLiteral("Card_PWD"), password},
                              {QStringLiteral("Card_Is_Takenback"), state}});
    }

    // A prepaid account of the patient holding deposit.
    qint32 account(const QString& patientNumber, double deposit)
    {
        const qint32 id = qint32(db::AddRecord(*c, QStringLiteral("PrePay_Table"), {{QStringLiteral("VIP_CODE"), patientNumber}}));
        db::AddRecord(*c, QStringLiteral("PrePayUserSheet_Table"),
                      {{QStringLiteral("PrePayer_ID"), id}, {QStringLiteral("Patient_Code"), patientNumber}});
        db::AddRecord(*c, QStringLiteral("PrePayReg_Table"),
                      {{QStringLiteral("PrePayer_ID"), id}, {QStringLiteral("PrePay_IO"), 0},
                       {QStringLiteral("PrePay_Money"), deposit}});
        return id;
    }

    QVariant value(const QString& sql, const QVariantList& binds = {}) { return db::scalar(*c, sql, binds); }
    qint64 count(const QString& sql, const QVariantList& binds = {}) { return db::toInteger(value(sql, binds)); }
    QString paid(qint64 receiptId)
    {
        return db::toText(value(QStringLiteral("SELECT 付款 FROM 收费收据表 WHERE ID=?"), {receiptId}));
    }
    qint64 records(qint64 receiptId)
    {
        return count(QStringLiteral("SELECT COUNT(*) FROM 病历收费单 WHERE ReceiptID=?"), {receiptId});
    }
    double voucherLeft(qint64 id)
    {
        return db::toNumber(value(QStringLiteral("SELECT Card_Left_Fee FROM PreferManagement_table WHERE ID=?"), {id}));
    }
    double prepayUsed(qint32 account)
    {
        return db::toNumber(
            value(QStringLiteral("SELECT SUM(Payed_Money) FROM PrePayUseReg_Table WHERE PrePayer_ID=?"), {account}));
    }
};

// What a category checkout sends for a receipt of `amount` paid `methodAmount` by `method`.
inline settle::SettlementRequest request(qint64 receiptId, double amount, int method = settle::Cash,
                                         double methodAmount = 0.0, qint64 caseNumber = 101, bool resettle = false,
                                         qint64 voucherId = 0)
{
    settle::PaymentRecord p;
    p.caseNumber = caseNumber;
    p.receiptId = receiptId;
    p.total = p.amountDue = p.collected = amount;
    p.cashier = QStringLiteral("王收款");
    p.date = kWhen;
    p.method = method;
    p.methodAmount = methodAmount;
    p.cash = amount - methodAmount;
    p.voucherId = voucherId;
    settle::SettlementRequest r;
    r.resettle = resettle;
    r.receiptId = receiptId;
    r.caseNumber = caseNumber;
    r.receiptFields = {{QStringLiteral("收款人"), p.cashier}, {QStringLiteral("日期"), p.date}};
    r.paymentFields = settle::CheckoutPaymentFields(p);
    r.method = method;
    r.methodAmount = methodAmount;
    r.patientNumber = QStringLiteral("P1");
    r.cashier = p.cashier;
    r.date = kWhen;
    return r;
}

inline void setField(db::FieldValues& fields, const QString& column, const QVariant& value)
{
    for (auto& f : fields)
        if (f.first == column) f.second = value;
}

// A card reader that holds its card in memory; `broken` refuses every write.
struct MemoryCard : db::ICCardDevice {
    QString content;
    bool present = true;
    bool broken = false;
    bool read(QString& out) override
    {
        if (!present) return false;
        out = content;
        return true;
    }
    bool write(const QString& in) override
    {
        if (!present || broken) return false;
        content = in;
        return true;
    }
};

using namespace Qt::StringLiterals;

// Patient P1 (case 101), member M1 of rank 银卡 (0.9); old arrears 50 from an earlier receipt;
// a clinic that offers rank discounts (FeeItemYesNo 1) and the 其它优惠 controls.
struct Desk : Clinic {
    explicit Desk(const QString& backend, double arrears = 50.0) : Clinic(backend)
    {
        db::AddRecord(*c, u"主治医生表"_s, {{u"医生姓名"_s, u"李医生"_s}, {u"医生编号"_s, u"D2"_s}, {u"科室"_s, u"口腔科"_s}}, {});
        db::AddRecord(*c, u"病历卡表"_s, {{u"病历号"_s, 101}, {u"病人编号"_s, u"P1"_s}}, {});
        db::AddRecord(*c, u"病人简历表"_s,
                      {{u"病人编号"_s, u"P1"_s}, {u"IS_VIP"_s, 1}, {u"VIP_Rank_Name"_s, u"银卡"_s}, {u"VIP_Code"_s, u"M1"_s}}, {});
        db::AddRecord(*c, u"Discount_table"_s, {{u"DiscountName"_s, u"银卡"_s}, {u"DiscountValue"_s, 0.9}});
        db::AddRecord(*c, u"DiscountSet_table"_s,
                      {{u"DiscoutYesNo"_s, 1}, {u"VIPDiscoutYesNo"_s, 1}, {u"OtherFreeYesNo"_s, 1}, {u"FeeItemYesNo"_s, 1}}, {});
        db::AddRecord(*c, u"优惠类型表"_s, {{u"优惠类型"_s, u"老人优惠"_s}}, {});
        if (arrears != 0.0)
            db::AddRecord(*c, u"病历收费单"_s, {{u"病历号"_s, 101}, {u"ReceiptID"_s, 0}, {u"余额"_s, arrears},
                                                {u"日期"_s, kWhen.addDays(-10)}}, u"病历收费编号"_s);
    }

    settle::CheckoutForm form(qint64 receiptId, int resettle = 0)
    {
        settle::CheckoutForm::Inputs in;
        in.resettle = resettle;
        in.patientNumber = u"P1"_s;
        in.caseNumber = 101;
        in.receiptId = receiptId;
        in.patientName = u"张三"_s;
        in.cashier = u"王收款"_s;
        in.state = 9;
        return settle::CheckoutForm(c, in);
    }
};


} // namespace settletest
