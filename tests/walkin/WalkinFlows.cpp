#include "tests/walkin/WalkinFlows.h"

namespace {
const QString prompt = QStringLiteral("是否打印？如打印请按“是”，否则，按“否”!");
const QString added = QStringLiteral("收费登记成功!");
const QString corrected = QStringLiteral("收费记录修改成功!");
} // namespace

QList<WalkinFlow> walkinFlows()
{
    const QString wang = QStringLiteral("王医生");
    // The stored sheet (see addStoredSheet) as it was before any correction.
    const QVariantMap untouched{{"合计", 55.0}, {"挂号费", 0.0}, {"付款", "未付"}, {"应收金额", 50.0}, {"余额", 5.0}};
    return QList<WalkinFlow>{
        {"new sheet, no print", "none", wang, 0,
         R"([{"dialog":"无病案收费单"},{"set":"患者姓名","to":"张三"},{"set":"挂号费","to":"10"},
             {"set":"检查费","to":"20.5"},{"choose":"护士","item":"陈护士"},{"click":"结   帐"},{"reply":"否"}])",
         0, "new", {added, prompt}, 2,
         {{"合计", 30.5}, {"应收金额", 30.5}, {"收款金额", 30.5}, {"余额", 0.0}, {"付款", "已付"}, {"挂号费", 10.0},
          {"检查费", 20.5}, {"病人姓名", "张三"}, {"医生姓名", "王医生"}, {"医生编号", "D01"}, {"科室", "口腔科"},
          {"收款人", "收款员"}, {"护士", "陈护士"}, {"备注", " "}, {"病历号", 0}}},
        {"new sheet, print", "none", wang, 0,
         R"([{"set":"患者姓名","to":"李四"},{"set":"西药费","to":"12"},{"set":"备注","to":"O'Brien's"},
             {"click":"结帐"},{"reply":"是"}])",
         1, "new", {added, prompt}, 2, {{"合计", 12.0}, {"西药费", 12.0}, {"备注", "O'Brien's"}}},
        {"all amounts 0 are stored without a question", "none", wang, 0,
         R"([{"set":"患者姓名","to":"张三"},{"click":"结帐"},{"reply":"否"}])", 0, "new", {added, prompt}, 2,
         {{"合计", 0.0}, {"收款金额", 0.0}, {"付款", "已付"}}},
        {"cash handed over short, then enough: the change is not stored", "none", wang, 0,
         R"([{"set":"患者姓名","to":"张三"},{"set":"挂号费","to":"10"},{"set":"检查费","to":"20.5"},
             {"set":"收款","to":"30.49"},{"click":"结帐"},{"set":"收款","to":"50"},{"click":"结帐"},{"reply":"否"}])",
         0, "new", {QStringLiteral("收款金额少于应收现金30.50元，不能结帐！"), added, prompt}, 2,
         {{"合计", 30.5}, {"应收金额", 30.5}, {"收款金额", 30.5}, {"余额", 0.0}}},
        {"missing name", "none", wang, 0,
         R"([{"set":"挂号费","to":"5"},{"click":"结帐"},{"set":"患者姓名","to":"张三"},{"click":"结帐"},{"reply":"否"}])",
         0, "new", {"病人姓名不应为空!", added, prompt}, 2, {{"合计", 5.0}}},
        {"missing doctor, then one picked", "none", QString(), 0,
         R"([{"set":"患者姓名","to":"张三"},{"click":"结帐"},{"choose":"医生","item":"李医生"},{"click":"结帐"},
             {"reply":"否"}])",
         0, "new", {"请输入医生信息!", added, prompt}, 2,
         {{"医生姓名", "李医生"}, {"医生编号", "D02"}, {"科室", ""}}},
        {"correction rewrites what was paid from the new total", "stored", wang, 0,
         R"([{"set":"挂号费","to":"10"},{"click":"结帐"},{"reply":"否"}])", 0, "stored", {corrected, prompt}, 1,
         {{"合计", 65.0}, {"挂号费", 10.0}, {"检查费", 30.0}, {"付款", "已付"}, {"应收金额", 65.0},
          {"收款金额", 65.0}, {"余额", 0.0}, {"病人姓名", "王五"}, {"收款人", "早班"}, {"备注", "复诊"}}},
        {"a negative ID opens a new sheet", "negative", wang, 0,
         R"([{"set":"患者姓名","to":"张三"},{"set":"挂号费","to":"7"},{"click":"结帐"},{"reply":"否"}])", 0, "new",
         {added, prompt}, 2, {{"合计", 7.0}}},
        {"failed new sheet stays open, then cancel", "none", wang, 1,
         R"([{"set":"患者姓名","to":"张三"},{"set":"挂号费","to":"10"},{"click":"结帐"},{"click":"关闭"}])", 0,
         "nothing", {"收费记录登记失败!"}, 1, untouched},
        {"failed new sheet keeps what was typed for a second try", "none", wang, 1,
         R"([{"set":"患者姓名","to":"张三"},{"set":"挂号费","to":"10"},{"click":"结帐"},{"click":"结帐"},
             {"reply":"否"}])",
         0, "new", {"收费记录登记失败!", added, prompt}, 2, {{"合计", 10.0}, {"病人姓名", "张三"}}},
        {"failed correction stays open, then cancel", "stored", wang, 1,
         R"([{"set":"挂号费","to":"10"},{"click":"结帐"},{"click":"关闭"}])", 0, "nothing", {"收费记录修改失败!"}, 1,
         untouched},
    };
}
