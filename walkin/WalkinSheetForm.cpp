#include "walkin/WalkinSheetForm.h"
#include "common/Money.h"
#include "common/OpeningRead.h"
#include "common/Prompter.h"
#include "common/Settings.h"
#include "db/ClinicLookups.h"
#include "db/Error.h"
#include "db/ListFillers.h"
#include "receipt/ReceiptHeader.h"
#include "settle/Tendered.h"

using namespace Qt::StringLiterals;

namespace walkin {


WalkinSheetForm::WalkinSheetForm(db::ConnectionPtr connection, const Inputs& inputs)
    : connection_(std::move(connection)), sheetId_(inputs.sheetId), dateFixed_(inputs.dateFixed)
{
    fields.doctorName = inputs.doctorName;
    fields.cashier = inputs.cashier;
    fields.date = inputs.date;
    fields.nurse = inputs.nurse;
}

void WalkinSheetForm::open()
{
    db::Connection& c = *connection_;
    dateEnabled = dateFixed_ != 1;
    optionalRead([&] { receipt::LoadReceiptDate(c, fields.date); });
    if (!fields.doctorName.isEmpty())
        optionalRead([&] { db::GetDoctorInfo(c, fields.doctorName, fields.department, fields.doctorNumber); });
    optionalRead([&] { receipt::FillNurseList(c, nurses); });
    optionalRead([&] { doctors = db::InitCombox(c, u"主治医生表"_s, u"医生姓名"_s); });
    optionalRead([&] { receipt::LoadCategoryLabels(c, labels); });
    // A negative ID names no sheet: it opens a new one, as the receipt dialogs treat it.
    if (sheetId_ > 0) {
        optionalRead([&] {
            loaded_ = loadWalkinSheet(c, sheetId_);
            if (!loaded_) return;
            const QDateTime date = fields.date;
            const QString nurse = fields.nurse;
            fields = *loaded_;
            fields.date = date;
            fields.nurse = nurse;
        });
    }
    settings::readReceiptTitle(receiptTitle);
}

void WalkinSheetForm::selectDoctor(int index, const QString& entryText)
{
    receipt::DoctorFields doctor{fields.doctorName, fields.doctorNumber, fields.department};
    optionalRead([&] { receipt::SelectDoctor(*connection_, index, entryText, doctor); });
    fields.doctorName = doctor.name;
    fields.doctorNumber = doctor.number;
    fields.department = doctor.department;
}

WalkinSheetForm::Ending WalkinSheetForm::save()
{
    Prompter& prompter = Prompter::current();
    failure_.clear();
    amountsChanged();
    if (fields.patientName.trimmed().isEmpty()) {
        prompter.inform(u"病人姓名不应为空!"_s);
        return Ending::Stay;
    }
    if (fields.doctorName.isEmpty()) {
        prompter.inform(u"请输入医生信息!"_s);
        return Ending::Stay;
    }
    const bool isNewSheet = isNew();
    // A new sheet is paid in cash as it is stored: what was handed over must cover it. A
    // correction takes no new cash here.
    if (isNewSheet) {
        const settle::TenderedCheck counted = settle::checkTendered(tendered, money::toFen(fields.total));
        if (!counted.ok) {
            prompter.inform(counted.message);
            return Ending::Stay;
        }
    }
    try {
        if (isNewSheet) {
            storedId_ = addWalkinSheet(*connection_, fields);
            fields.id = storedId_;
        } else if (updateWalkinSheet(*connection_, fields, *loaded_)) {
            storedId_ = loaded_->id;
        } else {
            failure_ = u"the sheet was changed or removed at another desk since it was opened"_s;
        }
    } catch (const db::Error& e) {
        failure_ = e.message();
    }
    if (!failure_.isEmpty()) {
        // Nothing was stored: the sheet stays open as typed, to be saved again or closed.
        prompter.inform(isNewSheet ? u"收费记录登记失败!"_s : u"收费记录修改失败!"_s);
        return Ending::Stay;
    }
    if (!isNewSheet) loaded_ = fields;
    prompter.inform(isNewSheet ? u"收费登记成功!"_s : u"收费记录修改成功!"_s);
    saveEnabled = false;
    return Ending::Accept;
}

} // namespace walkin
