#pragma once
// The demo clinic's parts, one file per area. Only DemoClinic.cpp and its parts include this.
#include "db/Connection.h"
#include "db/RecordOps.h"
#include <QDateTime>
#include <QHash>
#include <array>

namespace db::demo {

struct Clinic {
    Connection& c;
    QDate today;

    QDateTime day(int fromToday, int hour = 9, int minute = 0) const
    {
        return QDateTime(today.addDays(fromToday), QTime(hour, minute));
    }
    void add(const QString& table, const FieldValues& fields) { AddRecord(c, table, fields, QString()); }
    qint64 addKeyed(const QString& table, const FieldValues& fields, const QString& key = QStringLiteral("ID"))
    {
        return AddRecord(c, table, fields, key);
    }

    // Keys that later parts refer to.
    QHash<QString, qint64> accountOf;  // patient number → PrePay_Table.ID
    QHash<QString, qint64> voucherOf;  // Card_Cover_Code → PreferManagement_table.ID
};

// A text column that may be NULL (nullptr) or empty ("").
inline QVariant optionalText(const char* s) { return s ? QVariant(QString::fromUtf8(s)) : QVariant(); }

// The twelve category amounts in canonical order, for category receipts.
using Categories = std::array<double, 12>;
FieldValues categoryFields(const Categories& amounts);
double total(const Categories& amounts);

void loadStaff(Clinic& k);       // 科室表, 主治医生表, 护士表, Payee_table, ReceiptItemName_Table
void loadSettings(Clinic& k);    // settings rows, discount tables, points, tickets, statistics settings
void loadCatalogue(Clinic& k);   // 收费标准表, 常用药品表, 材料库存表
void loadMembers(Clinic& k);     // members, prepaid accounts, vouchers
void loadPatients(Clinic& k);    // cases, receipts, payments, walk-in sheets, prescriptions
void loadDesk(Clinic& k);        // 收款员表, the cases' phones and pinyin initials

} // namespace db::demo
