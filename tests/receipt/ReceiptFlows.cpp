#include "tests/receipt/ReceiptFlows.h"

namespace {
const QString zeroTotal = QStringLiteral("合计费用为0值,是否重新填写?");
const QString overRefund = QStringLiteral("要退费的金额超过实际已收的金额，是否继续退费？");
const QString askDelete = QStringLiteral("真的要删除这个收据吗？");
} // namespace

QList<ReceiptFlow> receiptFlows()
{
    const QString wang = QStringLiteral("王医生");
    const QString fresh = QStringLiteral("提交"), editing = QStringLiteral("修改,删除");
    return QList<ReceiptFlow>{
        {"new receipt", "none", wang, 0,
         R"([{"dialog":"收费收据"},{"set":"挂号费","to":"10"},{"set":"检查费","to":"20.5"},
             {"choose":"护士","item":"陈护士"},{"set":"备注","to":"O'Brien's 复诊"},{"click":"提   交"}])",
         0, "new", fresh, {}, 1,
         {{"合计", 30.5}, {"挂号费", 10.0}, {"检查费", 20.5}, {"护士", "陈护士"}, {"备注", "O'Brien's 复诊"},
          {"医生姓名", "王医生"}, {"医生编号", "D01"}, {"科室", "口腔科"}, {"病人姓名", "张三"}, {"病历号", 7},
          {"付款", "未付"}, {"收款人", " "}, {"feeio", 0}}},
        {"zero total, fill in again", "none", wang, 0, R"([{"click":"提交"},{"reply":"是"},{"click":"取消"}])", 1,
         "nothing", fresh, {zeroTotal}, 0, {}},
        {"zero total, store it", "none", wang, 0, R"([{"click":"提交"},{"reply":"否"}])", 0, "new", fresh,
         {zeroTotal}, 1, {{"合计", 0.0}, {"备注", " "}}},
        {"refund above the amount received, go on", "none", wang, 0,
         R"([{"set":"治疗费","to":"30"},{"set":"正畸费","to":"20"},{"set":"退费收据","to":"1"},
             {"click":"提交"},{"reply":"是"}])",
         0, "new", fresh, {overRefund}, 1, {{"合计", -50.0}, {"治疗费", 30.0}, {"整畸费", 20.0}, {"feeio", 1}}},
        {"refund above the amount received, stop", "none", wang, 0,
         R"([{"set":"治疗费","to":"50"},{"set":"退费收据","to":"1"},{"click":"提交"},{"reply":"否"},{"click":"取消"}])",
         1, "nothing", fresh, {overRefund}, 0, {}},
        {"refund within the amount received", "none", wang, 0,
         R"([{"set":"治疗费","to":"30"},{"set":"退费收据","to":"1"},{"click":"提交"}])", 0, "new", fresh, {}, 1,
         {{"合计", -30.0}, {"feeio", 1}}},
        {"missing doctor, then one with an apostrophe", "none", QStringLiteral("张医生"), 0,
         R"([{"set":"挂号费","to":"10"},{"click":"提交"},{"choose":"医生","item":"O'Neil"},{"click":"提交"}])", 0,
         "new", fresh, {"请选择医生!"}, 1, {{"医生姓名", "O'Neil"}, {"医生编号", "D03"}, {"科室", "放射科"}}},
        {"a paid receipt opens as a new one", "paid", wang, 0, R"([{"set":"挂号费","to":"5"},{"click":"提交"}])", 0,
         "new", fresh, {}, 2, {{"合计", 5.0}, {"检查费", 0.0}}},
        {"another doctor's receipt opens as a new one", "other", wang, 0,
         R"([{"set":"挂号费","to":"5"},{"click":"提交"}])", 0, "new", fresh, {}, 2, {{"合计", 5.0}}},
        {"edit", "unpaid", wang, 0, R"([{"set":"挂号费","to":"10"},{"click":"修改"}])", 0, "same", editing, {}, 1,
         {{"合计", 65.0}, {"挂号费", 10.0}, {"检查费", 30.0}, {"收款人", "收款员"}, {"备注", "复诊"}}},
        {"edit a refund receipt: its total stays negative", "refund", wang, 0,
         R"([{"set":"挂号费","to":"10"},{"click":"修改"}])", 0, "same", editing, {}, 1, {{"合计", -65.0}, {"feeio", 1}}},
        {"delete", "unpaid", wang, 0, R"([{"click":"删除"},{"reply":"是"}])", 0, "same", editing,
         {askDelete, "该收据信息已删除！"}, 0, {}},
        {"delete answered no", "unpaid", wang, 0, R"([{"click":"删除"},{"reply":"否"},{"click":"取消"}])", 1,
         "nothing", editing, {askDelete}, 1, {}},
        {"a failed save keeps the dialog open", "none", wang, 1,
         R"([{"set":"挂号费","to":"10"},{"click":"提交"},{"click":"取消"}])", 1, "nothing", fresh,
         {"收据记录失败,退出!"}, 0, {}},
        {"a save failing as it finishes keeps the dialog open", "none", wang, -1,
         R"([{"set":"挂号费","to":"10"},{"click":"提交"},{"click":"取消"}])", 1, "nothing", fresh,
         {"收据记录失败,退出!"}, 0, {}},
        {"a failed edit keeps the dialog open", "unpaid", wang, 1,
         R"([{"set":"挂号费","to":"10"},{"click":"修改"},{"click":"取消"}])", 1, "nothing", editing,
         {"收据修改失败,退出!"}, 1, {{"挂号费", 0.0}, {"合计", 55.0}}},
        {"an amount that is no number is refused", "none", wang, 0,
         R"([{"set":"挂号费","to":"-"},{"click":"提交"},{"set":"挂号费","to":"12"},{"click":"提交"}])", 0, "new",
         fresh, {"请输入一个数字。", "请输入一个数字。"}, 1, {{"合计", 12.0}}},
    };
}
