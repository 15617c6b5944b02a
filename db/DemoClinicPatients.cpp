// The demo clinic's patients and their paperwork: receipts in every state, payments,
// prescriptions with their stock-out, walk-in sheets and invoices.
#include "db/DemoClinicData.h"
#include "db/Query.h"
#include <cmath>

namespace db::demo {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }
double fen(double v) { return std::round(v * 100.0) / 100.0; }

const QString cashier = QStringLiteral("马丽");
const QString cashier2 = QStringLiteral("何军");

struct Patient {
    const char* number;
    int caseNo;
    const char* name;
    const char* sex;
    int age;
    const char* rank; // member rank, nullptr for non-members
};

const Patient patients[] = {
    {"P0001", 1001, "张伟", "男", 35, "金卡"},   {"P0002", 1002, "王芳", "女", 28, "银卡"},
    {"P0003", 1003, "李娜", "女", 42, nullptr},  {"P0004", 1004, "刘洋", "男", 8, "普通卡"},
    {"P0005", 1005, "刘强", "男", 38, "普通卡"}, {"P0006", 1006, "陈静", "女", 55, nullptr},
    {"P0007", 1007, "杨磊", "男", 30, nullptr},  {"P0008", 1008, "赵敏", "女", 26, nullptr},
    {"P0009", 1009, "黄勇", "男", 61, nullptr},  {"P0010", 1010, "周婷", "女", 33, nullptr},
    {"P0011", 1011, "吴昊", "男", 47, "钻石卡"}, {"P0012", 1012, "孙丽", "女", 24, nullptr},
};

const Patient& patient(int caseNo)
{
    for (const Patient& p : patients)
        if (p.caseNo == caseNo) return p;
    throw Error(QStringLiteral("demo: no case %1").arg(caseNo));
}

struct Doctor {
    const char* name;
    const char* number;
    const char* office;
};
const Doctor zhang{"张明华", "D001", "口腔内科"}, liu{"刘伟", "D002", "口腔内科"}, li{"李建国", "D003", "口腔外科"},
    wang{"王丽娟", "D004", "口腔修复科"}, zhao{"赵志强", "D005", "口腔正畸科"}, chen{"陈晓燕", "D006", "儿童口腔科"},
    sun{"孙浩", "D007", "口腔预防科"};

FieldValues header(const Clinic& k, int caseNo, int day, int hour, const Doctor& d, const char* nurse)
{
    return {{u("病历号"), caseNo},
            {u("病人姓名"), u(patient(caseNo).name)},
            {u("日期"), k.day(day, hour, 15)},
            {u("医生姓名"), u(d.name)},
            {u("医生编号"), u(d.number)},
            {u("科室"), u(d.office)},
            {u("护士"), u(nurse)}};
}

// A category receipt; paid ones carry the cashier, unpaid ones the one blank of a new receipt.
qint64 categoryReceipt(Clinic& k, int caseNo, int day, int hour, const Doctor& d, const char* nurse, const Categories& a,
                       bool paid, const char* remark = nullptr, bool refund = false)
{
    FieldValues f = header(k, caseNo, day, hour, d, nurse);
    f += categoryFields(a);
    f += {{u("合计"), refund ? -total(a) : total(a)},
          {u("付款"), paid ? u("已付") : u("未付")},
          {u("收款人"), paid ? cashier : u(" ")},
          {u("备注"), remark ? u(remark) : u(" ")},
          {u("FeeIO"), refund ? 1 : 0}};
    return k.addKeyed(u("收费收据表"), f);
}

struct Payment {
    int caseNo;
    qint64 receipt;
    int day;
    double billed;     // 总计应收费用
    double due;        // 实收费用 (应收金额)
    double collected;  // 收款金额
    double left = 0;   // 余额
    QVariant oldArrears = 0.0;
    int deferred = 0;  // GetLaterLeftMoneyFlag
    int mode = 0;
    double discount = 1.0;
    QString note = QStringLiteral("非会员无折扣");
    double otherFree = 0;
    QString otherFreeReason = QString();
    int method = 0;
    double methodAmount = 0;
    QVariant voucher = QVariant();
    QString remark = QString();
};

