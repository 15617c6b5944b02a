#include "settle/FeeDetailSheet.h"
#include "common/Money.h"

using namespace Qt::StringLiterals;
using namespace print;

namespace settle {

void drawFeeDetailSheet(Canvas& dc, const PrintInfo&, void* context)
{
    const auto& s = *static_cast<const FeeDetailSheet*>(context);
    const FontHandle title = dc.createFont(LogFont::printFont(60, 30, 800));
    const FontHandle body = dc.createFont(LogFont::printFont(40, 15, 20));
    dc.setMapMode(MM_LOMETRIC);
    const FontHandle old = dc.selectFont(title);
    dc.drawText(s.title, {35, -30, 715, -130}, 0x835);
    dc.drawText(u"收  费  明  细"_s, {35, -130, 715, -230}, 0x835);
    dc.selectFont(body);
    constexpr int x = 35;
    dc.textOut(x, -240, u"姓名：%1 病案号：%2"_s.arg(s.patientName, s.patientNumber));
    dc.textOut(x, -300, u"医生：%1 科室：%2 编号：%3"_s.arg(s.doctorName, s.department, s.doctorNumber));
    dc.textOut(x, -360, s.oldArrears > 0.0 ? u"应收金额(元)：%1 (原欠款(元):%2"_s.arg(money::format2(s.amountDue),
                                                                                  money::format2(s.oldArrears))
                                           : u"应收金额(元)：%1"_s.arg(money::format2(s.amountDue)));
    dc.textOut(x, -420, s.arrears > 0.0 ? u"现收金额(元)：%1 欠款(元)：%2"_s.arg(money::format2(s.collected),
                                                                             money::format2(s.arrears))
                                        : u"现收金额(元)：%1"_s.arg(money::format2(s.collected)));
    const QDate d = s.date.date();
    dc.textOut(x, -480, u"收款人：%1 收款日期：%2.%3.%4"_s.arg(s.cashier).arg(d.year()).arg(d.month()).arg(d.day()));
    dc.selectFont(old);
    dc.deleteFont(title);
    dc.deleteFont(body);
}

} // namespace settle
