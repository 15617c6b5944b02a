#pragma once
#include "print/Canvas.h"
#include "print/PageRoutine.h"
#include <QStringList>

// A small form in the manner of the clinic's printouts: a centred title in two lines, body
// lines at points, and a grid whose cells wrap their text.
struct SampleSheet {
    QString title;
    QStringList lines;     // body lines, 60 apart from y -240
    QStringList cells;     // one grid row of cells 121 wide from x 100
    int calls = 0;         // how often the routine ran
    print::PrintInfo last; // what it was called with
};

inline void drawSampleSheet(print::Canvas& dc, const print::PrintInfo& info, void* context)
{
    using namespace print;
    auto& sheet = *static_cast<SampleSheet*>(context);
    ++sheet.calls;
    sheet.last = info;
    const FontHandle title = dc.createFont(LogFont::printFont(60, 30, 800));
    const FontHandle body = dc.createFont(LogFont::printFont(40, 15, 20));
    dc.setMapMode(MM_LOMETRIC);
    const FontHandle old = dc.selectFont(title);
    dc.drawText(sheet.title, {35, -30, 715, -130}, 0x835);
    dc.drawText(QStringLiteral("收  费  明  细"), {35, -130, 715, -230}, 0x835);
    dc.selectFont(body);
    int y = -240;
    for (const QString& line : sheet.lines) {
        dc.textOut(35, y, line);
        y -= 60;
    }
    const int top = y - 20, bottom = top - 200;
    const int right = 100 + 121 * int(sheet.cells.size());
    for (int ruleY : {top, bottom}) {
        dc.moveTo(100, ruleY);
        dc.lineTo(right, ruleY);
    }
    for (int k = 0; k <= sheet.cells.size(); ++k) {
        dc.moveTo(100 + 121 * k, top);
        dc.lineTo(100 + 121 * k, bottom);
    }
    for (int k = 0; k < sheet.cells.size(); ++k)
        dc.drawText(sheet.cells[k], {120 + 121 * k, top - 20, 221 + 121 * k, bottom}, 0x810);
    dc.selectFont(old);
    dc.deleteFont(title);
    dc.deleteFont(body);
}

inline SampleSheet sampleSheet()
{
    SampleSheet sheet;
    sheet.title = QStringLiteral("口 腔 门 诊 部");
    sheet.lines = {QStringLiteral("姓名：张三 病案号：A001"), QStringLiteral("应收金额(元)：128.50")};
    sheet.cells = {QStringLiteral("挂号费"), QStringLiteral("公费医疗"), QStringLiteral("36.5")};
    return sheet;
}
