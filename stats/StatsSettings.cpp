#include "stats/StatsSettings.h"
#include "common/Gbk.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/TextMatch.h"
#include "db/Transaction.h"
#include "receipt/FeeCategories.h"
#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace stats {

namespace {

const QString choiceTable = u"SysthesisStatics_Table"_s;
const QString contentTable = u"StaticStandartItemforDayMonth_Table"_s;

// The switch columns and the members that hold them.
struct Switch {
    const char16_t* column;
    int ReportChoice::*member;
};
constexpr Switch switches[] = {
    {u"StandartItem", &ReportChoice::standartItem}, {u"MoneyCard", &ReportChoice::moneyCard},
    {u"VipCard", &ReportChoice::vipCard},           {u"NonStandartItem", &ReportChoice::nonStandartItem},
    {u"PreferCard", &ReportChoice::preferCard},
};

bool textBefore(const QString& a, const QString& b)
{
    const int order = gbk::compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

// Distinct non-blank values of one column, each once as the database compares them, in text order.
QStringList distinctTexts(db::Connection& c, const QString& sql)
{
    db::Query q(c, sql);
    q.exec();
    QSet<QString> seen;
    QStringList out;
    while (q.next()) {
        const QString v = q.text(0);
        if (v.trimmed().isEmpty()) continue;
        if (!seen.contains(db::textKey(v))) {
            seen.insert(db::textKey(v));
            out << v;
        }
    }
    std::sort(out.begin(), out.end(), textBefore);
    return out;
}

} // namespace

const QStringList& reportTypeNames()
{
    static const QStringList names{u"按工作量统计(所选项的金额将做为成本核算)"_s, u"按日月报表统计"_s};
    return names;
}

ReportChoice LoadReportChoice(db::Connection& c, int reportType)
{
    db::Query q(c, u"SELECT * FROM SysthesisStatics_Table WHERE SysthesisType=?"_s, {reportType});
    q.exec();
    ReportChoice choice;
    if (!q.next()) return choice;
    choice.stored = true;
    for (const Switch& s : switches) choice.*s.member = int(q.integer(QString::fromUtf16(s.column)));
    return choice;
}

bool SaveReportChoice(db::Connection& c, int reportType, const ReportChoice& loaded, const ReportChoice& choice)
{
    db::Transaction t(c);
    db::FieldValues values;
    for (const Switch& s : switches) values.append({QString::fromUtf16(s.column), choice.*s.member});
    if (!loaded.stored) {
        // Added only while no other workstation has added the type meanwhile.
        if (db::toInteger(db::scalar(c, u"SELECT count(*) FROM SysthesisStatics_Table WHERE SysthesisType=?"_s,
                                     {reportType})) > 0)
            return false;
        values.prepend({u"SysthesisType"_s, reportType});
        db::AddRecord(c, choiceTable, values, {});
        t.commit();
        return true;
    }
    QString where = u"SysthesisType=?"_s;
    QVariantList whereValues{reportType};
    for (const Switch& s : switches) {
        where += u" AND COALESCE(%1,0)=?"_s.arg(QString::fromUtf16(s.column));
        whereValues << loaded.*s.member;
    }
    if (db::ModefyRecord(c, choiceTable, values, {where, whereValues}) == 0) return false;
    t.commit();
    return true;
}

const QStringList& contentKindNames()
{
    static const QStringList names{
        u"工作量统计中的标准收费内容"_s,       u"日月报表统计中的标准收费内容"_s,
        u"标准收费明细统计中的内容"_s,         u"就诊信息库中显示的标准收费内容"_s,
        u"工作量统计中的非标准收费内容"_s,     u"日月报表统计中的非标准收费内容"_s,
        u"非标准收费明细统计中的内容"_s,       u"就诊信息库中显示的非标准收费内容"_s,
        u"按地址统计就诊量的统计内容"_s,       u"工作量统计中消费券/卡的统计内容"_s,
        u"日月报表统计中消费券/卡的统计内容"_s,
    };
    return names;
}

ItemSource sourceOfKind(int kind)
{
    if (kind <= 3) return ItemSource::Standard;
    if (kind <= 7) return ItemSource::NonStandard;
    return ItemSource::Other;
}

QStringList ShowStandartList0(db::Connection& c)
{
    db::Query q(c, u"SELECT 收费分类, 收费项目 FROM 收费标准表 WHERE 收费项目 IS NOT NULL"_s);
    q.exec();
    QList<QPair<QString, QString>> items;
    QSet<QString> seen;
    while (q.next()) {
        const QString cls = q.text(0), item = q.text(1);
        if (item.trimmed().isEmpty()) continue;
        const QString key = db::textKey(cls) + u'\n' + db::textKey(item);
        if (seen.contains(key)) continue;
        seen.insert(key);
        items.append({cls, item});
    }
    std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
        if (db::textKey(a.first) != db::textKey(b.first)) return textBefore(a.first, b.first);
        return textBefore(a.second, b.second);
    });
    QStringList lines;
    for (const auto& [cls, item] : items) lines << cls + u'#' + item;
    return lines;
}

