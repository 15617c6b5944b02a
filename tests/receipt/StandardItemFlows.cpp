#include "tests/receipt/StandardItemFlows.h"

namespace {
const QString failed = QStringLiteral("提交记录时不成功!请重新确定!");
const QString noDoctor = QStringLiteral("请填写医生、科室或医生编号!");
} // namespace

QList<ItemFlow> standardReceiptFlows()
{
    const QString wang = QStringLiteral("王医生");
    return {
        {"several items from lists, code search and tree", "", wang, 0,
         R"js([{"dialog":"填写收据"},{"choose":"类别","item":"治疗类"},{"choose":"项目","item":"洁治"},
             {"set":"数量","to":"2"},{"click":"录入"},
             {"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},{"key":"项目","press":"Enter"},
             {"tree":"收费标准","path":["口腔科","治疗类","拔牙 颗 50.00 (2)"],"double":true},{"click":"录入"},
             {"set":"备注","to":"O'Brien 复诊"},{"click":"提交"}])js",
         0, {}, {{"合计", 285.0}, {"付款", "未付"}, {"feeio", 0}, {"doctor_discout", -1}, {"备注", "O'Brien 复诊"},
                 {"医生编号", "D01"}, {"科室", "口腔科"}, {"病人姓名", "张三"}},
         {"洁治 2 200 0.8", "全景片 1 35 1", "拔牙 1 50 1"}},
        {"per-item rates: typed amounts give the rate", "type3", wang, 0,
         R"js([{"choose":"类别","item":"治疗类"},{"choose":"项目","item":"洁治"},{"set":"金额","to":"90"},
             {"click":"录入"},{"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},{"set":"金额","to":"120"},
             {"click":"录入"},{"click":"提交"}])js",
         0, {}, {{"合计", 210.0}, {"doctor_discout", 3}}, {"洁治 1 90 0.9", "全景片 1 120 1"}},
        {"the approved rate recalculates the listed items", "type3", wang, 0,
         R"js([{"set":"项目","to":"JZ"},{"key":"项目","press":"Enter"},{"click":"录入"},
             {"choose":"折扣类型","item":"根据领导批准的折扣打折"},{"dialog":"允许折扣值"},{"set":"允许折扣值","to":"0.5"},
             {"click":"确定"},{"reply":"是"},{"click":"提交"}])js",
         0, {QStringLiteral("是否按照新的折扣重新计算原有的收费项目?")},
         {{"合计", 50.0}, {"doctor_discout", 0}, {"doctor_discout_value", 0.5}}, {"洁治 1 50 0.5"}},
        {"edit: a loaded line deleted, one added", "stored", wang, 0,
         R"js([{"row":"收费项目","index":0},{"click":"删除"},{"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},
             {"click":"录入"},{"click":"提交"}])js",
         0, {}, {{"合计", 85.0}}, {"拔牙 1 50 1", "全景片 1 35 1"}},
        {"refund above what was received", "", wang, 0,
         R"js([{"set":"退费收据","to":"1"},{"set":"项目","to":"JZ"},{"key":"项目","press":"Enter"},
             {"click":"录入"},{"click":"提交"},{"reply":"是"}])js",
         0, {QStringLiteral("要退费的金额超过实际已收的金额，是否继续退费？")}, {{"合计", -100.0}, {"feeio", 1}},
         {"洁治 1 100 0.8"}},
        {"a failed header write keeps the list; the next submit stores it", "", wang, 1,
         R"js([{"set":"项目","to":"JZ"},{"key":"项目","press":"Enter"},{"click":"录入"},
             {"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},{"click":"录入"},{"click":"提交"},{"click":"提交"}])js",
         0, {failed}, {{"合计", 135.0}}, {"洁治 1 100 0.8", "全景片 1 35 1"}},
        {"a failed line write keeps the list; the next submit stores it", "", wang, 3,
         R"js([{"set":"项目","to":"JZ"},{"key":"项目","press":"Enter"},{"click":"录入"},
             {"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},{"click":"录入"},{"click":"提交"},{"click":"提交"}])js",
         0, {failed}, {{"合计", 135.0}}, {"洁治 1 100 0.8", "全景片 1 35 1"}},
        {"a failed write, then cancel: nothing stored", "", wang, 1,
         R"js([{"set":"项目","to":"JZ"},{"key":"项目","press":"Enter"},{"click":"录入"},{"click":"提交"},{"click":"取消"}])js",
         1, {failed}, {}, {}},
        {"no doctor", "", QString(), 0, R"js([{"click":"提交"},{"click":"取消"}])js", 1, {noDoctor}, {}, {}},
    };
}

QList<ItemFlow> walkinStandardFlows()
{
    const QString wang = QStringLiteral("王医生");
    return {
        {"items and remark, paid at once", "", wang, 0,
         R"js([{"dialog":"无病案标准收费"},{"set":"姓名","to":"马晓东"},{"choose":"性别","item":"男"},{"set":"年龄","to":"52"},
             {"choose":"类别","item":"治疗类"},{"choose":"项目","item":"洁治"},{"set":"数量","to":"2"},{"click":"录入"},
             {"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},{"set":"金额","to":"30"},{"click":"录入"},
             {"set":"备注","to":"加急"},{"click":"结帐"},{"reply":"否"}])js",
         0, {QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!")},
         {{"合计", 230.0}, {"应收金额", 230.0}, {"收款金额", 230.0}, {"余额", 0.0}, {"付款", "已付"}, {"备注", "加急"},
          {"病人姓名", "马晓东"}, {"性别", "男"}, {"年龄", "52"}, {"收款人", "收款员"}, {"医生编号", "D01"}},
         {"洁治 2 200 1", "全景片 1 30 1"}},
        {"a correction: a loaded line deleted, one added", "stored", wang, 0,
         R"js([{"row":"收费项目","index":0},{"click":"删除"},{"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},
             {"click":"录入"},{"set":"备注","to":"补录"},{"click":"结帐"},{"reply":"否"}])js",
         0, {QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!")},
         {{"合计", 85.0}, {"备注", "补录"}, {"病人姓名", "赵六"}}, {"拔牙 1 50 1", "全景片 1 35 1"}},
        {"cash handed over short, then enough: the change is not stored", "", wang, 0,
         R"js([{"set":"姓名","to":"马晓东"},{"set":"项目","to":"QJP"},{"key":"项目","press":"Enter"},{"click":"录入"},
             {"set":"收款","to":"34.99"},{"click":"结帐"},{"set":"收款","to":"50"},{"click":"结帐"},{"reply":"否"}])js",
         0, {QStringLiteral("收款金额少于应收现金35.00元，不能结帐！"), QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!")},
         {{"合计", 35.0}, {"应收金额", 35.0}, {"收款金额", 35.0}, {"余额", 0.0}}, {"全景片 1 35 1"}},
        {"no patient name", "", wang, 0, R"js([{"click":"结帐"},{"click":"关闭"}])js", 0,
         {QStringLiteral("请填写病人姓名!")}, {}, {}},
        {"no doctor", "", QString(), 0, R"js([{"set":"姓名","to":"马晓东"},{"click":"结帐"},{"click":"关闭"}])js", 0,
         {noDoctor}, {}, {}},
        {"a failed write keeps the list; the next 结帐 stores it", "", wang, 1,
         R"js([{"set":"姓名","to":"马晓东"},{"set":"项目","to":"JZ"},{"key":"项目","press":"Enter"},{"click":"录入"},
             {"click":"结帐"},{"click":"结帐"},{"reply":"否"}])js",
         0, {failed, QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!")}, {{"合计", 100.0}}, {"洁治 1 100 1"}},
    };
}
