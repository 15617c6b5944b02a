#include "db/DocumentFee.h"
#include "common/Money.h"
#include "db/Query.h"
#include "db/TextMatch.h"

namespace db {

DocumentFee CalculateDocumentFee(Connection& c, const QString& patientNumber)
{
    DocumentFee fee;
    Query q(c, QStringLiteral("SELECT 收款金额,余额,原欠金额,总计应收费用,免收费用,OtherFreeFee,GetLaterLeftMoneyFlag "
                              "FROM 病历收费单 WHERE 病历号 IN (SELECT 病历号 FROM 病历卡表 WHERE ")
                   + sameText(QStringLiteral("病人编号")) + QStringLiteral(") ORDER BY CASE WHEN 日期 IS NULL THEN 0 ELSE 1 END, 日期, 病历收费编号"),
            {patientNumber});
    q.exec();
    while (q.next()) {
        fee.received += q.number(QStringLiteral("收款金额"));
        fee.billed += q.number(QStringLiteral("总计应收费用"));
        fee.waived += q.number(QStringLiteral("免收费用")) + q.number(QStringLiteral("OtherFreeFee"));
        double arrears = q.number(QStringLiteral("余额"));
        if (q.integer(QStringLiteral("GetLaterLeftMoneyFlag")) == 1)
            arrears += q.isNull(QStringLiteral("原欠金额")) ? fee.arrears : q.number(QStringLiteral("原欠金额"));
        fee.arrears = arrears;
    }
    // Sums of doubles drift by fractions of a fen; callers compare these with typed amounts.
    fee.received = money::round2(fee.received);
    fee.arrears = money::round2(fee.arrears);
    fee.billed = money::round2(fee.billed);
    fee.waived = money::round2(fee.waived);
    return fee;
}

} // namespace db