qint64 pay(Clinic& k, const Payment& p)
{
    const double cash = fen(p.collected - p.methodAmount);
    FieldValues f{{u("病历号"), p.caseNo},
                  {u("ReceiptID"), p.receipt},
                  {u("总计应收费用"), p.billed},
                  {u("免收费用"), 0.0},
                  {u("免收条件"), u(" ")},
                  {u("实收费用"), p.due},
                  {u("余额"), p.left},
                  {u("备注"), p.remark},
                  {u("收款人"), cashier},
                  {u("日期"), k.day(p.day, 16, 30)},
                  {u("收款金额"), p.collected},
                  {u("原欠金额"), p.oldArrears},
                  {u("Discout_Type"), p.mode},
                  {u("Discout"), p.discount},
                  {u("Discout_Note"), p.note},
                  {u("OtherFreeFee"), p.otherFree},
                  {u("OtherFreeFeeReason"), p.otherFreeReason},
                  {u("OtherFreeFeeNote"), QString()},
                  {u("MoneyCard_Name"), QString()},
                  {u("MoneyCard_Value"), 0.0},
                  {u("MoneyCard_UsedValue"), 0.0},
                  {u("CardOnlyForDisctItem"), 0},
                  {u("MoneyPayed_type"), p.method},
                  {u("OtherTypePayedMoney"), p.methodAmount},
                  {u("CashMoney"), cash},
                  {u("GetLaterLeftMoneyFlag"), p.deferred},
                  {u("PreferID"), p.voucher}};
    return k.addKeyed(u("病历收费单"), f, u("病历收费编号"));
}

void prepayUse(Clinic& k, const char* patientNumber, qint64 sheet, double amount, int day)
{
    k.addKeyed(u("PrePayUseReg_Table"), {{u("PrePayer_ID"), k.accountOf.value(u(patientNumber))},
                                         {u("Patient_Code"), u(patientNumber)},
                                         {u("PaySheetID"), sheet},
                                         {u("Payed_Money"), amount},
                                         {u("Checker"), cashier},
                                         {u("RegTime"), k.day(day, 16, 30)},
                                         {u("note"), QString()}});
}

struct Line {
    const char* cls;
    const char* item;
    const char* unit;
    double price;
    double quantity;
    int discountable;
    double rate;
};

// A standard-item receipt's lines; returns the discounted total.
double itemLines(Clinic& k, const QList<Line>& lines, int kind, qint64 owner, const QDateTime& date)
{
    double sum = 0;
    for (const Line& l : lines) {
        const double standard = fen(l.price * l.quantity);
        const double amount = l.discountable ? fen(standard * l.rate) : standard;
        sum += amount;
        k.addKeyed(u("收费明细表"), {{u("收费类型"), u(l.cls)},
                                     {u("收费项目"), u(l.item)},
                                     {u("单位"), u(l.unit)},
                                     {u("标准"), l.price},
                                     {u("数量"), l.quantity},
                                     {u("金额"), amount},
                                     {u("日期"), date},
                                     {u("收据类型"), kind},
                                     {kind == 0 ? u("收据编号") : u("无病案编号"), owner},
                                     {u("IsDiscout"), l.discountable},
                                     {u("Discout_Value"), l.discountable ? l.rate : 1.0},
                                     {u("StandartFee"), standard}});
    }
    return fen(sum);
}

struct Rx {
    const char* category;
    const char* name;
    const char* spec;
    const char* unit;
    double price;
    double quantity;
    const char* how;
    const char* dose;
    const char* daily;
    const char* insurance;
};

