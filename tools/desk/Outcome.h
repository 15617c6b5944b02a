#pragma once
#include "db/Connection.h"
#include <QString>

// The sentence a cashier reads after a dialog closed, taken from what the database now holds
// (never from what the dialog was hoped to do).
namespace desk {

// After a receipt dialog (fee, standard-item or prescription; `what` is 收据 or 处方):
// "收据 18 已保存，合计 155.50", "收据 18 已删除", or that nothing was saved.
QString receiptOutcome(db::Connection& c, const QString& what, qint64 id, bool confirmed);
// After a checkout: "收据 18 已结帐，实收 150.00" when the receipt is now paid, else that it
// was not settled.
QString settleOutcome(db::Connection& c, qint64 id);
// After a walk-in dialog: "无病案收费单 5 已保存，合计 35.00", or that nothing was saved.
QString walkInOutcome(db::Connection& c, qint64 id, bool confirmed);

} // namespace desk
