#include "prepay/PrePaySlip.h"
#include "common/Money.h"
#include "print/FormFonts.h"

using namespace Qt::StringLiterals;
using namespace print;

namespace prepay {

void drawPrePaySlip(Canvas& dc, const PrintInfo&, void* context)
{
    const auto& s = *static_cast<const PrePaySlip*>(context);
    FormFonts fonts(dc);
    dc.drawText(s.clinic + u" 预付费交款单"_s, {100, -30, 1800, -130}, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    fonts.body();
    const QString lines[][2] = {
        {u"单号:%1"_s.arg(s.number), u"日期:%1"_s.arg(s.time.toString(u"yyyy-MM-dd HH:mm:ss"_s))},
        {u"患者:%1"_s.arg(s.patientName), u"病人编号:%1"_s.arg(s.patientNumber)},
        {u"预付费帐户:%1"_s.arg(s.account), u"交款人:%1"_s.arg(s.payer)},
        {u"交款金额:%1元"_s.arg(money::format2(s.amount)), u"交款方式:%1"_s.arg(s.method)},
        {u"交款后余额:%1元"_s.arg(money::format2(s.balance)), u"收款员:%1"_s.arg(s.cashier)},
    };
    int y = -180;
    for (const auto& pair : lines) {
        dc.textOut(200, y, pair[0]);
        dc.textOut(1000, y, pair[1]);
        y -= 70;
    }
    dc.moveTo(100, y - 10);
    dc.lineTo(1800, y - 10);
    dc.textOut(200, y - 40, u"患者签字:"_s);
}

} // namespace prepay
