#include "db/DemoClinic.h"
#include "db/DemoClinicData.h"
#include "db/Query.h"
#include "db/Transaction.h"

namespace db {

namespace demo {

FieldValues categoryFields(const Categories& amounts)
{
    static const char* const columns[12] = {"挂号费", "检查费", "镶牙费", "整畸费", "注射费", "中药费",
                                            "西药费", "治疗费", "手术费", "诊疗费", "放射费", "其它费用"};
    FieldValues f;
    for (size_t i = 0; i < 12; ++i) f.append({QString::fromUtf8(columns[i]), amounts[i]});
    return f;
}

double total(const Categories& amounts)
{
    double sum = 0;
    for (double a : amounts) sum += a;
    return sum;
}

} // namespace demo

void loadDemoClinic(Connection& c)
{
    const qint64 existing = toInteger(scalar(c, QStringLiteral("SELECT count(*) FROM 收费标准表")))
        + toInteger(scalar(c, QStringLiteral("SELECT count(*) FROM 病历卡表")))
        + toInteger(scalar(c, QStringLiteral("SELECT count(*) FROM 主治医生表")));
    if (existing > 0) throw Error(QStringLiteral("数据库 %1 中已有诊所数据，没有载入演示诊所").arg(c.displayUrl()));

    demo::Clinic k{c, c.serverTime().date(), {}, {}};
    Transaction t(c);
    demo::loadStaff(k);
    demo::loadSettings(k);
    demo::loadCatalogue(k);
    demo::loadMembers(k);
    demo::loadPatients(k);
    demo::loadDesk(k);
    t.commit();
}

QList<QPair<QString, qint64>> demoClinicSummary(Connection& c)
{
    static const char* const tables[][2] = {
        {"科室", "科室表"},           {"医生", "主治医生表"},       {"护士", "护士表"},
        {"收费项目", "收费标准表"},   {"常用药品", "常用药品表"},   {"库存批次", "材料库存表"},
        {"会员账户", "PrePay_Table"}, {"预付费记录", "PrePayReg_Table"}, {"消费券/卡", "PreferManagement_table"},
        {"病历", "病历卡表"},         {"收款员", "收款员表"},         {"收费收据", "收费收据表"},   {"结帐记录", "病历收费单"},
        {"收费明细", "收费明细表"},   {"处方明细", "处方明细表"},   {"无病案收费单", "无病历收费单"},
        {"发票", "ShandongTicket_Table"},
    };
    QList<QPair<QString, qint64>> out;
    for (const auto& [label, table] : tables) {
        checkIdentifier(QString::fromUtf8(table));
        out.append({QString::fromUtf8(label),
                    toInteger(scalar(c, QStringLiteral("SELECT count(*) FROM ") + QString::fromUtf8(table)))});
    }
    return out;
}

} // namespace db
