#pragma once
#include "db/Connection.h"
#include <QString>

namespace db {

// A patient's money position over all settled receipts of the patient's cases (病历卡表 links
// the patient number to its case numbers, 病历收费单 holds one payment record per settled
// receipt). The first two amounts are what the receipt and checkout dialogs rely on.
struct DocumentFee {
    double received = 0;  // everything actually collected: Σ 收款金额 (refunds count negative)
    double arrears = 0;   // still owed after the latest settlement (see CalculateDocumentFee)
    double billed = 0;    // Σ 总计应收费用: the settled receipts' own totals
    double waived = 0;    // Σ 免收费用 + OtherFreeFee: amounts let off
};

// Arrears are taken from the latest payment record (by 日期, then by its number): its
// remaining 余额, plus the old arrears that settlement left for later
// (GetLaterLeftMoneyFlag = 1). Those are its 原欠金额; a record that defers without stating
// them (the prescription checkout writes no 原欠金额) carries forward the arrears that stood
// before it. A patient number that no case belongs to gives zeros.
DocumentFee CalculateDocumentFee(Connection& c, const QString& patientNumber);

} // namespace db
