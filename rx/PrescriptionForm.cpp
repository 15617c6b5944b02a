#include "rx/PrescriptionForm.h"
#include "common/Prompter.h"
#include "db/Error.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "db/RecordOps.h"
#include "db/Transaction.h"
#include "receipt/ReceiptHeader.h"
#include "rx/PrescriptionDetail.h"
#include "rx/StockLevels.h"
#include "rx/StockSwitch.h"
#include <algorithm>

namespace rx {

namespace {

const QString saveFailed = QStringLiteral("提交记录时不成功!请重新确定!");

} // namespace

PrescriptionForm::PrescriptionForm(db::ConnectionPtr connection, const Inputs& in)
    : connection_(std::move(connection)), caseNumber_(in.caseNumber), documentId_(in.documentId),
      patientNumber_(in.patientNumber), dateFixed_(in.dateFixed)
{
    header.patientName = in.patientName;
    header.doctorName = in.doctorName;
    header.doctorNumber = in.doctorNumber;
    header.department = in.department;
    header.nurse = in.nurse;
    header.date = in.date.isValid() ? in.date : QDateTime::currentDateTime();
    header.cashier = in.cashier;
}

void PrescriptionForm::open()
{
    db::Connection& c = *connection_;
    const QString medicines = QStringLiteral("常用药品表");
    optionalRead([&] { categories = db::InitCombox(c, medicines, QStringLiteral("类别")); });
    optionalRead([&] { names = db::InitCombox(c, medicines, QStringLiteral("名称")); });
    optionalRead([&] { daily = db::InitCombox(c, medicines, QStringLiteral("每日用量")); });
    optionalRead([&] { doses = db::InitCombox(c, medicines, QStringLiteral("每次用量")); });
    optionalRead([&] { usages = db::InitCombox(c, medicines, QStringLiteral("服用方式")); });
    optionalRead([&] { doctors = db::InitCombox(c, QStringLiteral("主治医生表"), QStringLiteral("医生姓名")); });
    optionalRead([&] { nurses = db::InitCombox(c, QStringLiteral("护士表"), QStringLiteral("护士")); });
    optionalRead([&] { tree = MedicineTree(c); });
    optionalRead([&] {
        showStock = CheckRelationBetweenMedicineAndKB(c) == 0;
        if (showStock) stock = GoodStock(c, c.serverTime());
    });

    loadDocument();
}

void PrescriptionForm::loadDocument()
{
    db::Connection& c = *connection_;
    const FeeDocument kind = isWalkIn() ? FeeDocument::WalkInSheet : FeeDocument::Receipt;
    documentRead_ = OpeningRead();
    lines_ = MedicineLineList();
    removed_ = MedicineLineList();
    documentRead_([&] {
        ShowMedicineList(c, kind, std::max(documentId_, 0), lines_, nullptr);
        header.total = lines_.total();
    });
    loadedLines_ = lines_;
    storedCount_ = lines_.size();
    selectedRow_ = -1;
    if (documentId_ <= 0) return;
    documentRead_([&] {
        const QString table = isWalkIn() ? QStringLiteral("无病历收费单") : QStringLiteral("收费收据表");
        db::checkIdentifier(table);
        db::Query q(c, QStringLiteral("SELECT * FROM %1 WHERE ID=?").arg(table), {documentId_});
        q.exec();
        if (!q.next()) return;
        // What this dialog writes back: another desk's change to any of it is not overwritten.
        const QStringList guarded =
            isWalkIn() ? QStringList{QStringLiteral("病人姓名"), QStringLiteral("合计"), QStringLiteral("医生姓名"),
                                     QStringLiteral("科室"), QStringLiteral("护士"), QStringLiteral("性别"),
                                     QStringLiteral("年龄"), QStringLiteral("IsPrescriptionFlag")}
                       : QStringList{QStringLiteral("病历号"), QStringLiteral("病人姓名"), QStringLiteral("合计"),
                                     QStringLiteral("医生编号"), QStringLiteral("医生姓名"), QStringLiteral("备注"),
                                     QStringLiteral("付款"), QStringLiteral("科室"), QStringLiteral("护士"),
                                     QStringLiteral("IsPrescriptionFlag")};
        loadedHeader_ = db::LoadedRow::capture(q, table, QStringLiteral("ID"), guarded);
        const auto take = [&](const char* column, auto& field, auto read) {
            const QString name = QString::fromUtf8(column);
            if (!q.isNull(name)) field = read(name);
        };
        const auto text = [&](const QString& n) { return q.text(n); };
        take("病人姓名", header.patientName, text);
        take("合计", header.total, [&](const QString& n) { return q.number(n); });
        take("医生姓名", header.doctorName, text);
        take("科室", header.department, text);
        take("护士", header.nurse, text);
        if (isWalkIn()) {
            take("性别", header.sex, text);
            take("年龄", header.age, [&](const QString& n) { return static_cast<int>(q.integer(n)); });
        } else {
            take("病历号", caseNumber_, [&](const QString& n) { return static_cast<qint32>(q.integer(n)); });
            take("医生编号", header.doctorNumber, text);
        }
    });
}

void PrescriptionForm::fillEntry(const Medicine& m)
{
    entry.category = m.category;
    entry.name = m.name;
    entry.spec = m.spec;
    entry.unit = m.unit;
    entry.price = m.price;
    entry.usage = m.usage;
    entry.dose = m.dose;
    entry.timesPerDay = m.daily;
    entry.insurance = m.insurance;
    entry.quantity = 1.0;
    entry.amount = m.price;
}

void PrescriptionForm::chooseMedicine(qint64 id)
{
    optionalRead([&] {
        if (const auto m = MedicineById(*connection_, id)) fillEntry(*m);
    });
}

void PrescriptionForm::chooseCategory(const QString& category)
{
    entry.category = category;
    optionalRead([&] { names = NamesOfCategory(*connection_, category); });
}

void PrescriptionForm::chooseName(const QString& name)
{
    entry.name = name;
    optionalRead([&] { specs = SpecsOfName(*connection_, name); });
}

void PrescriptionForm::chooseSpec(const QString& spec)
{
    entry.spec = spec;
    optionalRead([&] {
        const DoseLists lists = DosesOf(*connection_, entry.name, spec);
        doses = lists.doses;
        daily = lists.daily;
        if (const auto m = MedicineByNameSpec(*connection_, entry.name, spec)) {
            const QString category = entry.category;
            fillEntry(*m);
            if (!category.isEmpty()) entry.category = category;
        }
    });
}

void PrescriptionForm::selectDoctor(int index, const QString& entryText)
{
    receipt::DoctorFields d{header.doctorName, header.doctorNumber, header.department};
    optionalRead([&] { receipt::SelectDoctor(*connection_, index, entryText, d); });
    header.doctorName = d.name;
    header.doctorNumber = d.number;
    header.department = d.department;
}

void PrescriptionForm::stepQuantity(int steps)
{
    entry.quantity += steps;
    if (entry.quantity <= 1.0) entry.quantity = 1.0;
    quantityChanged();
}

MedicineLine PrescriptionForm::lineFromEntry() const
{
    MedicineLine l;
    l.category = entry.category;
    l.name = entry.name;
    l.spec = entry.spec;
    l.unit = entry.unit;
    l.price = entry.price;
    l.quantity = entry.quantity;
    l.amount = entry.price * entry.quantity;
    l.usage = entry.usage;
    l.dose = entry.dose;
    l.timesPerDay = entry.timesPerDay;
    l.insurance = entry.insurance;
    l.remark = entry.remark;
    l.documentId = documentId_;
    return l;
}

void PrescriptionForm::add()
{
    header.total = InputMedicineList(lines_, lineFromEntry());
    selectedRow_ = -1;
    entry = Entry{};
}

QList<QStringList> PrescriptionForm::rows() const
{
    QList<QStringList> out;
    for (int p = lines_.size(); p >= 1; --p) out.append(medicineListRow(lines_.at(p)));
    return out;
}

void PrescriptionForm::selectRow(int row)
{
    if (row < 0 || row >= lines_.size()) {
        selectedRow_ = -1;
        return;
    }
    selectedRow_ = row;
    const MedicineLine& l = lines_.at(positionOfRow(row));
    entry = {l.category, l.name, l.spec, l.unit, l.price, l.quantity, l.amount,
             l.usage, l.dose, l.timesPerDay, l.insurance, l.remark};
}

bool PrescriptionForm::modify()
{
    if (selectedRow_ < 0 || selectedRow_ >= lines_.size()) return false;
    MedicineLine& l = lines_.at(positionOfRow(selectedRow_));
    MedicineLine changed = lineFromEntry();
    changed.rowId = l.rowId; // a stored line keeps its row
    changed.documentId = l.documentId;
    changed.extra = l.extra;
    changed.freeText = l.freeText;
    changed.copied = l.copied;
    l = std::move(changed);
    header.total = lines_.total();
    return true;
}

bool PrescriptionForm::remove()
{
    if (selectedRow_ < 0 || selectedRow_ >= lines_.size()) return false;
    const int position = positionOfRow(selectedRow_);
    const MedicineLine l = lines_.at(position);
    // Stored lines sit at the tail; one fewer of them keeps the new lines counted right.
    if (position > lines_.size() - storedCount_) --storedCount_;
    lines_.remove(position);
    if (l.rowId > 0) removed_.prepend(l);
    selectedRow_ = -1;
    header.total = lines_.total();
    entry = Entry{};
    return true;
}

qint32 PrescriptionForm::writeHeader(db::Connection& c)
{
    const double total = lines_.total();
    db::FieldValues row;
    QString table;
    QString guard;
    if (!isWalkIn()) {
        table = QStringLiteral("收费收据表");
        row = {{QStringLiteral("病历号"), caseNumber_},
               {QStringLiteral("病人姓名"), header.patientName},
               {QStringLiteral("合计"), total},
               {QStringLiteral("医生编号"), header.doctorNumber},
               {QStringLiteral("医生姓名"), header.doctorName},
               {QStringLiteral("备注"), entry.remark},
               {QStringLiteral("日期"), header.date},
               {QStringLiteral("付款"), QStringLiteral("未付")},
               {QStringLiteral("科室"), header.department},
               {QStringLiteral("IsPrescriptionFlag"), 2},
               {QStringLiteral("护士"), header.nurse}};
        // A prescription settled at the cashier's meanwhile is not written over.
        guard = QStringLiteral("rtrim(付款)='未付' AND IsPrescriptionFlag=2");
    } else {
        table = QStringLiteral("无病历收费单");
        row = {{QStringLiteral("病历号"), caseNumber_},
               {QStringLiteral("病人姓名"), header.patientName},
               {QStringLiteral("合计"), total},
               {QStringLiteral("医生编号"), header.doctorNumber},
               {QStringLiteral("医生姓名"), header.doctorName},
               {QStringLiteral("余额"), 0.0},
               {QStringLiteral("日期"), header.date},
               {QStringLiteral("付款"), QStringLiteral("已付")},
               {QStringLiteral("科室"), header.department},
               {QStringLiteral("性别"), header.sex},
               {QStringLiteral("年龄"), QString::number(static_cast<qint16>(header.age))},
               {QStringLiteral("应收金额"), total},
               {QStringLiteral("收款金额"), total},
               {QStringLiteral("IsPrescriptionFlag"), 2},
               {QStringLiteral("护士"), header.nurse},
               {QStringLiteral("收款人"), header.cashier}};
        guard = QStringLiteral("IsPrescriptionFlag=2");
    }
    if (documentId_ <= 0) return static_cast<qint32>(db::AddRecord(c, table, row));
    if (!loadedHeader_) throw db::Error(QStringLiteral("%1 %2 was not read before its edit").arg(table).arg(documentId_));
    switch (db::modifyIfUnchanged(c, *loadedHeader_, row, {guard, {}})) {
    case db::EditResult::Written:
        return documentId_;
    case db::EditResult::Changed:
        // Still open: another desk's correction, shown again. Settled meanwhile: no longer ours.
        // The table and the guard are this form's own texts; the document is bound.
        db::checkIdentifier(table);
        if (!db::scalar(c, QStringLiteral("SELECT ID FROM %1 WHERE ID=? AND %2").arg(table, guard), {documentId_}).isNull())
            throw LinesChanged(QStringLiteral("%1 %2 was changed at another desk").arg(table).arg(documentId_));
        break;
    case db::EditResult::Gone:
        break;
    }
    throw db::Error(QStringLiteral("%1 %2 is no longer an open prescription").arg(table).arg(documentId_));
}

void PrescriptionForm::stockFailure()
{
    // What the stock holds now that the save is undone; a shortfall the per-line view cannot
    // show (two lines of one medicine, say) gets the save's message.
    shortLines.clear();
    optionalRead([&] { shortLines = ShortLines(*connection_, lines_, storedCount_, connection_->serverTime()); });
}

PrescriptionForm::Ending PrescriptionForm::save()
{
    Prompter& prompter = Prompter::current();
    failure.clear();
    shortLines.clear();
    if (!isWalkIn() && lines_.empty() && removed_.empty()) return Ending::Stay;
    if (documentRead_.failed()) {
        // Saving over lines never read would lose them and their stock.
        failure = documentRead_.failure();
        prompter.inform(documentRead_.message());
        return Ending::Stay;
    }
    db::Connection& c = *connection_;
    try {
        db::Transaction t(c);
        const QDateTime now = c.serverTime();
        // Checked inside the save: what the stock held a moment ago is no promise.
        const bool kept = stockKept(c);
        if (kept && !StockCovers(c, lines_, storedCount_, now)) {
            shortLines = ShortLines(c, lines_, storedCount_, now);
            t.rollback();
            return Ending::Shortage;
        }
        const qint32 id = writeHeader(c);
        AMDDetailMedicineRecord(c, isWalkIn() ? FeeDocument::WalkInSheet : FeeDocument::Receipt, lines_, removed_, id,
                                &loadedLines_);
        if (isWalkIn() && kept)
            TakeOutOfStock(c, lines_, storedCount_, {header.cashier, header.patientName}, now);
        t.commit();
        documentId_ = id;
        return Ending::Accept;
    } catch (const StockShortfall& e) {
        failure = QString::fromUtf8(e.what());
        stockFailure();
        if (!shortLines.isEmpty()) return Ending::Shortage;
    } catch (const LinesChanged& e) {
        // Another desk's edit wins; it is shown again so the cashier can redo theirs on top of it.
        failure = e.message();
        prompter.inform(db::kChangedElsewhere);
        loadDocument();
        return Ending::Stay;
    } catch (const NegativeStock& e) {
        failure = e.message;
        prompter.inform(e.message);
        return Ending::Stay;
    } catch (const std::exception& e) {
        failure = QString::fromUtf8(e.what());
    }
    prompter.inform(saveFailed);
    return Ending::Stay;
}

} // namespace rx
