#include "stats/PaymentStatement.h"
#include "common/Gbk.h"
#include "db/Query.h"
#include "db/TextMatch.h"
#include "stats/DayRange.h"
#include "stats/StatLines.h"
#include <QHash>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace stats {

namespace {

QString sumsOf(const QString& prefix, bool withTotal)
{
    QStringList sums;
    for (int i = 0; i < receipt::CategoryCount; ++i)
        sums << u"SUM(%1) AS %2%3"_s.arg(receipt::categoryColumn(i), prefix).arg(i);
    if (withTotal) sums << u"SUM(合计) AS %1t"_s.arg(prefix);
    return sums.join(u',');
}

// The cashier's rows of the day in a table, as the clinic's database compares names.
QString ofCashier(const QString& table, const QString& extra = {})
{
    return u"FROM %1 WHERE %2 AND %3%4"_s.arg(table, DayRange::condition(), db::sameText(u"收款人"_s), extra);
}

const QString paid = u" AND rtrim(付款)='已付'"_s;

// What the cashier received: walk-in sheet totals plus the payment records of the receipts.
QString receivedSql()
{
    return u"SELECT (SELECT SUM(合计) %1) AS w, (SELECT SUM(收款金额) %2) AS p"_s.arg(
        ofCashier(u"无病历收费单"_s), ofCashier(u"病历收费单"_s));
}

} // namespace

QString paymentHeading()
{
    return joinLine({u"项目"_s, u"现金"_s, u"公费医疗"_s, u"特约记帐"_s, u"住院收入"_s, u"合计金额"_s});
}

QStringList categoryStatement(db::Connection& c, const receipt::CategoryLabels& labels, const QDate& day,
                              const QString& cashier)
{
    const DayRange range = DayRange::days(day, day);
    const QVariantList byCashier = range.values() + QVariantList{cashier};
    const QString sql = u"SELECT * FROM (SELECT %1 %2) w, (SELECT %3 %4) r, (SELECT SUM(收款金额) AS pt %5) p"_s.arg(
        sumsOf(u"w"_s, true), ofCashier(u"无病历收费单"_s), sumsOf(u"r"_s, false), ofCashier(u"收费收据表"_s, paid),
        ofCashier(u"病历收费单"_s));
    db::Query q(c, sql);
    q.bindAll(byCashier + byCashier + byCashier).exec();
    QStringList lines{paymentHeading()};
    // Read by position (w0…w11, wt, r0…r11, pt): a look-up by name rebuilds the row's
    // description on every call, which costs more than the statement on a small day.
    const bool row = q.next();
    constexpr int walkInTotal = receipt::CategoryCount, receipts = walkInTotal + 1,
                  received = receipts + receipt::CategoryCount;
    for (int i = 0; i < receipt::CategoryCount; ++i) {
        const double sum = row ? q.number(i) + q.number(receipts + i) : 0.0;
        lines << joinLine({labels[i], amount1(sum)});
    }
    const double total = row ? q.number(walkInTotal) + q.number(received) : 0.0;
    lines << joinLine({u"合计"_s, amount1(total)});
    return lines;
}

QStringList feeClasses(db::Connection& c)
{
    db::Query q(c, u"SELECT DISTINCT 收费分类 FROM 收费标准表 WHERE 收费分类 IS NOT NULL"_s);
    q.exec();
    QHash<QString, QString> byKey; // one spelling per name the database calls equal
    while (q.next()) {
        const QString name = q.text(0);
        const QString key = db::textKey(name);
        if (key.trimmed().isEmpty()) continue;
        auto it = byKey.find(key);
        if (it == byKey.end()) byKey.insert(key, name);
        else if (gbk::compare(name, *it) < 0) *it = name;
    }
    QStringList classes = byKey.values();
    std::sort(classes.begin(), classes.end(), [](const QString& a, const QString& b) {
        const int order = gbk::compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return classes;
}

QStringList classStatement(db::Connection& c, const QDate& day, const QString& cashier)
{
    const DayRange range = DayRange::days(day, day);
    const QVariantList byCashier = range.values() + QVariantList{cashier};
    // Both kinds of item lines of the day in one pass, summed per class as stored; classes
    // spelled with another case or trailing blanks are the same class to the database.
    const QString sql = u"SELECT 收费类型, SUM(金额) FROM 收费明细表 WHERE 无病案编号 IN (SELECT ID %1) "
                        u"GROUP BY 收费类型 UNION ALL "
                        u"SELECT 收费类型, SUM(金额) FROM 收费明细表 WHERE 收据编号 IN (SELECT ID %2) "
                        u"GROUP BY 收费类型"_s.arg(ofCashier(u"无病历收费单"_s), ofCashier(u"收费收据表"_s));
    QHash<QString, double> sums;
    {
        db::Query q(c, sql);
        q.bindAll(byCashier + byCashier).exec();
        while (q.next())
            if (!q.value(0).isNull()) sums[db::textKey(q.text(0))] += q.number(1);
    }
    QStringList lines{paymentHeading()};
    for (const QString& name : feeClasses(c)) lines << joinLine({name, amount1(sums.value(db::textKey(name)))});
    db::Query t(c, receivedSql());
    t.bindAll(byCashier + byCashier).exec();
    const double total = t.next() ? t.number(0) + t.number(1) : 0.0;
    lines << joinLine({u"合计"_s, amount1(total)});
    return lines;
}

} // namespace stats
