#include "db/StandartNonDocInfo.h"
#include "db/Query.h"

namespace db {

bool GetStandartNonDocInfo(Connection& c, qint64 sheetId, StandartNonDocInfo& info)
{
    Query q(c, QStringLiteral("SELECT 病人姓名,性别,年龄,医生姓名,科室,医生编号,合计,备注 FROM 无病历收费单 WHERE ID=?"),
            {sheetId});
    q.exec();
    if (!q.next()) return false;
    info.patientName = q.text(QStringLiteral("病人姓名"));
    info.sex = q.text(QStringLiteral("性别"));
    info.age = q.text(QStringLiteral("年龄")).trimmed().toInt(); // stored as text by other programs too
    info.doctorName = q.text(QStringLiteral("医生姓名"));
    info.department = q.text(QStringLiteral("科室"));
    info.doctorNumber = q.text(QStringLiteral("医生编号"));
    info.total = q.number(QStringLiteral("合计"));
    info.remark = q.text(QStringLiteral("备注"));
    return true;
}

} // namespace db
