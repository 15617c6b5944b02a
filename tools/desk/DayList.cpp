#include "tools/desk/DayList.h"
#include "common/Money.h"
#include "db/Query.h"
#include <QHash>
#include <algorithm>

namespace desk {

namespace {

QString kindOf(qint64 prescriptionFlag, bool standard, bool refund)
{
    if (prescriptionFlag == 2) return QStringLiteral("处方");
    if (refund) return QStringLiteral("退费");
    return standard ? QStringLiteral("标准收费") : QStringLiteral("收费");
}

const QString receiptColumns = QStringLiteral(
    "SELECT r.ID, r.病历号, r.日期, r.病人姓名, r.合计, r.付款, r.FeeIO, r.IsPrescriptionFlag, r.Doctor_Discout, "
    "(SELECT count(*) FROM 收费明细表 m WHERE m.收据编号 = r.ID) AS lines, "
    "p.收款金额 AS collected, p.日期 AS paid_at, p.收款人 AS payee ");

} // namespace

DayList loadDayList(db::Connection& c, const QDate& day, const QString& cashier)
{
    const QDateTime from(day, QTime(0, 0)), to(day.addDays(1), QTime(0, 0));
    DayList list;
    QHash<qint64, qsizetype> receiptRow;
    auto readReceipts = [&](const QString& where) {
        db::Query q(c, receiptColumns + where, {from, to});
        q.exec();
        while (q.next()) {
            DayRow r;
            r.id = q.integer(0);
            r.caseNumber = q.integer(1);
            r.time = q.dateTime(QStringLiteral("日期"));
            r.patient = q.text(QStringLiteral("病人姓名")).trimmed();
            r.total = q.number(QStringLiteral("合计"));
            r.paid = q.text(QStringLiteral("付款")).trimmed() == QStringLiteral("已付");
            r.kind = kindOf(q.integer(QStringLiteral("IsPrescriptionFlag")),
                            !q.isNull(QStringLiteral("Doctor_Discout")) || q.integer(QStringLiteral("lines")) > 0,
                            q.integer(QStringLiteral("FeeIO")) == 1);
            const QDateTime paidAt = q.dateTime(QStringLiteral("paid_at"));
            if (r.paid && paidAt >= from && paidAt < to) {
                r.collected = q.number(QStringLiteral("collected"));
                r.cashier = q.text(QStringLiteral("payee")).trimmed();
            }
            if (receiptRow.contains(r.id)) continue; // written and settled the same day
            receiptRow.insert(r.id, list.rows.size());
            list.rows.append(r);
        }
    };
    // Each read starts from the table whose date index picks the day's rows.
    readReceipts(QStringLiteral("FROM 收费收据表 r LEFT JOIN 病历收费单 p ON p.ReceiptID = r.ID "
                                "WHERE r.日期 >= ? AND r.日期 < ?"));
    // Older receipts settled this day count with the day's money, not with its bills.
    readReceipts(QStringLiteral("FROM 病历收费单 p JOIN 收费收据表 r ON r.ID = p.ReceiptID "
                                "WHERE p.日期 >= ? AND p.日期 < ?"));

    db::Query w(c, QStringLiteral("SELECT w.ID, w.日期, w.病人姓名, w.合计, w.收款金额, w.付款, w.收款人, w.IsPrescriptionFlag, "
                                  "(SELECT count(*) FROM 收费明细表 m WHERE m.无病案编号 = w.ID) AS lines "
                                  "FROM 无病历收费单 w WHERE w.日期 >= ? AND w.日期 < ?"),
                {from, to});
    w.exec();
    while (w.next()) {
        DayRow r;
        r.walkIn = true;
        r.id = w.integer(0);
        r.time = w.dateTime(QStringLiteral("日期"));
        r.patient = w.text(QStringLiteral("病人姓名")).trimmed();
        r.total = w.number(QStringLiteral("合计"));
        r.paid = w.text(QStringLiteral("付款")).trimmed() == QStringLiteral("已付");
        r.collected = r.paid ? w.number(QStringLiteral("收款金额")) : 0;
        r.cashier = w.text(QStringLiteral("收款人")).trimmed();
        r.kind = kindOf(w.integer(QStringLiteral("IsPrescriptionFlag")), w.integer(QStringLiteral("lines")) > 0, false);
        list.rows.append(r);
    }
    std::stable_sort(list.rows.begin(), list.rows.end(),
                     [](const DayRow& a, const DayRow& b) { return a.time < b.time; });

    for (const DayRow& r : list.rows) {
        const bool writtenToday = r.time >= from && r.time < to;
        if (writtenToday) {
            (r.walkIn ? list.walkIns : list.receipts) += 1;
            list.billed += r.total;
            if (!r.paid) {
                ++list.unpaid;
                list.unpaidTotal += r.total;
            }
        }
        list.collected += r.collected;
        if (!cashier.isEmpty() && r.cashier == cashier) list.collectedBy += r.collected;
    }
    list.billed = money::round2(list.billed);
    list.unpaidTotal = money::round2(list.unpaidTotal);
    list.collected = money::round2(list.collected);
    list.collectedBy = money::round2(list.collectedBy);
    return list;
}

QString dayTotalsText(const DayList& l)
{
    return QStringLiteral("收据 %1 张，无病案收费单 %2 张，合计 %3；未付 %4 张 %5；实收 %6，本人实收 %7")
        .arg(l.receipts)
        .arg(l.walkIns)
        .arg(money::format2(l.billed))
        .arg(l.unpaid)
        .arg(money::format2(l.unpaidTotal), money::format2(l.collected), money::format2(l.collectedBy));
}

} // namespace desk