// Prescription lines of a receipt (case record) or a walk-in sheet; returns their total.
double rxLines(Clinic& k, const QList<Rx>& lines, bool walkIn, qint64 owner)
{
    double sum = 0;
    for (const Rx& r : lines) {
        const double amount = fen(r.price * r.quantity);
        sum += amount;
        k.addKeyed(u("处方明细表"), {{u("名称"), u(r.name)},
                                     {u("规格"), u(r.spec)},
                                     {u("单位"), u(r.unit)},
                                     {u("单价"), r.price},
                                     {u("数量"), r.quantity},
                                     {u("金额"), amount},
                                     {u("类别"), u(r.category)},
                                     {u("服用方式"), u(r.how)},
                                     {u("每次用量"), u(r.dose)},
                                     {u("每日次数"), u(r.daily)},
                                     {u("医保类型"), u(r.insurance)},
                                     {u("备注"), QString()},
                                     {walkIn ? u("NonDocReceiptID") : u("ReceiptID"), owner},
                                     {u("MedcineOutFlag"), walkIn ? 1 : 0}});
    }
    return fen(sum);
}

// The medicines of a settled prescription leave stock from the oldest usable batch.
void stockOut(Clinic& k, const QList<Rx>& lines, const QString& patientName, int day)
{
    const QDateTime endOfToday(k.today, QTime(23, 59, 59));
    for (const Rx& r : lines) {
        Query q(k.c, u("SELECT 库存编号,现存数量,ExpireDate FROM 材料库存表 WHERE 名称=? AND 规格=? AND ExpireDate > ? "
                       "AND 现存数量 >= ? ORDER BY 库存编号"),
                {u(r.name), u(r.spec), endOfToday, r.quantity});
        q.exec();
        if (!q.next()) throw Error(QStringLiteral("demo: no stock for %1").arg(u(r.name)));
        const qint64 batch = q.integer(u("库存编号"));
        const double left = q.number(u("现存数量")) - r.quantity;
        const QDateTime expires = q.dateTime(u("ExpireDate"));
        ModefyRecord(k.c, u("材料库存表"), {{u("现存数量"), left}}, {u("库存编号=?"), {batch}});
        k.addKeyed(u("材料出库表"), {{u("单位"), u(r.unit)},
                                     {u("名称"), u(r.name)},
                                     {u("规格"), u(r.spec)},
                                     {u("数量"), r.quantity},
                                     {u("出库价格"), r.price},
                                     {u("总价"), fen(r.price * r.quantity)},
                                     {u("日期"), k.day(day, 17)},
                                     {u("领料人"), cashier},
                                     {u("备注"), u("药品处方自动出库")},
                                     {u("领用人"), patientName},
                                     {u("库存分类"), u(r.category)},
                                     {u("KBID"), batch},
                                     {u("ExpireDate"), expires}},
                   u("出库编号"));
    }
}

void ticket(Clinic& k, int number, qint64 receipt, int used)
{
    k.addKeyed(u("ShandongTicket_Table"), {{u("TicketID"), number}, {u("ReceiptID"), receipt}, {u("IsUsed"), used}});
}

Categories cats(std::initializer_list<std::pair<int, double>> amounts)
{
    Categories a{};
    for (const auto& [i, v] : amounts) a[static_cast<size_t>(i)] = v;
    return a;
}

// Positions of the twelve categories in canonical order.
enum { Reg, Check, Denture, Ortho, Inject, Herbal, Western, Cure, Surgery, Consult, Xray, Other };

void loadCases(Clinic& k)
{
    for (const Patient& p : patients) {
        k.add(u("病历卡表"), {{u("病历号"), p.caseNo}, {u("病人编号"), u(p.number)}, {u("病人姓名"), u(p.name)}});
        k.add(u("病人简历表"), {{u("病人编号"), u(p.number)},
                                {u("病人姓名"), u(p.name)},
                                {u("性别"), u(p.sex)},
                                {u("年龄"), p.age},
                                {u("IS_VIP"), p.rank ? 1 : 0},
                                {u("VIP_Rank_Name"), optionalText(p.rank)},
                                {u("VIP_Code"), p.rank ? QVariant(u(p.number)) : QVariant()}});
    }
}

