#pragma once
#include "db/Connection.h"
#include "receipt/Catalogue.h"
#include "receipt/StandardItemEntry.h"
#include "walkin/WalkinStandardSheet.h"
#include <QStringList>

namespace walkin {

// The walk-in standard fee dialog ("无病案标准收费") without its widgets: a patient without a
// case record pays for catalogue items at once; the same dialog corrects a stored sheet. No
// discounts: every amount is price × quantity unless typed otherwise. The entry area and the
// item list are the shared receipt::StandardItemEntry.
class WalkinStandardFeeForm : public receipt::StandardItemEntry {
public:
    struct Inputs {
        qint64 sheetId = 0; // 0: a new sheet
        QString doctorName;
        QString cashier;
        QDateTime date; // replaced by the server's time
        QString nurse;
        int dateFixed = 0;
    };
    enum class Ending { Stay, Accept };

    WalkinStandardFeeForm(db::ConnectionPtr connection, const Inputs& inputs);

    void open();
    void selectDoctor(int index, const QString& entryText);
    void amountChanged() { modifyEnabled = selectedRow >= 0; }
    Ending settle(); // "结   帐"

    qint64 sheetId() const { return sheet.id; }

    WalkinStandardSheet sheet;
    double total = 0.0; // 合 计
    // "收款": the cash handed over for a new sheet, as typed (empty: not counted). Never stored.
    QString tendered;
    bool isNew() const { return sheet.id == 0; }
    bool dateEnabled = true;
    QStringList doctors, nurses, classes, departments;
    QString lastFailure;
    QString receiptTitle; // read on opening, as every walk-in dialog does

private:
    void linesChanged() override;
    QDateTime lineDate() const override { return sheet.date; }

    db::ConnectionPtr connection_;
    int dateFixed_ = 0;
};

} // namespace walkin
