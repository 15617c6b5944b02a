#include "tests/stats/StatsFlows.h"

using namespace Qt::StringLiterals;

QStringList flowClinic()
{
    return {
        // The cashier's day 2026-03-10: walk-in fees at both edges of the day, a receipt paid
        // with a discount, an unpaid receipt, a fee of the next day at midnight.
        u"无病历收费单|2026-03-10 00:00:00|张收款|挂号费=5,合计=5,科室=儿科,医生姓名=陈医生"_s,
        u"收费收据表|2026-03-10 10:00:00|张收款|挂号费=10,检查费=100,合计=110,付款=已付,科室=口腔科,医生姓名=王医生"_s,
        u"病历收费单|2026-03-10 10:05:00|张收款|收款金额=99,ReceiptID=#2"_s,
        u"收费收据表|2026-03-10 11:00:00| |检查费=50,合计=50,付款=未付,科室=口腔科,医生姓名=王医生"_s,
        u"无病历收费单|2026-03-10 23:59:59|张收款|西药费=3,合计=3,科室=放射科,医生姓名=赵医生"_s,
        u"无病历收费单|2026-03-11 00:00:00|张收款|西药费=4,合计=4,科室=放射科,医生姓名=赵医生"_s,
        u"收费标准表|||收费分类=检查,收费项目=拍片"_s,
        u"收费标准表|||收费分类=治疗,收费项目=洗牙"_s,
        u"收费明细表|||收费类型=检查,金额=100,收据编号=#2"_s,
        u"ShandongTicket_Table|||TicketID=500,ReceiptID=#2,IsUsed=0"_s,
        u"ShandongTicket_Table|||TicketID=501,ReceiptID=#2,IsUsed=1"_s,
        u"PrePay_Table|||VIP_address=东城区"_s,
        u"PrePay_Table|||VIP_address=西城区"_s,
    };
}

QList<StatsFlow> statsFlows()
{
    const QString heading = u"项目#现金#公费医疗#特约记帐#住院收入#合计金额"_s;
    QStringList categories{heading};
    for (const QString& l : {u"挂号费#15.0"_s, u"检查费#100.0"_s, u"镶牙费#0.0"_s, u"正畸费#0.0"_s, u"注射费#0.0"_s,
                             u"中药费#0.0"_s, u"西药费#3.0"_s, u"治疗费#0.0"_s, u"手术费#0.0"_s, u"诊疗费#0.0"_s,
                             u"放射费#0.0"_s, u"其它#0.0"_s, u"合计#107.0"_s})
        categories << l;
    return {
        {"day by category, discounts and midnight edges", u"HEBEITableStatic"_s,
         R"([{"set":"统计日期","to":"2026-03-10"},{"choose":"统计方式","item":"按非标准收费统计"},
             {"set":"按收款人","to":"张收款"},{"click":"统 计"},{"click":"导出CSV"},{"click":"导出PDF"},
             {"click":"关  闭"}])",
         categories,
         {u"缴 款 书"_s, u"交款单位:第一门诊部 ------ 2026年3月10日"_s, u"107.0"_s, u"收款人:张收款"_s}},
        {"day by class", u"HEBEITableStatic"_s,
         R"([{"set":"统计日期","to":"2026-03-10"},{"choose":"统计方式","item":"按标准收费统计"},
             {"click":"统 计"},{"click":"导出CSV"},{"click":"打印预览"},{"click":"关  闭"}])",
         {heading, u"检查#100.0"_s, u"治疗#0.0"_s, u"合计#107.0"_s}, {u"其它费用"_s, u"检查"_s}},
        {"the mode opens on the category receipts", u"HEBEITableStatic"_s,
         R"([{"set":"统计日期","to":"2026-03-10"},{"click":"统 计"},{"click":"导出CSV"},{"click":"关  闭"}])", categories, {}},
        {"another cashier's day", u"HEBEITableStatic"_s,
         R"([{"set":"统计日期","to":"2026-03-10"},{"choose":"统计方式","item":"按非标准收费统计"},
             {"set":"按收款人","to":"李收款"},{"click":"统 计"},{"click":"导出CSV"},{"click":"关  闭"}])",
         QStringList{heading} + QStringList{u"挂号费#0.0"_s, u"检查费#0.0"_s, u"镶牙费#0.0"_s, u"正畸费#0.0"_s,
                                            u"注射费#0.0"_s, u"中药费#0.0"_s, u"西药费#0.0"_s, u"治疗费#0.0"_s,
                                            u"手术费#0.0"_s, u"诊疗费#0.0"_s, u"放射费#0.0"_s, u"其它#0.0"_s,
                                            u"合计#0.0"_s},
         {}},
        {"account statement with invoices", u"SDTableStatic"_s,
         R"([{"set":"起始日期","to":"2026-03-10"},{"set":"终止日期","to":"2026-03-10"},{"click":"统  计"},
             {"click":"导出CSV"},{"click":"导出PDF"},{"click":"关闭"}])",
         {u"项目#应收#实收#差额"_s, u"西药费#3.0#3.0#0.00"_s, u"治疗费#0.0#0.0#0.00"_s, u"手术费#0.0#0.0#0.00"_s,
          u"诊疗费#0.0#0.0#0.00"_s, u"放射费#0.0#0.0#0.00"_s, u"合计#118.0#118.0#0.00"_s, u"收款员#刘会计"_s,
          u"发票#2"_s, u"金额#118.0"_s, u"退票#1"_s, u"起始发票#500"_s, u"终止发票#501"_s},
         {u"康华口腔门诊报帐单(自费)"_s, u"制单：刘会计"_s, u"终止发票"_s, u"501"_s}},
        {"per department", u"SDTableStatic"_s,
         R"([{"set":"起始日期","to":"2026-03-01"},{"set":"终止日期","to":"2026-03-31"},{"set":"按科室统计","to":"1"},
             {"click":"统  计"},{"click":"导出CSV"},{"click":"预览报表"},{"click":"关闭"}])",
         {u"科室#西药费#治疗费#手术费#诊疗费#放射费#合计"_s, u"放射科#7.0#0.0#0.0#0.0#0.0#7.0"_s,
          u"儿科#0.0#0.0#0.0#0.0#0.0#5.0"_s, u"口腔科#0.0#0.0#0.0#0.0#0.0#110.0"_s,
          u"合计#7.0#0.0#0.0#0.0#0.0#7.0\\122.0"_s},
         {u"康华科室统计"_s}},
        {"per doctor over a long range", u"SDTableStatic"_s,
         R"([{"set":"起始日期","to":"2025-01-01"},{"set":"终止日期","to":"2026-12-31"},{"set":"按医生统计","to":"1"},
             {"click":"统  计"},{"click":"导出CSV"},{"click":"关闭"}])",
         {u"医生#西药费#治疗费#手术费#诊疗费#放射费#合计"_s, u"赵医生#7.0#0.0#0.0#0.0#0.0#7.0"_s,
          u"陈医生#0.0#0.0#0.0#0.0#0.0#5.0"_s, u"王医生#0.0#0.0#0.0#0.0#0.0#110.0"_s,
          u"合计#7.0#0.0#0.0#0.0#0.0#7.0\\122.0"_s},
         {}},
    };
}