void loadCategoryReceipts(Clinic& k)
{
    // Waiting for the checkout.
    categoryReceipt(k, 1012, 0, 9, zhang, "周静", cats({{Reg, 5}, {Check, 10}, {Cure, 150}}), false);
    categoryReceipt(k, 1001, 0, 10, liu, "吴敏", cats({{Check, 10}, {Cure, 200}}), false, "根管治疗复诊");

    // A member paying from the prepaid account at the gold rank.
    const qint64 r2 = categoryReceipt(k, 1001, -5, 10, zhang, "周静", cats({{Cure, 400}, {Xray, 20}}), true);
    const qint64 s2 = pay(k, {.caseNo = 1001, .receipt = r2, .day = -5, .billed = 420, .due = 420, .collected = 378,
                              .mode = 1, .discount = 0.9, .note = u("金卡折扣0.900"), .method = 1, .methodAmount = 378});
    prepayUse(k, "P0001", s2, 378, -5);

    // Arrears: 510 left open, then a visit that defers them and leaves 50 more.
    const qint64 r4 = categoryReceipt(k, 1003, -30, 14, wang, "郑丽", cats({{Check, 10}, {Denture, 2500}}), true);
    pay(k, {.caseNo = 1003, .receipt = r4, .day = -30, .billed = 2510, .due = 2510, .collected = 2000, .left = 510,
            .remark = u("余款下次结清")});
    const qint64 r5 = categoryReceipt(k, 1003, -7, 9, zhang, "周静", cats({{Cure, 200}}), true);
    pay(k, {.caseNo = 1003, .receipt = r5, .day = -7, .billed = 200, .due = 200, .collected = 150, .left = 50,
            .oldArrears = 510.0, .deferred = 1});
    categoryReceipt(k, 1003, 0, 11, wang, "郑丽", cats({{Denture, 100}}), false, "义齿修理");

    // Paid, and then partly refunded (refund receipts store a negative total).
    const qint64 r7 = categoryReceipt(k, 1006, -10, 15, li, "孙小红", cats({{Reg, 5}, {Surgery, 600}}), true);
    pay(k, {.caseNo = 1006, .receipt = r7, .day = -10, .billed = 605, .due = 605, .collected = 605});
    ticket(k, 1004, r7, 1);
    ticket(k, 1005, r7, 0);
    categoryReceipt(k, 1006, 0, 14, li, "孙小红", cats({{Surgery, 200}}), false, "阻生齿改普通拔除,退差价", true);

    const qint64 r9 = categoryReceipt(k, 1002, -15, 10, zhang, "吴敏", cats({{Check, 10}, {Xray, 80}}), true);
    pay(k, {.caseNo = 1002, .receipt = r9, .day = -15, .billed = 90, .due = 90, .collected = 85.5, .mode = 1,
            .discount = 0.95, .note = u("银卡折扣0.950")});

    const qint64 r10 = categoryReceipt(k, 1005, -40, 16, li, "孙小红", cats({{Surgery, 200}}), true);
    pay(k, {.caseNo = 1005, .receipt = r10, .day = -40, .billed = 200, .due = 200, .collected = 180, .otherFree = 20,
            .otherFreeReason = u("复诊优惠")});

    // A child paying from the family account of the father.
    const qint64 r11 = categoryReceipt(k, 1004, -14, 10, chen, "郑丽", cats({{Reg, 5}, {Cure, 170}}), true);
    const qint64 s11 = pay(k, {.caseNo = 1004, .receipt = r11, .day = -14, .billed = 175, .due = 175, .collected = 175,
                               .method = 1, .methodAmount = 175});
    prepayUse(k, "P0004", s11, 175, -14);

    // Part paid with a voucher, the rest in cash.
    const qint64 r12 = categoryReceipt(k, 1010, -1, 9, sun, "吴敏", cats({{Cure, 200}}), true);
    pay(k, {.caseNo = 1010, .receipt = r12, .day = -1, .billed = 200, .due = 200, .collected = 200, .method = 5,
            .methodAmount = 70, .voucher = k.voucherOf.value(u("100006"))});

    // A crown at the diamond rank, paid by transfer and cash, with two invoices and a printed form.
    const qint64 r13 = categoryReceipt(k, 1011, -2, 15, wang, "郑丽", cats({{Denture, 3000}}), true);
    pay(k, {.caseNo = 1011, .receipt = r13, .day = -2, .billed = 3000, .due = 3000, .collected = 2550, .mode = 1,
            .discount = 0.85, .note = u("钻石卡折扣0.850"), .method = 4, .methodAmount = 2000});
    ticket(k, 1002, r13, 0);
    ticket(k, 1003, r13, 0);
    FieldValues form{{u("Payee"), u("个人")}, {u("ReceiptID"), r13}, {u("ReceiptMoney"), 2550.0},
                     {u("PayDate"), k.day(-2, 16, 40)}, {u("Checker"), cashier}};
    for (int i = 1; i <= 19; ++i) form.append({QStringLiteral("ReceiptItem%1").arg(i), i == 4 ? 2550.0 : 0.0});
    k.addKeyed(u("BeanshiReceipt_table"), form);
}

