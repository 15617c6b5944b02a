#pragma once
#include "db/Connection.h"
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

// What the stock holds, medicine by medicine and batch by batch, for the people who order and
// hand out medicines: the prescription picker shows it beside each medicine, the stock dialog
// lists it. Good stock counts as the stock-out counts it: batches still good after the end of
// today; a medicine is its name and strength (规格), compared as the clinic compares them.
namespace rx
{

QString medicineKey(const QString& name, const QString& spec);

// The good stock of every medicine that has a good batch, by medicineKey().
QHash<QString, double> GoodStock(db::Connection& c, const QDateTime& now);

struct Batch {
    qint64 number = 0;       // 库存编号
    QString name, spec, lot; // lot: the supplier's batch number (批号)
    double quantity = 0.0;   // 现存数量
    QDateTime expires;
};

// Batches that still hold something and are no longer good, or stop being good within `days`
// of today: expired first, then by expiry.
QList<Batch> BatchesNearExpiry(db::Connection& c, const QDateTime& now, int days);
// The batches of one medicine, lowest number first (the order the stock-out takes them).
QList<Batch> BatchesOf(db::Connection& c, const QString& name, const QString& spec);

} // namespace rx
