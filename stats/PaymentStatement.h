#pragma once
#include "db/Connection.h"
#include "receipt/FeeCategories.h"
#include <QDate>
#include <QStringList>

// The cashier's day: what one cashier took in on one day, as the lines of "缴款统计".
namespace stats {

// "项目#现金#公费医疗#特约记帐#住院收入#合计金额": only the first two columns are filled.
QString paymentHeading();

// Per fee category: the heading, one line per category (walk-in sheets plus paid receipts of
// the cashier) and "合计", which is what the cashier really received (the walk-in totals and
// the payment records' 收款金额), not the sum of the lines: discounts make them differ.
QStringList categoryStatement(db::Connection& c, const receipt::CategoryLabels& labels, const QDate& day,
                              const QString& cashier);

// Per fee class of the standard items: the heading, one line per class of the fee catalogue
// (walk-in sheets' and receipts' item lines of the cashier's day) and "合计" as above.
QStringList classStatement(db::Connection& c, const QDate& day, const QString& cashier);

// The catalogue's fee classes, each once (as the database compares names), without blanks, in
// the clinic's text order.
QStringList feeClasses(db::Connection& c);

} // namespace stats
