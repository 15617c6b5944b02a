#include "tests/print/BeijingFlows.h"

QList<BeijingFlow> beijingFlows()
{
    const QString below0 = QStringLiteral("总费用不能为小于0的值！");
    return QList<BeijingFlow>{
        {"clinic form: 西药 added to the amount", 0, 120.50,
         R"J([{"dialog":"北京门诊收费专用收据"},{"set":"西  药","to":"20"},{"set":"收款单位","to":"北京"},
             {"set":"付款单位(个人)","to":"张三"},{"click":"确定"}])J",
         55, {},
         {{"Payee", "北京口腔医院"}, {"ReceiptID", 55}, {"ReceiptMoney", 140.5}, {"ReceiptItem1", 20.0},
          {"ReceiptItem18", 120.5}, {"Checker", "收款员"}}},
        {"clinic form: a payee not in the list is kept as typed", 0, 80.0,
         R"([{"set":"收款单位","to":"某单位"},{"click":"确定"}])", 55, {},
         {{"Payee", "某单位"}, {"ReceiptMoney", 80.0}, {"ReceiptItem18", 80.0}}},
        {"clinic form cancelled", 0, 120.50, R"([{"set":"西药","to":"20"},{"click":"取消"}])", 0, {}, {}},
        {"city form: 治疗费 takes up the difference", 1, 100.0,
         R"([{"dialog":"北京市门诊收费专用收据"},{"set":"西  药","to":"30"},{"set":"No.","to":"0012345"},
             {"click":"结   帐"}])",
         55, {},
         {{"Payee", "0012345"}, {"ReceiptID", 0}, {"ReceiptMoney", 100.0}, {"ReceiptItem1", 30.0},
          {"ReceiptItem10", 70.0}, {"ReceiptItem4", 0.0}}},
        {"city form: a split above the total is refused, the item goes back", 1, 100.0,
         R"([{"set":"西药","to":"30"},{"set":"化验","to":"150"},{"click":"结帐"}])", 0, {below0}, {},
         QStringLiteral("does not take \"150\"")},
        {"city form cancelled", 1, 100.0, R"([{"set":"西药","to":"30"},{"click":"取消"}])", 0, {}, {}},
    };
}
