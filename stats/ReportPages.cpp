#include "stats/ReportPages.h"
#include <algorithm>

using namespace Qt::StringLiterals;
using namespace print;

namespace stats {

namespace {

QString dayText(const QDate& d) { return u"%1-%2-%3"_s.arg(d.year()).arg(d.month()).arg(d.day()); }

void rule(Canvas& dc, int x0, int y0, int x1, int y1)
{
    dc.moveTo(x0, y0);
    dc.lineTo(x1, y1);
}

// Both layouts: the title in the title font (selected on entry), the rest in the body font.
void drawAccount(Canvas& dc, const ReportPage& p, FontHandle body)
{
    dc.drawText(u"%1口腔门诊报帐单(自费)"_s.arg(p.clinic), {200, -30, 1400, -130}, 0x835);
    dc.selectFont(body);
    const QDateTime& at = p.printedAt;
    dc.textOut(200, -140, dayText(p.first) + u'\\' + dayText(p.last));
    dc.textOut(700, -140, u"制单：%1"_s.arg(p.operatorName));
    dc.textOut(1100, -140, u"No：%1%2%3%4%5%6"_s.arg(at.date().year()).arg(at.date().month()).arg(at.date().day())
                               .arg(at.time().hour()).arg(at.time().minute()).arg(at.time().second()));
    // The heading and the six category lines, four columns each.
    const int tableRows = std::min<int>(7, int(p.lines.size()));
    for (int i = 0; i < tableRows; ++i) {
        const int y = -210 - 60 * i;
        const QStringList cols = columnsOf(p.lines[i]);
        for (int c = 0; c < 4 && c < cols.size(); ++c) dc.textOut(220 + 300 * c, y, cols[c]);
        rule(dc, 200, y + 10, 1400, y + 10);
    }
    rule(dc, 200, -620, 1400, -620);
    for (int x : {200, 500, 800, 1100, 1400}) rule(dc, x, -200, x, x == 200 || x == 1400 ? -680 : -620);
    // The summary lines below, two columns each, in rows of 60.
    for (int j = 0; 7 + j < p.lines.size() && j < 6; ++j) {
        const int top = -680 - 60 * j;
        const QStringList cols = columnsOf(p.lines[7 + j]);
        dc.textOut(220, top - 10, cols.value(0));
        dc.textOut(520, top - 10, cols.value(1));
        rule(dc, 200, top, 1400, top);
        for (int x : {200, 500, 1400}) rule(dc, x, top, x, top - 60);
    }
    rule(dc, 200, -200, 1400, -200);
}

void drawTable(Canvas& dc, const ReportPage& p, FontHandle body, const QString& titleFormat)
{
    dc.drawText(titleFormat.arg(p.clinic), {200, -30, 1900, -130}, 0x835);
    dc.selectFont(body);
    dc.textOut(200, -140, dayText(p.first) + u'-' + dayText(p.last));
    int y = -220;
    for (const QString& line : p.lines) {
        const QStringList cols = columnsOf(line);
        for (int c = 0; c < 7 && c < cols.size(); ++c) dc.textOut(110 + 230 * c, y, cols[c]);
        rule(dc, 100, y + 20, 1800, y + 20);
        y -= 80;
    }
    const int bottom = y + 20; // the lower edge of the last row
    rule(dc, 100, -200, 1800, -200);
    for (int c = 0; c < 7; ++c) rule(dc, 100 + 230 * c, -200, 100 + 230 * c, bottom);
    rule(dc, 1800, -200, 1800, bottom);
    rule(dc, 100, bottom, 1800, bottom);
}

} // namespace

void drawReportPage(Canvas& dc, const PrintInfo&, void* context)
{
    const auto& page = *static_cast<const ReportPage*>(context);
    const FontHandle title = dc.createFont(LogFont::printFont(60, 30, 800));
    const FontHandle body = dc.createFont(LogFont::printFont(40, 15, 30));
    dc.setMapMode(MM_LOMETRIC);
    const FontHandle old = dc.selectFont(title);
    switch (page.mode) {
    case ReportMode::Account: drawAccount(dc, page, body); break;
    case ReportMode::Department: drawTable(dc, page, body, u"%1科室统计"_s); break;
    case ReportMode::Doctor: drawTable(dc, page, body, u"%1医生工作量统计"_s); break;
    }
    dc.selectFont(old);
    dc.deleteFont(title);
    dc.deleteFont(body);
}

} // namespace stats
