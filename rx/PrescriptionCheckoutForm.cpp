#include "rx/PrescriptionCheckoutForm.h"
#include "common/OpeningRead.h"
#include "common/Prompter.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "prepay/PrePayCheck.h"
#include "rx/PrescriptionDetail.h"
#include "settle/CollectedSplit.h"
#include "settle/Settlement.h"
#include <cmath>

namespace rx {

namespace {

// The lines of the receipt that have not left the stock yet, read inside the checkout.
MedicineLineList linesStillInStock(db::Connection& c, qint64 receiptId, QList<qint32>& rowIds)
{
    db::Query q(c,
                QStringLiteral("SELECT * FROM 处方明细表 WHERE ReceiptID=? AND (MedcineOutFlag=0 OR MedcineOutFlag IS NULL) "
                               "ORDER BY ID"),
                {receiptId});
    q.exec();
    MedicineLineList lines;
    while (q.next()) {
        MedicineLine l;
        l.category = q.text(QStringLiteral("类别"));
        l.name = q.text(QStringLiteral("名称"));
        l.spec = q.text(QStringLiteral("规格"));
        l.unit = q.text(QStringLiteral("单位"));
        l.price = q.number(QStringLiteral("单价"));
        l.quantity = q.number(QStringLiteral("数量"));
        l.amount = q.number(QStringLiteral("金额"));
        l.rowId = static_cast<qint32>(q.integer(QStringLiteral("ID")));
        rowIds << l.rowId;
        lines.insert(lines.size(), std::move(l));
    }
    return lines;
}

// Raised inside the settlement when the stock cannot cover the lines; the checkout then shows
// the stock check instead of a message.
struct StockShort : settle::SettlementRefused {
    StockShort() : settle::SettlementRefused(settle::kReceiptNotSettled) {}
};

} // namespace

PrescriptionCheckoutForm::PrescriptionCheckoutForm(db::ConnectionPtr connection, const Inputs& inputs)
    : settle::CheckoutCore(std::move(connection), inputs.resettle == 1, Kept::AllButCashAndPrePayment,
                           settle::RuralInsurance),
      in_(inputs)
{
    patientName = inputs.patientName;
    patientNumber = inputs.patientNumber;
    doctorNumber = inputs.doctorNumber;
    cashier = inputs.cashier;
    state = inputs.state;
    date = QDateTime::currentDateTime();
}

QStringList PrescriptionCheckoutForm::methodTexts() { return settle::paymentMethodTexts().mid(0, settle::RuralInsurance); }

void PrescriptionCheckoutForm::open()
{
    db::Connection& c = *connection_;
    optionalRead([&] { date = c.serverTime(); });
    dateEnabled = in_.dateFixed != 1;
    receiptRead_([&] {
        MedicineLineList lines;
        total = ShowMedicineList(c, FeeDocument::Receipt, static_cast<qint32>(in_.receiptId), lines, &rows);
    });
    collected = total;
    optionalRead([&] { nurses = db::InitCombox(c, QStringLiteral("护士表"), QStringLiteral("护士")); });
    receiptRead_([&] {
        db::Query q(c, QStringLiteral("SELECT * FROM 收费收据表 WHERE ID=?"), {in_.receiptId});
        q.exec();
        if (!q.next()) return;
        patientName = q.text(QStringLiteral("病人姓名"));
        if (!q.isNull(QStringLiteral("病历号"))) in_.caseNumber = q.integer(QStringLiteral("病历号"));
        total = q.number(QStringLiteral("合计"));
        doctorNumber = q.text(QStringLiteral("医生编号"));
        doctor = q.text(QStringLiteral("医生姓名"));
        department = q.text(QStringLiteral("科室"));
        nurse = q.text(QStringLiteral("护士"));
        refund = q.integer(QStringLiteral("FeeIO")) != 0;
    });
    // What is due is the receipt's 合计; a refund pays it back, so it is due as a negative amount.
    amountDue = refund ? -std::abs(total) : total;
    collected = amountDue;
    // A re-settlement starts from the payment as it was settled, on what is due now.
    if (in_.resettle == 1 && loadSettledPayment(in_.caseNumber, in_.receiptId)) {
        collected = amountDue;
        dropStaleSplit();
    }
    showMethod();
}

void PrescriptionCheckoutForm::methodChosen(int index, const PaymentDialog& paymentDialog)
{
    chooseMethod(index, paymentDialog, amountDue, patientNumber, arrearsLeft);
}

void PrescriptionCheckoutForm::collectedChanged() { dropStaleSplit(); }

void PrescriptionCheckoutForm::takeOutOfStock(db::Connection& c, const QDateTime& now)
{
    try {
        takeLinesOutOfStock(c, now);
    } catch (const NegativeStock& e) {
        throw settle::SettlementRefused(e.message);
    }
}

void PrescriptionCheckoutForm::takeLinesOutOfStock(db::Connection& c, const QDateTime& now)
{
    if (!stockKept(c)) return;
    // Only what has not left the stock yet: a re-settlement never takes a line twice.
    QList<qint32> rowIds;
    const MedicineLineList lines = linesStillInStock(c, in_.receiptId, rowIds);
    if (!StockCovers(c, lines, 0, now)) {
        shortLines = ShortLines(c, lines, 0, now);
        throw StockShort();
    }
    for (qint32 id : rowIds)
        if (db::execute(c, QStringLiteral("UPDATE 处方明细表 SET MedcineOutFlag=1 WHERE ID=? AND "
                                          "(MedcineOutFlag=0 OR MedcineOutFlag IS NULL)"),
                        {id}) != 1)
            throw settle::SettlementRefused(settle::kReceiptNotSettled); // another desk took it out
    try {
        TakeOutOfStock(c, lines, 0, {cashier, patientName}, now);
    } catch (const StockShortfall&) {
        shortLines = ShortLines(c, lines, 0, now);
        throw StockShort();
    }
}

PrescriptionCheckoutForm::Ending PrescriptionCheckoutForm::settle()
{
    shortLines.clear();
    if (!readyToSettle()) return Ending::Stay;
    db::Connection& c = *connection_;
    const bool voucher = method == settle::Voucher;

    settle::SettlementRequest r;
    fillRequest(r);
    r.receiptId = in_.receiptId;
    r.caseNumber = in_.caseNumber;
    r.receiptFields = {{QStringLiteral("病人姓名"), patientName}, {QStringLiteral("合计"), total},
                       {QStringLiteral("收款人"), cashier},       {QStringLiteral("日期"), date},
                       {QStringLiteral("医生姓名"), doctor},       {QStringLiteral("科室"), department},
                       {QStringLiteral("医生编号"), doctorNumber}, {QStringLiteral("护士"), nurse}};
    r.paymentFields = {{QStringLiteral("病历号"), in_.caseNumber},
                       {QStringLiteral("总计应收费用"), amountDue},
                       {QStringLiteral("实收费用"), amountDue},
                       {QStringLiteral("收款金额"), collected},
                       {QStringLiteral("余额"), arrearsLeft},
                       {QStringLiteral("收款人"), cashier},
                       {QStringLiteral("日期"), date},
                       {QStringLiteral("ReceiptID"), in_.receiptId},
                       {QStringLiteral("MoneyPayed_type"), method},
                       {QStringLiteral("OtherTypePayedMoney"), methodAmount},
                       {QStringLiteral("CashMoney"), cash},
                       {QStringLiteral("GetLaterLeftMoneyFlag"), 1}};
    if (voucher) r.paymentFields.append({QStringLiteral("PreferID"), voucherId});
    r.patientNumber = patientNumber;
    r.cashier = cashier;
    r.date = date;
    r.inTransaction = [&](db::Connection& tc, qint64) { takeOutOfStock(tc, tc.serverTime()); };

    const settle::SettlementResult done = settle::Settle(c, r);
    if (!done.ok && !shortLines.isEmpty()) {
        failureDetail = done.detail.isEmpty() ? done.message : done.detail;
        return Ending::Shortage; // the stock check shows what is short
    }
    if (!tookPayment(done)) return Ending::Stay;
    state = 1;
    Prompter::current().inform(kPrescriptionSettled);
    return Ending::Accept;
}

} // namespace rx
