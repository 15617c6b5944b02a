// The demo clinic's people and settings.
#include "db/DemoClinicData.h"

namespace db::demo {

namespace {
QString u(const char* s) { return QString::fromUtf8(s); }
} // namespace

void loadStaff(Clinic& k)
{
    for (const char* d : {"口腔内科", "口腔外科", "口腔修复科", "口腔正畸科", "儿童口腔科", "口腔预防科"})
        k.add(u("科室表"), {{u("科室"), u(d)}});

    static const char* const doctors[][3] = {
        {"张明华", "D001", "口腔内科"},   {"刘伟", "D002", "口腔内科"},     {"李建国", "D003", "口腔外科"},
        {"王丽娟", "D004", "口腔修复科"}, {"赵志强", "D005", "口腔正畸科"}, {"陈晓燕", "D006", "儿童口腔科"},
        {"孙浩", "D007", "口腔预防科"},
    };
    for (const auto& [name, number, office] : doctors)
        k.add(u("主治医生表"), {{u("医生姓名"), u(name)}, {u("医生编号"), u(number)}, {u("科室"), u(office)}});

    for (const char* n : {"周静", "吴敏", "郑丽", "孙小红"}) k.add(u("护士表"), {{u("护士"), u(n)}});

    for (const char* p : {"个人", "北京华信科技有限公司", "北京市海淀区实验中学", "中关村街道办事处"})
        k.add(u("Payee_table"), {{u("Payee"), u(p)}});

    // The clinic calls 镶牙费 "修复费" and 放射费 "影像费" on screen and on its printouts.
    static const char* const names[12] = {"挂号费", "检查费", "修复费", "正畸费", "注射费", "中药费",
                                          "西药费", "治疗费", "手术费", "诊疗费", "影像费", "其它"};
    for (int i = 0; i < 12; ++i) k.add(u("ReceiptItemName_Table"), {{u("ItemIndex"), i + 1}, {u("ItemName"), u(names[i])}});
}

void loadSettings(Clinic& k)
{
    // Refund switch shown, fee-to-prepayment off (1), member points on, medicines from stock (0).
    k.add(u("Management_table"), {{u("FeeIOShowYesNo"), 1},
                                  {u("FeeToPrepayFlag"), 1},
                                  {u("FeeToPrepayDiscout"), 5.0},
                                  {u("FeeGadeYesNo"), 1},
                                  {u("MedicineFromKBFlag"), 0}});
    k.add(u("DiscountSet_table"), {{u("DiscoutYesNo"), 1},
                                   {u("VIPDiscoutYesNo"), 1},
                                   {u("FeeDiscoutYesNo"), 1},
                                   {u("CurrentFeeDiscoutYesNo"), 0},
                                   {u("OtherFreeYesNo"), 1},
                                   {u("MoneyCardYesNo"), 1},
                                   {u("CardOnlyForDisctItem"), 1},
                                   {u("FeeDiscoutOnlyForVIP"), 0},
                                   {u("FeeItemYesNo"), 1}});

    // Member ranks are the card types that points lead to, plus two ranks given by hand.
    static const struct { const char* name; double value; const char* note; } ranks[] = {
        {"普通卡", 0.98, nullptr}, {"银卡", 0.95, "可见"}, {"金卡", 0.9, "可见"},
        {"钻石卡", 0.85, "可见"}, {"员工家属", 0.7, nullptr}, {"内部测试", 0.5, "停用"},
    };
    for (const auto& r : ranks)
        k.add(u("Discount_table"), {{u("DiscountName"), u(r.name)}, {u("DiscountValue"), r.value}, {u("Note"), optionalText(r.note)}});

    // A value of 1.0 or less is a rate, above it an amount.
    static const struct { const char* name; double value; } cards[] = {
        {"代金券50元", 50}, {"代金券100元", 100}, {"新客体验券九折", 0.9}, {"洁牙代金券", 80}};
    for (const auto& m : cards)
        k.add(u("MoneyCard_Table"), {{u("MoneyCard_Name"), u(m.name)}, {u("MoneyCard_Value"), m.value}});

    static const double current[][3] = {{500, 2000, 0.95}, {2000, 5000, 0.9}, {5000, 1000000, 0.85}};
    for (const auto& b : current)
        k.add(u("DiscountCurrente_table"), {{u("MinMoney"), b[0]}, {u("MaxMoney"), b[1]}, {u("Discout"), b[2]}});
    static const double cumulative[][3] = {{3000, 10000, 0.95}, {10000, 30000, 0.9}, {30000, 10000000, 0.85}};
    for (const auto& b : cumulative)
        k.add(u("DiscountAccout_table"), {{u("MinMoney"), b[0]}, {u("MaxMoney"), b[1]}, {u("Discout"), b[2]}});

    static const struct { double min, max, rate; const char* card; } grades[] = {
        {0, 1000, 0.98, "普通卡"}, {1000, 5000, 0.95, "银卡"}, {5000, 20000, 0.9, "金卡"}, {20000, 10000000, 0.85, "钻石卡"}};
    for (const auto& g : grades)
        k.add(u("Grade_shengji_Calculate_table"), {{u("VIP_min_value"), g.min},
                                                   {u("VIP_max_value"), g.max},
                                                   {u("Discout_value"), g.rate},
                                                   {u("VIP_card_type"), u(g.card)}});

    // Points per yuan: by the clinic's category names, and for a few catalogue items.
    static const struct { int type; const char* item; double factor; } points[] = {
        {0, "挂号费", 0},   {0, "检查费", 0.5}, {0, "修复费", 1},   {0, "正畸费", 1},
        {0, "注射费", 0.5}, {0, "中药费", 0.5}, {0, "西药费", 0.5}, {0, "治疗费", 1},
        {0, "手术费", 1},   {0, "诊疗费", 1},   {0, "影像费", 0.5}, {0, "其它", 0.2},
        {1, "种植体植入", 2}, {1, "全瓷冠", 1.5}, {1, "隐形矫治", 1}, {1, "牙周洁治", 1}};
    for (const auto& p : points)
        k.add(u("Grade_Calculte_table"), {{u("FeeItemType"), p.type}, {u("FeeItem"), u(p.item)}, {u("FeeGradeCalculter"), p.factor}});

    for (const char* r : {"老年人优惠", "军人优惠", "员工优惠", "复诊优惠", "困难患者减免"})
        k.add(u("优惠类型表"), {{u("优惠类型"), u(r)}});
    k.add(u("ReceiptType_Table"), {{u("ReceiptType"), 0}});
    k.add(u("TicketNumber_Table"), {{u("TicketID"), 1024}});

    k.add(u("SysthesisStatics_Table"), {{u("SysthesisType"), 0}, {u("StandartItem"), 1}, {u("NonStandartItem"), 1},
                                        {u("MoneyCard"), 0}, {u("VipCard"), 1}, {u("PreferCard"), 1}});
    k.add(u("SysthesisStatics_Table"), {{u("SysthesisType"), 1}, {u("StandartItem"), 1}, {u("NonStandartItem"), 1},
                                        {u("MoneyCard"), 1}, {u("VipCard"), 1}, {u("PreferCard"), 1}});
    static const struct { int kind; const char* item; int itemType; } counted[] = {
        {0, "治疗", 0}, {0, "种植体植入", 1}, {1, "正畸", 0}, {2, "全瓷冠", 1}, {4, "治疗费", 0}, {5, "挂号费", 0}};
    for (const auto& s : counted)
        k.addKeyed(u("StaticStandartItemforDayMonth_Table"), {{u("StaticsStandartType"), s.kind},
                                                              {u("StandartItem"), u(s.item)},
                                                              {u("ItemType"), s.itemType},
                                                              {u("StaticPersonNum"), 1},
                                                              {u("StaticMoney"), 1}});
}

} // namespace db::demo
