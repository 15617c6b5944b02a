#include "print/ReceiptPage.h"
#include "common/Money.h"
#include <algorithm>

using namespace Qt::StringLiterals;

namespace print {

namespace {

// A slip as wide as the checkout's fee detail sheet: 68 mm from 3.5 mm in.
constexpr int left = 35;
constexpr int right = 715;
constexpr int quantityLeft = 430;
constexpr int amountLeft = 540;
constexpr int valueLeft = 400;
constexpr int lineHeight = 50;
constexpr int textHeight = 40;
// The foot of an A4 page's printable area: the page is one page long, so what would fall below
// it is summed up on one line instead and the totals stay on the page.
constexpr int pageFoot = -2850;
// One line of text, clipped at its cell rather than running into the next column.
constexpr unsigned leftCell = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX;
constexpr unsigned rightCell = DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX;

void rule(Canvas& dc, int y)
{
    dc.moveTo(left, y);
    dc.lineTo(right, y);
}

} // namespace

void drawReceiptPage(Canvas& dc, const PrintInfo&, void* context)
{
    const auto& p = *static_cast<const ReceiptPage*>(context);
    const FontHandle title = dc.createFont(LogFont::printFont(60, 30, 800));
    const FontHandle body = dc.createFont(LogFont::printFont(40, 15, 20));
    dc.setMapMode(MM_LOMETRIC);
    const FontHandle old = dc.selectFont(title);
    dc.drawText(p.title, {left, -30, right, -130}, 0x835);
    dc.drawText(p.heading, {left, -130, right, -230}, 0x835);
    dc.selectFont(body);
    if (p.reprint) dc.drawText(u"补打"_s, {575, -150, right, -210}, rightCell | DT_VCENTER);

    int y = -240;
    for (const QString& s : {p.number, p.patient, p.doctor, u"日期：%1"_s.arg(p.date.toString(u"yyyy-MM-dd HH:mm"_s))}) {
        dc.textOut(left, y, s);
        y -= lineHeight;
    }
    rule(dc, y);
    y -= 10;
    const int nameRight = p.itemised ? quantityLeft : amountLeft;
    auto cells = [&](const QString& item, const QString& quantity, const QString& amount) {
        dc.drawText(item, {left, y, nameRight, y - textHeight}, leftCell);
        if (p.itemised) dc.drawText(quantity, {quantityLeft, y, amountLeft, y - textHeight}, rightCell);
        dc.drawText(amount, {amountLeft, y, right, y - textHeight}, rightCell);
        y -= lineHeight;
    };
    cells(u"项目"_s, u"数量"_s, u"金额"_s);
    // Every sum there may be, and the cashier's line, below the lines.
    const int sums = 8 + int(p.payments.size());
    const int room = (y - pageFoot - 30 - sums * lineHeight) / lineHeight;
    const qsizetype shown = p.lines.size() <= room ? p.lines.size() : std::max(room - 1, 0);
    for (qsizetype i = 0; i < shown; ++i) cells(p.lines[i].item, p.lines[i].quantity, money::format2(p.lines[i].amount));
    if (shown < p.lines.size()) {
        qint64 rest = 0;
        for (qsizetype i = shown; i < p.lines.size(); ++i) rest += money::toFen(p.lines[i].amount);
        cells(u"另有 %1 项"_s.arg(p.lines.size() - shown), QString(), money::format2(money::fromFen(rest)));
    }
    rule(dc, y);
    y -= 10;

    auto sum = [&](const QString& label, double amount, int indent = 0) {
        dc.textOut(left + indent, y, label);
        dc.drawText(money::format2(amount), {valueLeft, y, right, y - textHeight}, rightCell);
        y -= lineHeight;
    };
    auto nonZero = [](double v) { return money::toFen(v) != 0; };
    sum(u"合计"_s, p.total);
    if (nonZero(p.oldArrears)) sum(p.arrearsLater ? u"原欠款(暂不结帐)"_s : u"原欠款"_s, p.oldArrears);
    if (money::toFen(p.due) != money::toFen(p.total)) sum(u"应收金额"_s, p.due);
    if (nonZero(p.discount)) sum(u"折扣优惠"_s, p.discount);
    if (nonZero(p.otherFree)) sum(u"其它优惠"_s, p.otherFree);
    sum(u"实收金额"_s, p.collected);
    for (const ReceiptPage::Payment& m : p.payments) sum(m.method, m.amount, 40);
    if (nonZero(p.owing)) sum(u"欠款"_s, p.owing);
    dc.textOut(left, y - 10, u"收款人：%1"_s.arg(p.cashier));

    dc.selectFont(old);
    dc.deleteFont(title);
    dc.deleteFont(body);
}

} // namespace print
