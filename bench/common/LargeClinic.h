#pragma once
#include "db/Connection.h"
#include <QDate>
#include <QString>
#include <functional>

// A large, realistic clinic for benchmarks: years of receipts with their payment records and
// invoices, walk-in sheets, standard item lines, a big fee catalogue, patients and prepayment
// movements. The same size always gives the same rows (no randomness), so runs compare.
// Rows are made by the database itself (INSERT … SELECT over a number series), which fills
// a million rows in seconds on both backends.
namespace benchdata {

struct ClinicSize {
    qint64 receipts = 1'000'000;        // 收费收据表, ~95% paid, each paid one with its 病历收费单
    qint64 walkIns = 1'000'000;         // 无病历收费单
    qint64 feeItems = 10'000;           // 收费标准表, in 300 classes
    qint64 patients = 200'000;          // 病历卡表 and 病人简历表
    qint64 prepayMovements = 1'000'000; // PrePayReg_Table over 20,000 accounts
    int days = 5 * 365;                 // spread evenly from firstDay
    QDate firstDay{2021, 1, 1};
    int cashiers = 8;                   // "收款员1" …
    int doctors = 40;                   // "医生1" …, each in one of the departments
    int departments = 12;               // "科室1" …

    // Every count multiplied by factor (days kept), at least one of each.
    ClinicSize scaled(double factor) const;
    QString describe() const;
};

// Fills a migrated, empty clinic database. log receives one line per table with its time.
void generateClinic(db::Connection& c, const ClinicSize& size, const std::function<void(const QString&)>& log = {});

// A fresh database for a benchmark: "sqlite" (a file in dir) or "postgresql" (a new database
// on the server of CALVANE_TEST_PG's URL), migrated. Returns its URL.
QString freshDatabase(const QString& backend, const QString& dir, const QString& name);

} // namespace benchdata
