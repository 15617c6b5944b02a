#pragma once
#include "db/Connection.h"
#include <QStringList>
#include <optional>

// What the statistics count: per report type the income groups it includes
// (SysthesisStatics_Table), and per kind of detailed statistics the contents it counts
// (StaticStandartItemforDayMonth_Table).
namespace stats {

// The report types of "统计项目设置", by SysthesisType.
const QStringList& reportTypeNames();

// One report type's switches (1 = included).
struct ReportChoice {
    int standartItem = 0;
    int nonStandartItem = 0;
    int vipCard = 0;
    int moneyCard = 0;
    int preferCard = 0;
    bool stored = false; // a row exists
    bool sameSwitches(const ReportChoice& o) const
    {
        return standartItem == o.standartItem && nonStandartItem == o.nonStandartItem && vipCard == o.vipCard
            && moneyCard == o.moneyCard && preferCard == o.preferCard;
    }
};

ReportChoice LoadReportChoice(db::Connection& c, int reportType);
// Stores the switches if the row is still as `loaded` (another workstation may have changed it
// meanwhile) and adds the row when the type has none yet. False when the row had changed:
// nothing is written.
bool SaveReportChoice(db::Connection& c, int reportType, const ReportChoice& loaded, const ReportChoice& choice);

// The eleven kinds of detailed statistics, by StaticsStandartType.
const QStringList& contentKindNames();
inline constexpr int ContentKinds = 11;
enum class ItemSource { Standard, NonStandard, Other };
ItemSource sourceOfKind(int kind);

// The item lists, two "#"-separated columns per line.
// Standard fee items: the class, then the item, in the catalogue's text order.
QStringList ShowStandartList0(db::Connection& c);
// Non-standard items: the clinic's label of each of the twelve fee categories, then its column.
QStringList ShowNonStandartList0(db::Connection& c);
// Other contents of a kind: addresses of the members (kind 8) or the kinds of voucher cards
// (kinds 9 and 10), then what they are.
QStringList ShowStaticItemList(db::Connection& c, int kind);
// The list a kind shows.
QStringList itemLinesOfKind(db::Connection& c, int kind);

// How one content is counted.
struct ContentOptions {
    int itemType = 1;        // 0 by fee category, 1 by fee item
    int staticPersonNum = 1; // count the patients
    int staticMoney = 1;     // count the amount
};

// The contents a kind counts, in the order they were added.
QStringList LoadContents(db::Connection& c, int kind);
std::optional<ContentOptions> LoadContent(db::Connection& c, int kind, const QString& item);
// Adds a content; false (nothing written) when the kind counts it already: counting one item
// twice would double it in every report.
bool AddContent(db::Connection& c, int kind, const QString& item, const ContentOptions& options);
// Deletes a content of a kind; the number of rows removed.
int DeleteContent(db::Connection& c, int kind, const QString& item);

// The captions of "统计内容设置" for a kind and the chosen item's two columns.
struct OptionCaptions {
    bool fromTemplate = false; // kind 3: the template's own captions
    QString byCategory;        // first radio
    QString byItem;            // second radio
    bool byItemShown = true;
    QString countPatients;
    QString countMoney;
    int itemType = 1;
};
OptionCaptions captionsFor(int kind, const QString& first, const QString& second);
// The check boxes' captions after a radio is chosen, for the chosen column's text.
QString countPatientsCaption(const QString& text);
QString countMoneyCaption(const QString& text);
// Kinds whose contents are added without asking how to count them.
bool addsWithoutOptions(int kind);
// The counting basis a kind starts with.
ContentOptions defaultOptions(int kind);
// What a kind stores for a chosen item: the first column by fee category, else the second.
QString storedItem(const ContentOptions& options, const QString& first, const QString& second);

} // namespace stats
