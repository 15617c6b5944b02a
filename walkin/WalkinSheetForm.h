#pragma once
#include "db/Connection.h"
#include "walkin/WalkinSheet.h"
#include <QStringList>

namespace walkin {

// The walk-in fee sheet ("无病案收费单") without its widgets: a new sheet, or the correction of
// a stored one, saved paid in one go. The dialog takes the fields from its controls, calls one
// of these and shows the fields again; messages go through the current Prompter.
class WalkinSheetForm {
public:
    struct Inputs {
        qint64 sheetId = 0; // 0 or less: a new sheet
        QString doctorName;
        QString cashier;
        QDateTime date; // replaced by the server's time
        QString nurse;
        int dateFixed = 0; // 1: the date cannot be changed
    };
    enum class Ending { Stay, Accept };

    WalkinSheetForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Date, the doctor's number and department, the lists, the labels, the stored sheet (when
    // one is named) and the receipt title. Read failures are not reported.
    void open();

    void amountsChanged() { fields.total = receipt::sumOf(fields.amounts); }
    // A doctor picked in the 医生 list: 医生编号 and 分科 follow.
    void selectDoctor(int index, const QString& entryText);

    // "结   帐": stores the sheet. A failure says so and stays, with the fields as typed.
    Ending save();

    bool isNew() const { return !loaded_; }
    // The sheet the host gets back after OK: the new one, or the one corrected.
    qint64 storedId() const { return storedId_; }
    // Why the last save failed, for the host (empty when it did not).
    const QString& failure() const { return failure_; }

    WalkinSheet fields;
    // "收款": the cash handed over for a new sheet, as typed (empty: not counted). Never stored.
    QString tendered;
    receipt::CategoryLabels labels = receipt::defaultCategoryLabels();
    QStringList doctors;
    QStringList nurses;
    QString receiptTitle; // none until the settings give one
    bool dateEnabled = true;
    bool saveEnabled = true;

private:
    db::ConnectionPtr connection_;
    qint64 sheetId_ = 0;
    int dateFixed_ = 0;
    std::optional<WalkinSheet> loaded_;
    qint64 storedId_ = 0;
    QString failure_;
};

} // namespace walkin