void loadStandardReceipts(Clinic& k)
{
    // Unpaid, no discount.
    FieldValues h = header(k, 1007, 0, 10, zhang, "周静");
    h += {{u("合计"), 0.0}, {u("付款"), u("未付")}, {u("收款人"), u(" ")}, {u("备注"), u(" ")}, {u("FeeIO"), 0},
          {u("Doctor_Discout"), -1}, {u("Doctor_Discout_Value"), 1.0}};
    const qint64 s1 = k.addKeyed(u("收费收据表"), h);
    const double t1 = itemLines(k,
                                {{"检查", "口腔检查", "次", 10, 1, 1, 1.0},
                                 {"放射", "根尖片", "张", 20, 2, 0, 1.0},
                                 {"治疗", "龋齿充填(树脂)", "牙", 150, 2, 1, 1.0}},
                                0, s1, k.day(0, 10, 15));
    ModefyRecord(k.c, u("收费收据表"), {{u("合计"), t1}}, {u("ID=?"), {s1}});

    // Orthodontics with the rate the doctor had approved, paid by bank card and cash.
    h = header(k, 1008, -3, 11, zhao, "吴敏");
    h += {{u("合计"), 0.0}, {u("付款"), u("已付")}, {u("收款人"), cashier}, {u("备注"), u("分期首付")}, {u("FeeIO"), 0},
          {u("Doctor_Discout"), 0}, {u("Doctor_Discout_Value"), 0.9}};
    const qint64 s2 = k.addKeyed(u("收费收据表"), h);
    const double t2 = itemLines(k,
                                {{"正畸", "金属托槽矫治", "疗程", 12000, 1, 1, 0.9},
                                 {"放射", "头颅侧位片", "张", 100, 1, 0, 1.0},
                                 {"放射", "全景片", "张", 80, 1, 0, 1.0}},
                                0, s2, k.day(-3, 11, 15));
    ModefyRecord(k.c, u("收费收据表"), {{u("合计"), t2}}, {u("ID=?"), {s2}});
    pay(k, {.caseNo = 1008, .receipt = s2, .day = -3, .billed = 12180, .due = t2, .collected = t2, .mode = 0,
            .discount = 0.9, .note = u("根据领导批准的折扣打折"), .method = 2, .methodAmount = 10000});
    ticket(k, 1001, s2, 0);
}

