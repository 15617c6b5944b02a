#pragma once
#include "admin/CashierRegister.h"
#include "db/RecordOps.h"
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

// The common-medicine catalogue (常用药品表) and the stock intake (材料入库) a manager keeps at
// the desk. A medicine is its name and strength (规格): the stock batches and the prescription
// lines find it by them. An intake books a delivery into a batch in one transaction, moving the
// batch by a relative update, so that a stock-out at another desk meanwhile is never undone.
namespace medicines
{

using cashiers::Outcome;

struct MedicineInput {
    QString category, name, spec, unit;
    QString price; // 单价, yuan
    QString usage, dose, daily, indication, insurance;
};

struct Medicine {
    qint64 id = 0;
    QString category, name, spec, unit;
    double price = 0.0;
    QString usage, dose, daily, indication, insurance;
    db::FieldValues asRead; // the row as loaded, for the guard of an edit

    MedicineInput input() const;
};

QList<Medicine> list(db::Connection& c);
Outcome add(db::Connection& c, const MedicineInput& medicine);
// A new name or strength is carried to the medicine's stock batches in the same transaction.
Outcome edit(db::Connection& c, const Medicine& loaded, const MedicineInput& changed);
// Refused while a batch of it still holds stock.
Outcome remove(db::Connection& c, const Medicine& loaded);

struct Intake {
    qint64 medicineId = 0;
    QString lot;      // 批号, the supplier's batch number
    QString quantity; // 数量
    QDate expires;    // the batch is no longer handed out from this day on
    QString price;    // 入库价格 per unit
    QString handler;  // 经手人: the cashier signed in
    QString remark;
};

// Outcome::id is the batch (库存编号) the delivery went into. `now` is the server's time.
Outcome receive(db::Connection& c, const Intake& intake, const QDateTime& now);

} // namespace medicines
