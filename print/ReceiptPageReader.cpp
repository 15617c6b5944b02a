#include "print/ReceiptPageReader.h"
#include "common/Money.h"
#include "db/Query.h"
#include "receipt/FeeCategories.h"
#include "settle/PaymentMethods.h"

using namespace Qt::StringLiterals;

namespace print {

namespace {

// What the cashier reads when a document is not printed, and why.
QString refused(DocumentTable table, qint64 id, const QString& why)
{
    return documentName({table, id}) + u' ' + why;
}

QString trimmedText(const db::Query& q, const QString& column) { return q.text(column).trimmed(); }

// A stored amount; a column left NULL by an older program reads as `fallback`.
double amountOr(const db::Query& q, const QString& column, double fallback)
{
    return q.isNull(column) ? fallback : q.number(column);
}

QString quantityText(double quantity, const QString& unit) { return QString::number(quantity, 'g', 10) + unit; }

// The lines of a prescription, by the column that ties them to their document.
QList<ReceiptPage::Line> prescriptionLines(db::Connection& c, const QString& column, qint64 id)
{
    QList<ReceiptPage::Line> lines;
    // The column is one of this file's two names; the document is bound.
    db::Query q(c, u"SELECT 名称, 规格, 单位, 数量, 金额 FROM 处方明细表 WHERE %1 = ? ORDER BY ID"_s.arg(column), {id});
    q.exec();
    while (q.next())
        lines.append({(trimmedText(q, u"名称"_s) + u' ' + trimmedText(q, u"规格"_s)).trimmed(),
                      quantityText(q.number(u"数量"_s), trimmedText(q, u"单位"_s)), q.number(u"金额"_s)});
    return lines;
}

QList<ReceiptPage::Line> itemLines(db::Connection& c, const QString& column, qint64 id)
{
    QList<ReceiptPage::Line> lines;
    db::Query q(c, u"SELECT 收费项目, 单位, 数量, 金额 FROM 收费明细表 WHERE %1 = ? ORDER BY ID"_s.arg(column), {id});
    q.exec();
    while (q.next())
        lines.append({trimmedText(q, u"收费项目"_s), quantityText(q.number(u"数量"_s), trimmedText(q, u"单位"_s)),
                      q.number(u"金额"_s)});
    return lines;
}

// The categories that hold an amount, under the clinic's own labels.
QList<ReceiptPage::Line> categoryLines(db::Connection& c, const db::Query& row)
{
    receipt::CategoryLabels labels = receipt::defaultCategoryLabels();
    receipt::LoadCategoryLabels(c, labels);
    const receipt::CategoryAmounts amounts = receipt::categoryAmountsOf(row);
    QList<ReceiptPage::Line> lines;
    for (int i = 0; i < receipt::CategoryCount; ++i)
        if (money::toFen(amounts[i]) != 0) lines.append({labels[i], QString(), amounts[i]});
    return lines;
}

// Lines and kind of a document: prescription lines, catalogue lines, or categories.
QString fillLines(db::Connection& c, const db::Query& row, ReceiptPage& page, const QString& rxColumn,
                  const QString& itemColumn, bool standardMark, const QStringList& kinds)
{
    const qint64 id = row.integer(u"ID"_s);
    page.itemised = true;
    if (row.integer(u"IsPrescriptionFlag"_s) == 2) {
        page.lines = prescriptionLines(c, rxColumn, id);
        return kinds[2];
    }
    page.lines = itemLines(c, itemColumn, id);
    if (!page.lines.isEmpty() || standardMark) return kinds[1];
    page.itemised = false;
    page.lines = categoryLines(c, row);
    return kinds[0];
}

std::optional<ReceiptPage> receiptPage(db::Connection& c, qint64 id, const QString& title, QString& refusal)
{
    db::Query r(c, u"SELECT * FROM 收费收据表 WHERE ID = ?"_s, {id});
    r.exec();
    if (!r.next()) {
        refusal = refused(DocumentTable::Receipt, id, u"不存在，没有打印"_s);
        return std::nullopt;
    }
    if (trimmedText(r, u"付款"_s) != u"已付"_s) {
        refusal = refused(DocumentTable::Receipt, id, u"还没有结帐，没有打印"_s);
        return std::nullopt;
    }
    // One record per settled receipt; a re-settlement rewrites it, so the newest is what holds.
    db::Query p(c, u"SELECT * FROM 病历收费单 WHERE ReceiptID = ? ORDER BY 病历收费编号 DESC"_s, {id});
    p.exec();
    if (!p.next()) {
        refusal = refused(DocumentTable::Receipt, id, u"没有结帐记录，没有打印"_s);
        return std::nullopt;
    }

    ReceiptPage page;
    page.title = title;
    const bool refund = r.integer(u"FeeIO"_s) == 1;
    page.heading = refund ? u"退  费  收  据"_s : u"收  费  收  据"_s;
    const QString kind = fillLines(c, r, page, u"ReceiptID"_s, u"收据编号"_s, !r.isNull(u"Doctor_Discout"_s),
                                   {u"收费"_s, u"标准收费"_s, u"处方"_s});
    page.number = u"收据号：%1（%2%3）"_s.arg(id).arg(kind, refund ? u"，退费"_s : QString());
    page.patient = u"姓名：%1 病历号：%2"_s.arg(trimmedText(r, u"病人姓名"_s)).arg(r.integer(u"病历号"_s));
    page.doctor = u"医生：%1 科室：%2"_s.arg(trimmedText(r, u"医生姓名"_s), trimmedText(r, u"科室"_s));
    page.date = p.dateTime(u"日期"_s);
    page.total = r.number(u"合计"_s);
    page.oldArrears = p.number(u"原欠金额"_s);
    page.arrearsLater = p.integer(u"GetLaterLeftMoneyFlag"_s) == 1;
    page.due = amountOr(p, u"实收费用"_s, page.total);
    page.collected = p.number(u"收款金额"_s);
    page.owing = p.number(u"余额"_s);
    page.otherFree = p.number(u"OtherFreeFee"_s);
    // What the discount took is what was due less what the settlement accounted for.
    page.discount = money::fromFen(money::toFen(page.due) - money::toFen(page.collected) - money::toFen(page.owing)
                                   - money::toFen(page.otherFree));
    const int method = int(p.integer(u"MoneyPayed_type"_s));
    if (method == settle::Cash) {
        page.payments.append({settle::paymentMethodText(settle::Cash), page.collected});
    } else {
        const QString name = settle::paymentMethodText(method);
        page.payments.append({name.isEmpty() ? u"其它"_s : name, p.number(u"OtherTypePayedMoney"_s)});
        const double cash = p.number(u"CashMoney"_s);
        if (money::toFen(cash) != 0) page.payments.append({settle::paymentMethodText(settle::Cash), cash});
    }
    page.cashier = trimmedText(p, u"收款人"_s);
    if (page.cashier.isEmpty()) page.cashier = trimmedText(r, u"收款人"_s);
    return page;
}

std::optional<ReceiptPage> walkInPage(db::Connection& c, qint64 id, const QString& title, QString& refusal)
{
    db::Query w(c, u"SELECT * FROM 无病历收费单 WHERE ID = ?"_s, {id});
    w.exec();
    if (!w.next()) {
        refusal = refused(DocumentTable::WalkIn, id, u"不存在，没有打印"_s);
        return std::nullopt;
    }
    if (trimmedText(w, u"付款"_s) != u"已付"_s) {
        refusal = refused(DocumentTable::WalkIn, id, u"还没有结帐，没有打印"_s);
        return std::nullopt;
    }
    ReceiptPage page;
    page.title = title;
    page.heading = u"收  费  收  据"_s;
    const QString kind = fillLines(c, w, page, u"NonDocReceiptID"_s, u"无病案编号"_s, false,
                                   {u"无病案收费单"_s, u"无病案标准收费"_s, u"无病案处方"_s});
    page.number = u"单据号：%1（%2）"_s.arg(id).arg(kind);
    page.patient = u"姓名：%1"_s.arg(trimmedText(w, u"病人姓名"_s));
    const QString sex = trimmedText(w, u"性别"_s), age = trimmedText(w, u"年龄"_s);
    if (!sex.isEmpty()) page.patient += u" 性别：%1"_s.arg(sex);
    if (!age.isEmpty() && age != u"0"_s) page.patient += u" 年龄：%1"_s.arg(age);
    page.doctor = u"医生：%1 科室：%2"_s.arg(trimmedText(w, u"医生姓名"_s), trimmedText(w, u"科室"_s));
    page.date = w.dateTime(u"日期"_s);
    page.total = w.number(u"合计"_s);
    page.due = amountOr(w, u"应收金额"_s, page.total);
    page.collected = amountOr(w, u"收款金额"_s, page.total);
    page.owing = w.number(u"余额"_s);
    // A walk-in pays on the spot, in cash: the sheet keeps no method.
    page.payments.append({settle::paymentMethodText(settle::Cash), page.collected});
    page.cashier = trimmedText(w, u"收款人"_s);
    return page;
}

} // namespace

std::optional<ReceiptPage> loadReceiptPage(db::Connection& c, const DocumentRef& doc, const QString& title,
                                           QString& refusal)
{
    refusal.clear();
    return doc.table == DocumentTable::Receipt ? receiptPage(c, doc.id, title, refusal)
                                               : walkInPage(c, doc.id, title, refusal);
}

QString documentName(const DocumentRef& doc)
{
    return (doc.table == DocumentTable::Receipt ? u"收据 %1"_s : u"无病案收费单 %1"_s).arg(doc.id);
}

} // namespace print