void loadPrescriptions(Clinic& k)
{
    FieldValues h = header(k, 1009, 0, 11, zhang, "周静");
    h += {{u("付款"), u("未付")}, {u("备注"), QString()}, {u("IsPrescriptionFlag"), 2}};
    const qint64 x1 = k.addKeyed(u("收费收据表"), h);
    const double t1 = rxLines(k,
                              {{"西药", "阿莫西林胶囊", "0.25g×24粒", "盒", 15.80, 2, "口服", "0.5g", "每日3次", "甲类"},
                               {"西药", "甲硝唑片", "0.2g×21片", "盒", 6.50, 1, "口服", "0.4g", "每日3次", "甲类"},
                               {"外用药", "复方氯己定含漱液", "200ml", "瓶", 12.00, 1, "含漱", "10ml", "每日3次", "乙类"}},
                              false, x1);
    ModefyRecord(k.c, u("收费收据表"), {{u("合计"), t1}}, {u("ID=?"), {x1}});

    // Settled two days ago: its medicines have left stock.
    const QList<Rx> settled{{"西药", "布洛芬缓释胶囊", "0.3g×20粒", "盒", 18.50, 1, "口服", "0.3g", "每日2次", "乙类"},
                            {"外用药", "冰硼散", "3g", "瓶", 4.50, 2, "外用", "适量", "每日3次", "甲类"}};
    h = header(k, 1009, -2, 15, li, "孙小红");
    h += {{u("付款"), u("已付")}, {u("收款人"), cashier}, {u("备注"), QString()}, {u("IsPrescriptionFlag"), 2}};
    const qint64 x2 = k.addKeyed(u("收费收据表"), h);
    const double t2 = rxLines(k, settled, false, x2);
    ModefyRecord(k.c, u("收费收据表"), {{u("合计"), t2}}, {u("ID=?"), {x2}});
    pay(k, {.caseNo = 1009, .receipt = x2, .day = -2, .billed = t2, .due = t2, .collected = t2,
            .oldArrears = QVariant(), .deferred = 1, .mode = -1, .note = QString()});
    stockOut(k, settled, u("黄勇"), -2);
}

FieldValues walkInHeader(const Clinic& k, const char* name, const char* sex, int age, int day, const Doctor& d,
                         const char* nurse, double sum)
{
    return {{u("病历号"), 0},          {u("病人姓名"), u(name)},  {u("性别"), u(sex)},       {u("年龄"), age},
            {u("日期"), k.day(day, 13, 40)}, {u("医生姓名"), u(d.name)}, {u("医生编号"), u(d.number)},
            {u("科室"), u(d.office)},  {u("护士"), u(nurse)},    {u("收款人"), cashier2},  {u("付款"), u("已付")},
            {u("合计"), sum},          {u("应收金额"), sum},      {u("收款金额"), sum},      {u("余额"), 0.0},
            {u("备注"), u(" ")}};
}

void loadWalkIns(Clinic& k)
{
    const Categories a = cats({{Reg, 5}, {Check, 10}, {Xray, 20}});
    FieldValues w1 = walkInHeader(k, "马晓东", "男", 52, -1, liu, "吴敏", total(a));
    w1 += categoryFields(a);
    k.addKeyed(u("无病历收费单"), w1);

    const qint64 w2 = k.addKeyed(u("无病历收费单"), walkInHeader(k, "林小雨", "女", 29, 0, sun, "郑丽", 250));
    itemLines(k, {{"牙周", "牙周洁治", "次", 200, 1, 0, 1.0}, {"治疗", "脱敏治疗", "次", 50, 1, 0, 1.0}}, 1, w2,
              k.day(0, 13, 40));

    const QList<Rx> rx{{"西药", "布洛芬缓释胶囊", "0.3g×20粒", "盒", 18.50, 1, "口服", "0.3g", "每日2次", "乙类"},
                       {"外用药", "西瓜霜喷剂", "2.5g", "瓶", 16.00, 1, "外用", "适量", "每日4次", "乙类"}};
    FieldValues w3 = walkInHeader(k, "郭强", "男", 45, -1, zhang, "周静", 34.5);
    w3 += {{u("IsPrescriptionFlag"), 2}};
    const qint64 w3id = k.addKeyed(u("无病历收费单"), w3);
    rxLines(k, rx, true, w3id);
    stockOut(k, rx, u("郭强"), -1);
}

} // namespace

void loadPatients(Clinic& k)
{
    loadCases(k);
    loadCategoryReceipts(k);
    loadStandardReceipts(k);
    loadPrescriptions(k);
    loadWalkIns(k);
}

} // namespace db::demo