QStringList ShowNonStandartList0(db::Connection& c)
{
    receipt::CategoryLabels labels = receipt::defaultCategoryLabels();
    receipt::LoadCategoryLabels(c, labels);
    QStringList lines;
    for (int i = 0; i < receipt::CategoryCount; ++i) lines << labels[size_t(i)] + u'#' + receipt::categoryColumn(i);
    return lines;
}

QStringList ShowStaticItemList(db::Connection& c, int kind)
{
    QStringList lines;
    if (kind == 8) {
        for (const QString& a : distinctTexts(c, u"SELECT DISTINCT VIP_address FROM PrePay_Table"_s))
            lines << a + u"#地址"_s;
    } else if (kind == 9 || kind == 10) {
        for (const QString& k : distinctTexts(
                 c, u"SELECT DISTINCT CAST(Card_Kind_Type AS TEXT) FROM PreferManagement_table WHERE Card_Kind_Type IS NOT NULL"_s))
            lines << k + u"#消费券/卡"_s;
    }
    return lines;
}

QStringList itemLinesOfKind(db::Connection& c, int kind)
{
    switch (sourceOfKind(kind)) {
    case ItemSource::Standard: return ShowStandartList0(c);
    case ItemSource::NonStandard: return ShowNonStandartList0(c);
    case ItemSource::Other: return ShowStaticItemList(c, kind);
    }
    return {};
}

QStringList LoadContents(db::Connection& c, int kind)
{
    QStringList out;
    for (const QVariant& v : db::FindRecordValue(
             c, u"SELECT StandartItem FROM StaticStandartItemforDayMonth_Table WHERE StaticsStandartType=? ORDER BY ID"_s,
             {kind}, u"StandartItem"_s))
        out << db::toText(v);
    return out;
}

std::optional<ContentOptions> LoadContent(db::Connection& c, int kind, const QString& item)
{
    db::Query q(c, u"SELECT * FROM StaticStandartItemforDayMonth_Table WHERE %1 AND StaticsStandartType=? ORDER BY ID"_s
                       .arg(db::sameText(u"StandartItem"_s)),
                {item, kind});
    q.exec();
    if (!q.next()) return std::nullopt;
    return ContentOptions{int(q.integer(u"ItemType"_s)), int(q.integer(u"StaticPersonNum"_s)),
                          int(q.integer(u"StaticMoney"_s))};
}

bool AddContent(db::Connection& c, int kind, const QString& item, const ContentOptions& o)
{
    db::Transaction t(c);
    if (LoadContent(c, kind, item)) return false;
    db::AddRecord(c, contentTable,
                  {{u"StaticsStandartType"_s, kind},
                   {u"StandartItem"_s, item},
                   {u"ItemType"_s, o.itemType},
                   {u"StaticPersonNum"_s, o.staticPersonNum},
                   {u"StaticMoney"_s, o.staticMoney}});
    t.commit();
    return true;
}

int DeleteContent(db::Connection& c, int kind, const QString& item)
{
    db::Transaction t(c);
    const int n = db::DeleteRecord(
        c, contentTable, {u"StaticsStandartType=? AND %1"_s.arg(db::sameText(u"StandartItem"_s)), {kind, item}});
    t.commit();
    return n;
}

QString countPatientsCaption(const QString& text) { return u"统计'%1'的消费人次"_s.arg(text); }

// Vouchers and cards are counted by the times they were used when the dialog opens; choosing a
// radio names the counted patients again, as for every other kind.
static QString openingCountPatientsCaption(int kind, const QString& text)
{
    return kind == 9 || kind == 10 ? u"统计'%1'的消费次数"_s.arg(text) : countPatientsCaption(text);
}

QString countMoneyCaption(const QString& text) { return u"统计'%1'的消费金额"_s.arg(text); }

OptionCaptions captionsFor(int kind, const QString& first, const QString& second)
{
    OptionCaptions o;
    o.itemType = defaultOptions(kind).itemType;
    if (kind == 3) {
        o.fromTemplate = true;
        o.byCategory = u"按收费类别(即收费大类)统计"_s;
        o.byItem = u"按收费明细(即收费分项)统计"_s;
        o.countPatients = u"统计该项收费内容的消费人次"_s;
        o.countMoney = u"统计该项收费内容的消费金额"_s;
        return o;
    }
    o.byCategory = u"按'%1'进行统计"_s.arg(first);
    if (kind <= 2) {
        o.byItem = u"按'%1'进行统计"_s.arg(second);
        o.countPatients = openingCountPatientsCaption(kind, second);
        o.countMoney = countMoneyCaption(second);
        return o;
    }
    o.byItemShown = false;
    o.itemType = 0;
    o.countPatients = openingCountPatientsCaption(kind, first);
    o.countMoney = countMoneyCaption(first);
    return o;
}

bool addsWithoutOptions(int kind) { return kind == 7 || kind == 8; }

ContentOptions defaultOptions(int kind)
{
    ContentOptions o;
    if (kind >= 4) o.itemType = 0; // non-standard items and other contents count by category
    return o;
}

QString storedItem(const ContentOptions& options, const QString& first, const QString& second)
{
    return options.itemType == 0 ? first : second;
}

} // namespace stats
