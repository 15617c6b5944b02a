#pragma once
#include "common/OpeningRead.h"
#include "db/Connection.h"
#include "db/OptimisticEdit.h"
#include "rx/MedicineCatalogue.h"
#include "rx/MedicineLineList.h"
#include "rx/Stock.h"
#include <QHash>
#include <QDateTime>
#include <QStringList>

namespace rx {

// The prescription dialog ("填写处方") without its widgets. A case-record prescription (a 病案号
// is given) becomes an unpaid 收费收据表 row that the prescription checkout settles later; a
// walk-in one (no 病案号) a paid 无病历收费单 row whose medicines leave the stock at once. Both
// carry IsPrescriptionFlag 2 and keep their lines in 处方明细表.
class PrescriptionForm {
public:
    struct Inputs {
        qint32 caseNumber = 0;
        qint32 documentId = 0; // the fee document to change; 0 or less: a new one
        QString doctorName;
        QString department;
        QString doctorNumber;
        QString nurse;
        QString patientName;
        QString patientNumber; // 病案号; empty: a walk-in patient
        QDateTime date;
        QString cashier;
        int dateFixed = 0; // 1: the date cannot be changed
    };
    // What the dialog shows above the line list.
    struct Header {
        QString patientName;
        QString doctorName;
        QString doctorNumber;
        QString department;
        QString nurse;
        QDateTime date;
        QString sex = QStringLiteral("男");
        int age = 25;
        QString cashier;
        double total = 0.0; // 合计: the sum of the lines
    };
    // The fields a line is built from.
    struct Entry {
        QString category, name, spec, unit;
        double price = 0.0;
        double quantity = 1.0;
        double amount = 0.0;
        QString usage, dose, timesPerDay, insurance, remark;
    };
    // How OK ends: the dialog stays open, closes with OK, or shows the short lines (shortLines)
    // in the stock check dialog and stays open.
    enum class Ending { Stay, Accept, Shortage };

    PrescriptionForm(db::ConnectionPtr connection, const Inputs& inputs);

    // Lists, tree, stored lines and the stored header. A look-up that fails leaves what it had.
    void open();
    bool isWalkIn() const { return patientNumber_.trimmed().isEmpty(); }
    bool dateEnabled() const { return dateFixed_ != 1; }

    // The cascading choices; each refills the lists below it and the entry fields.
    void chooseMedicine(qint64 id);
    void chooseCategory(const QString& category);
    void chooseName(const QString& name);
    void chooseSpec(const QString& spec);
    void selectDoctor(int index, const QString& entryText);
    // The quantity spin: whole steps, never below 1.
    void stepQuantity(int steps);
    void quantityChanged() { entry.amount = entry.price * entry.quantity; }

    // The line buttons. Rows of the list count from 0, stored lines first in ID order, then the
    // lines added here in the order they were added.
    void add();
    void selectRow(int row);
    bool modify();
    bool remove();
    QList<QStringList> rows() const;
    int selectedRow() const { return selectedRow_; }

    // "确定": stores header, lines and (walk-in) the stock-out in one transaction.
    Ending save();

    qint32 documentId() const { return documentId_; }
    const MedicineLineList& lines() const { return lines_; }
    int storedCount() const { return storedCount_; }

    Header header;
    Entry entry;
    QStringList categories, names, specs, usages, doses, daily, doctors, nurses;
    QList<MedicineCategory> tree;
    // What the good batches of each medicine hold (by medicineKey), shown beside the tree when
    // the clinic keeps its stock here; showStock false: the stock is not kept, nothing is shown.
    bool showStock = false;
    QHash<QString, double> stock;
    QList<ShortLine> shortLines; // after Ending::Shortage
    QString failure;             // why the last save failed, for the host

private:
    MedicineLine lineFromEntry() const;
    int positionOfRow(int row) const { return lines_.size() - row; }
    void fillEntry(const Medicine& m);
    qint32 writeHeader(db::Connection& c);
    void stockFailure();
    void loadDocument(); // the stored lines and header of the document being edited, as loaded

    db::ConnectionPtr connection_;
    qint32 caseNumber_;
    qint32 documentId_;
    QString patientNumber_;
    int dateFixed_;
    MedicineLineList lines_;
    MedicineLineList removed_;
    // An edit of a stored document writes only while its header and lines stand as loaded here.
    MedicineLineList loadedLines_;
    std::optional<db::LoadedRow> loadedHeader_;
    OpeningRead documentRead_;
    int storedCount_ = 0;
    int selectedRow_ = -1;
};

} // namespace rx
