#include "stats/PaymentForm.h"
#include "stats/StatLines.h"

using namespace Qt::StringLiterals;
using namespace print;

namespace stats {

namespace {

constexpr int gridTop = -250;
constexpr int rowHeight = 200;
constexpr int gridRows = 6;
constexpr int gridBottom = gridTop - gridRows * rowHeight; // -1450
constexpr int left = 100;
constexpr int right = 1800;
constexpr unsigned cellFormat = 0x810;

QString column(const QStringList& lines, int line, int col)
{
    if (line < 0 || line >= lines.size()) return {};
    const QStringList cols = columnsOf(lines[line]);
    return col < cols.size() ? cols[col] : QString();
}

// The cell of a grid row between two x positions.
Rect cell(int x0, int x1, int row)
{
    return {x0, gridTop - 20 - rowHeight * row, x1, gridTop - rowHeight * (row + 1)};
}

void rule(Canvas& dc, int x0, int y0, int x1, int y1)
{
    dc.moveTo(x0, y0);
    dc.lineTo(x1, y1);
}

} // namespace

void drawPaymentForm(Canvas& dc, const PrintInfo&, void* context)
{
    const auto& form = *static_cast<const PaymentForm*>(context);
    const QStringList& lines = form.lines;
    const FontHandle title = dc.createFont(LogFont::printFont(60, 30, 800));
    const FontHandle body = dc.createFont(LogFont::printFont(40, 15, 20));
    dc.setMapMode(MM_LOMETRIC);
    const FontHandle old = dc.selectFont(title);
    dc.drawText(u"缴   款   书"_s, {100, -30, 1800, -130}, 0x835);
    dc.selectFont(body);
    const QDate d = form.date.date();
    const QTime t = form.date.time();
    dc.textOut(200, -180, u"交款单位:%1 ------ %2年%3月%4日"_s.arg(form.payingUnit).arg(d.year()).arg(d.month()).arg(d.day()));
    dc.textOut(1200, -180, u"编号:%1%2%3%4%5%6"_s.arg(d.year()).arg(d.month()).arg(d.day()).arg(t.hour()).arg(t.minute()).arg(t.second()));

    const int n = int(lines.size());
    const bool categories = n == 14;
    const int w = categories ? 121 : 1700 / (n + 1);
    const int lastRule = categories ? 13 : n;
    for (int k = 0; k <= lastRule; ++k) rule(dc, left + w * k, gridTop, left + w * k, gridBottom);
    rule(dc, right, gridTop, right, gridBottom);
    for (int r = 0; r <= gridRows; ++r) rule(dc, left, gridTop - rowHeight * r, right, gridTop - rowHeight * r);
    // The heading's six columns go down the first grid column.
    for (int r = 0; r < gridRows; ++r) dc.drawText(column(lines, 0, r), cell(120, left + w, r), cellFormat);
    if (categories) {
        for (int k = 1; k <= 13; ++k) {
            dc.drawText(column(lines, k, 0), cell(120 + w * k, 221 + w * k, 0), cellFormat);
            dc.drawText(column(lines, k, 1), cell(120 + w * k, 221 + w * k, 1), cellFormat);
        }
    } else if (n >= 2) {
        for (int i = 1; i <= n - 2; ++i) {
            dc.drawText(column(lines, i, 0), cell(120 + i * w, left + (i + 1) * w, 0), cellFormat);
            dc.drawText(column(lines, i, 1), cell(120 + i * w, left + (i + 1) * w, 1), cellFormat);
        }
        // Then the category that no class covers, and the day's total in the last column.
        dc.drawText(u"其它费用"_s, cell(120 + (n - 1) * w, left + n * w, 0), cellFormat);
        dc.drawText(column(lines, n - 1, 0), cell(120 + n * w, right, 0), cellFormat);
        dc.drawText(column(lines, n - 1, 1), cell(120 + n * w, right, 1), cellFormat);
    }
    dc.textOut(100, -1480, u"送款人:"_s);
    dc.textOut(800, -1480, u"收款人:%1"_s.arg(form.cashier));
    dc.textOut(1200, -1480, u"附注:本日门诊"_s);
    dc.selectFont(old);
    dc.deleteFont(title);
    dc.deleteFont(body);
}

} // namespace stats
