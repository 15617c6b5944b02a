#include "db/ClinicLookups.h"
#include "db/Query.h"
#include "db/TextMatch.h"

namespace db {

bool GetDoctorInfo(Connection& c, const QString& doctorName, QString& department, QString& doctorNumber)
{
    // Ordered, so that names the clinic treats as one always give the same doctor.
    Query q(c, QStringLiteral("SELECT 医生编号,科室 FROM 主治医生表 WHERE ") + sameText(QStringLiteral("医生姓名")) +
                   QStringLiteral(" ORDER BY 医生编号, 医生姓名"),
            {doctorName});
    q.exec();
    if (!q.next()) return false;
    doctorNumber = q.text(QStringLiteral("医生编号"));
    department = q.text(QStringLiteral("科室"));
    return true;
}

void GetReceiptItemName(Connection& c, std::array<QString, 12>& names)
{
    Query q(c, QStringLiteral("SELECT ItemIndex,ItemName FROM ReceiptItemName_Table WHERE ItemIndex BETWEEN 1 AND 12"));
    q.exec();
    while (q.next()) {
        const QString name = q.text(QStringLiteral("ItemName"));
        if (name.trimmed().isEmpty()) continue;
        names[static_cast<size_t>(q.integer(QStringLiteral("ItemIndex")) - 1)] = name;
    }
}

} // namespace db
