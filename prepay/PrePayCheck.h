#pragma once
#include "db/Connection.h"
#include <QString>

namespace prepay {

// The prepaid account a patient may pay from: of the patient's rows in PrePayUserSheet_Table
// (oldest first) the last with an account wins; 0 when there is none or it cannot be read
// (failure, when given, then receives why).
qint32 FindPrePayAccount(db::Connection& c, const QString& patientCode, QString* failure = nullptr);

// The prepayment check of the payment-method dialog. Does nothing and returns 0 unless
// usePrePay is 1. Otherwise finds the patient's account (stored in account, 0 when there is
// none) and its balance: the full one on a first settlement (resettle 0), else the one
// without paySheet's own uses. A balance above 0 is stored in balance and 0 returned. With no
// account or nothing to spend it says so through the Prompter, sets usePrePay to 0 and
// returns 1. An account or a sum that cannot be read counts as none or 0 (failure, when given,
// receives the first such error).
int CheckPrePayAccount(db::Connection& c, int resettle, qint32& usePrePay, const QString& patientCode,
                       qint32& account, double& balance, qint32 paySheet, QString* failure = nullptr);

// The same check, the balance not handed back.
int GetPrePayInfo1(db::Connection& c, int resettle, qint32& usePrePay, const QString& patientCode, qint32& account,
                   qint32 paySheet, QString* failure = nullptr);

} // namespace prepay
