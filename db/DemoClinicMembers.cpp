// The demo clinic's members, prepaid accounts and vouchers.
#include "db/DemoClinicData.h"

namespace db::demo {

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

struct Member {
    const char* code; // patient number of the holder
    const char* name;
    const char* phone;
    const char* address;
    double points;
    const char* card;
    int joinedDaysAgo;
    const char* alsoUsedBy; // a family member who may pay from the same account
};

const Member members[] = {
    {"P0001", "张伟", "13801012345", "北京市海淀区中关村大街1号", 6200, "金卡", 400, nullptr},
    {"P0002", "王芳", "13911023456", "北京市朝阳区建国路88号", 1500, "银卡", 200, nullptr},
    {"P0005", "刘强", "13621034567", "北京市西城区金融街9号", 800, "普通卡", 90, "P0004"},
    {"P0011", "吴昊", "18612045678", "北京市东城区东直门南大街5号", 25000, "钻石卡", 700, nullptr},
};

} // namespace

void loadMembers(Clinic& k)
{
    for (const Member& m : members) {
        const qint64 id = k.addKeyed(u("PrePay_Table"), {{u("VIP_CODE"), u(m.code)},
                                                          {u("VIP_date"), k.day(-m.joinedDaysAgo, 10)},
                                                          {u("PrePayer_Name"), u(m.name)},
                                                          {u("PrePayer_type"), 1},
                                                          {u("Call"), u(m.phone)},
                                                          {u("VIP_address"), u(m.address)},
                                                          {u("VIP_note"), QString()},
                                                          {u("VIP_grade_value"), m.points},
                                                          {u("VIP_card_type"), u(m.card)}});
        QStringList patients{u(m.code)};
        if (m.alsoUsedBy) patients << u(m.alsoUsedBy);
        for (const QString& p : patients) {
            k.accountOf.insert(p, id);
            k.add(u("VIP_PtnSheet_Table"), {{u("VIP_ID"), id}, {u("Patient_Code"), p}});
            k.addKeyed(u("PrePayUserSheet_Table"), {{u("PrePayer_ID"), id},
                                                     {u("Patient_Code"), p},
                                                     {u("AgreeUsePrePay_Man"), u(m.name)},
                                                     {u("Checker"), u("马丽")},
                                                     {u("RegTime"), k.day(-m.joinedDaysAgo, 10, 5)},
                                                     {u("note"), p == u(m.code) ? u("本人") : u("家属")}});
        }
    }

    // Deposits (PrePay_IO 0) with their bonus, and one refund of unused money (PrePay_IO 1).
    struct Movement {
        const char* patient;
        double money, bonus;
        int io, daysAgo;
        const char* note;
    };
    static const Movement movements[] = {
        {"P0001", 2000, 200, 0, 60, "充值送10%"}, {"P0001", 1000, 50, 0, 20, "充值"},
        {"P0002", 500, 0, 0, 150, "充值"},        {"P0002", 100, 0, 1, 30, "退还余额"},
        {"P0005", 1000, 100, 0, 80, "家庭账户充值"}, {"P0011", 5000, 800, 0, 300, "钻石卡充值"},
    };
    for (const Movement& m : movements)
        k.addKeyed(u("PrePayReg_Table"), {{u("PrePayer_ID"), k.accountOf.value(u(m.patient))},
                                          {u("PrePay_Money"), m.money},
                                          {u("PreferMoney"), m.bonus},
                                          {u("PrePay_IO"), m.io},
                                          {u("PayMoney_Man"), u(m.patient)},
                                          {u("Checker"), u("马丽")},
                                          {u("PayTime"), k.day(-m.daysAgo, 11)},
                                          {u("note"), u(m.note)},
                                          {u("PrePayType"), 0},
                                          {u("IsFromFeeFlag"), 0}});

    // Card history of the members who moved up.
    static const struct { const char* code; const char* name; const char* card; double points; int daysAgo; } upgrades[] = {
        {"P0001", "张伟", "金卡", 5200, 100}, {"P0002", "王芳", "银卡", 1100, 50}, {"P0011", "吴昊", "钻石卡", 21000, 120}};
    for (const auto& g : upgrades) {
        k.addKeyed(u("Grade_Record_table"), {{u("VIP_CODE"), u(g.code)},
                                             {u("Ptn_Name"), u(g.name)},
                                             {u("Grade_value"), g.points},
                                             {u("Grade_auto"), 0},
                                             {u("Grade_man"), u("马丽")},
                                             {u("Grade_date"), k.day(-g.daysAgo, 15)},
                                             {u("VIP_ID"), k.accountOf.value(u(g.code))},
                                             {u("note"), QString()},
                                             {u("ReceiptID"), 0}});
        k.addKeyed(u("Grade_shengji_table"), {{u("VIP_CODE"), u(g.code)},
                                              {u("VIP_card_type"), u(g.card)},
                                              {u("VIP_grade_type"), 1},
                                              {u("VIP_Grade_date"), k.day(-g.daysAgo, 15)}});
    }

    // Vouchers. Card_Is_Takenback: 0 not issued, 1 issued, 2 used, 3 taken back.
    struct Voucher {
        const char* code;
        int kind; // 1 = IC card
        double left;
        int hasExpiry, expiresIn;
        int hasPassword;
        const char* password;
        int state;
    };
    static const Voucher vouchers[] = {
        {"020021", 1, 200, 1, 365, 0, nullptr, 1},  // the IC card
        {"100001", 0, 100, 0, 0, 1, "8888", 1},     // needs a password
        {"100002", 0, 50, 1, -30, 0, nullptr, 1},   // expired a month ago
        {"100003", 0, 100, 1, 180, 0, nullptr, 0},  // not issued yet
        {"100004", 0, 80, 0, 0, 0, nullptr, 3},     // taken back
        {"100005", 0, 60, 1, 0, 0, nullptr, 1},     // expires today: still valid
        {"100006", 0, 30, 1, 90, 0, nullptr, 2},    // used once, 30 left
    };
    for (const Voucher& v : vouchers) {
        k.voucherOf.insert(u(v.code),
                           k.addKeyed(u("PreferManagement_table"),
                                      {{u("Card_Cover_Code"), u(v.code)},
                                       {u("Card_Kind_Type"), v.kind},
                                       {u("Card_Left_Fee"), v.left},
                                       {u("Card_Is_HaveExpire"), v.hasExpiry},
                                       {u("Card_Expire_Date"), v.hasExpiry ? QVariant(k.day(v.expiresIn, 0)) : QVariant()},
                                       {u("Card_Is_PWD"), v.hasPassword},
                                       {u("Card_PWD"), optionalText(v.password)},
                                       {u("Card_Is_Takenback"), v.state}}));
    }
}

} // namespace db::demo
