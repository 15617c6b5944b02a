#include "tools/desk/PatientPage.h"
#include "common/Money.h"
#include "db/DocumentFee.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "prepay/PrePayCheck.h"
#include <QHash>

namespace desk {

namespace {

// Standard-item receipts keep their lines in 收费明细表 and carry the doctor's approved rate;
// prescriptions are flagged 2; everything else is a category fee receipt.
const QString receiptColumns = QStringLiteral(
    "SELECT r.ID, r.日期, r.合计, r.付款, r.FeeIO, r.IsPrescriptionFlag, r.Doctor_Discout, r.医生姓名, r.收款人, "
    "(SELECT count(*) FROM 收费明细表 m WHERE m.收据编号 = r.ID) AS lines FROM 收费收据表 r ");

ReceiptRow readReceipt(db::Query& q)
{
    ReceiptRow r;
    r.id = q.integer(0);
    r.date = q.dateTime(QStringLiteral("日期"));
    r.total = q.number(QStringLiteral("合计"));
    r.paid = q.text(QStringLiteral("付款")).trimmed() == QStringLiteral("已付");
    r.refund = q.integer(QStringLiteral("FeeIO")) == 1;
    if (q.integer(QStringLiteral("IsPrescriptionFlag")) == 2) r.kind = ReceiptKind::Prescription;
    else if (!q.isNull(QStringLiteral("Doctor_Discout")) || q.integer(QStringLiteral("lines")) > 0)
        r.kind = ReceiptKind::Standard;
    r.doctor = q.text(QStringLiteral("医生姓名")).trimmed();
    r.cashier = q.text(QStringLiteral("收款人")).trimmed();
    return r;
}

QString money(double v) { return money::format2(v); }

// "现金 150.00", "银行卡刷卡 10000.00 + 现金 780.00", with "欠 50.00" when something was left owing.
QString describePayment(db::Query& p)
{
    const int method = int(p.integer(QStringLiteral("MoneyPayed_type")));
    const double collected = p.number(QStringLiteral("收款金额"));
    const double other = p.number(QStringLiteral("OtherTypePayedMoney"));
    const double cash = p.number(QStringLiteral("CashMoney"));
    QString text;
    if (method == 0 || other == 0) text = paymentMethodName(method) + u' ' + money(collected);
    else if (cash != 0) text = paymentMethodName(method) + u' ' + money(other) + QStringLiteral(" + 现金 ") + money(cash);
    else text = paymentMethodName(method) + u' ' + money(other);
    const double left = p.number(QStringLiteral("余额"));
    if (left > 0.004) text += QStringLiteral("，欠 ") + money(left);
    return text;
}

} // namespace

QString kindName(ReceiptKind kind)
{
    switch (kind) {
    case ReceiptKind::Fee: return QStringLiteral("收费");
    case ReceiptKind::Standard: return QStringLiteral("标准收费");
    case ReceiptKind::Prescription: return QStringLiteral("处方");
    }
    return QString();
}

QString writerExport(ReceiptKind k)
{
    switch (k) {
    case ReceiptKind::Standard: return QStringLiteral("StandartPaySet0");
    case ReceiptKind::Prescription: return QStringLiteral("MedicineRescriptionSet");
    default: return QStringLiteral("ReceiptSet");
    }
}

QString checkoutExport(ReceiptKind k)
{
    switch (k) {
    case ReceiptKind::Standard: return QStringLiteral("StandartPay");
    case ReceiptKind::Prescription: return QStringLiteral("RescriptionReceiptPay");
    default: return QStringLiteral("ReceiptPay");
    }
}

QString viewerExport(ReceiptKind k)
{
    return k == ReceiptKind::Standard ? QStringLiteral("StandartPayResult") : QStringLiteral("ReceiptEditResult");
}

QString paymentMethodName(int method)
{
    static const char* const names[] = {"现金", "预付费交款", "银行卡刷卡", "支票", "转帐", "消费券/卡", "医保支付", "新农合支付"};
    return method >= 0 && method < 8 ? QString::fromUtf8(names[method]) : QStringLiteral("其它");
}

std::optional<PatientPage> loadPatientPage(db::Connection& c, qint64 caseNumber, int receipts)
{
    PatientPage page;
    {
        db::Query q(c, QStringLiteral("SELECT 病历号, 病人编号, 病人姓名, 电话 FROM 病历卡表 WHERE 病历号 = ?"), {caseNumber});
        q.exec();
        if (!q.next()) return std::nullopt;
        page.caseNumber = caseNumber;
        page.number = q.text(1).trimmed();
        page.name = q.text(2).trimmed();
        page.phone = q.text(3).trimmed();
    }
    if (!page.number.isEmpty()) {
        db::Query q(c, QStringLiteral("SELECT 病人姓名, 性别, 年龄, IS_VIP, VIP_Rank_Name FROM 病人简历表 WHERE ")
                           + db::sameText(QStringLiteral("病人编号")),
                    {page.number});
        q.exec();
        if (q.next()) {
            if (page.name.isEmpty()) page.name = q.text(0).trimmed();
            page.sex = q.text(1).trimmed();
            page.age = q.text(2).trimmed();
            page.member = q.integer(3) == 1;
            page.grade = q.text(4).trimmed();
        }
        db::Query m(c, QStringLiteral("SELECT p.VIP_grade_value, p.VIP_card_type FROM VIP_PtnSheet_Table v "
                                      "JOIN PrePay_Table p ON p.ID = v.VIP_ID WHERE ")
                           + db::sameText(QStringLiteral("v.Patient_Code")) + QStringLiteral(" ORDER BY v.VIP_ID DESC LIMIT 1"),
                    {page.number});
        m.exec();
        if (m.next()) {
            page.points = m.number(0);
            if (page.grade.isEmpty()) page.grade = m.text(1).trimmed();
        }
        page.account = prepay::FindPrePayAccount(c, page.number);
        page.arrears = db::CalculateDocumentFee(c, page.number).arrears;
    }

    db::Query r(c, receiptColumns + QStringLiteral("WHERE r.病历号 = ? ORDER BY r.日期 DESC, r.ID DESC LIMIT ?"),
                {caseNumber, receipts});
    r.exec();
    QHash<qint64, qsizetype> rowOf;
    while (r.next()) {
        page.receipts.append(readReceipt(r));
        rowOf.insert(page.receipts.last().id, page.receipts.size() - 1);
    }
    for (const ReceiptRow& row : page.receipts)
        if (!row.doctor.isEmpty()) {
            page.lastDoctor = row.doctor;
            break;
        }
    // One payment record per settled receipt (a re-settlement rewrites it): the newest counts.
    db::Query p(c, QStringLiteral("SELECT ReceiptID, 收款金额, MoneyPayed_type, OtherTypePayedMoney, CashMoney, 余额 "
                                  "FROM 病历收费单 WHERE 病历号 = ? ORDER BY 病历收费编号"),
                {caseNumber});
    p.exec();
    while (p.next()) {
        const auto it = rowOf.constFind(p.integer(0));
        if (it != rowOf.constEnd()) page.receipts[*it].payment = describePayment(p);
    }
    return page;
}

std::optional<ReceiptRow> loadReceipt(db::Connection& c, qint64 id)
{
    db::Query q(c, receiptColumns + QStringLiteral("WHERE r.ID = ?"), {id});
    q.exec();
    if (!q.next()) return std::nullopt;
    return readReceipt(q);
}

} // namespace desk
