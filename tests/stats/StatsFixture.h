#pragma once
#include "db/Connection.h"
#include <QString>
#include <QStringList>
#include <QVariantMap>

// Rows of a small clinic for the statistics tests, written compactly:
//   "TABLE|YYYY-MM-DD HH:MM:SS|收款人|column=value,column=value"
// TABLE is one of 无病历收费单, 收费收据表, 病历收费单, 收费明细表, ShandongTicket_Table (the last
// two take no date or cashier: leave those fields empty). Numbers are stored as numbers, other
// values as text; "#N" in 收据编号/无病案编号/ReceiptID names the Nth row written before (1-based).
namespace statsfixture {

void write(db::Connection& c, const QStringList& rows);

} // namespace statsfixture
