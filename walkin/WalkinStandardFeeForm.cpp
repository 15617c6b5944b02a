#include "walkin/WalkinStandardFeeForm.h"
#include "common/OpeningRead.h"
#include "common/Money.h"
#include "common/Prompter.h"
#include "db/ClinicLookups.h"
#include "db/ListFillers.h"
#include "db/StandartNonDocInfo.h"
#include "common/Settings.h"
#include "receipt/ReceiptHeader.h"
#include "settle/Tendered.h"

namespace walkin {


WalkinStandardFeeForm::WalkinStandardFeeForm(db::ConnectionPtr connection, const Inputs& in)
    : StandardItemEntry(Rules{.takesDiscounts = false, .classStays = false}), connection_(std::move(connection)), dateFixed_(in.dateFixed)
{
    sheet.id = in.sheetId > 0 ? in.sheetId : 0;
    sheet.doctorName = in.doctorName;
    sheet.cashier = in.cashier;
    sheet.date = in.date;
    sheet.nurse = in.nurse;
}

void WalkinStandardFeeForm::open()
{
    db::Connection& c = *connection_;
    optionalRead([&] { receipt::LoadReceiptDate(c, sheet.date); });
    dateEnabled = dateFixed_ != 1;
    if (!sheet.doctorName.isEmpty())
        optionalRead([&] { db::GetDoctorInfo(c, sheet.doctorName, sheet.department, sheet.doctorNumber); });
    optionalRead([&] { receipt::FillNurseList(c, nurses); });
    optionalRead([&] { classes = receipt::OfferedClasses(c); });
    optionalRead([&] { doctors = db::InitCombox(c, QStringLiteral("主治医生表"), QStringLiteral("医生姓名")); });
    optionalRead([&] { departments = db::InitCombox(c, QStringLiteral("科室表"), QStringLiteral("科室")); });
    if (sheet.id > 0) {
        bool found = false;
        optionalRead([&] {
            db::StandartNonDocInfo info;
            if (!db::GetStandartNonDocInfo(c, sheet.id, info)) return;
            items = receipt::loadStandardItems(c, receipt::ReceiptKind::Walkin, sheet.id);
            found = true;
            sheet.patientName = info.patientName;
            sheet.sex = info.sex;
            sheet.age = info.age;
            sheet.doctorName = info.doctorName;
            sheet.department = info.department;
            sheet.doctorNumber = info.doctorNumber;
            sheet.remark = info.remark;
            sheet.loadedTotal = info.total;
        });
        // A sheet that is not there is taken in as a new one rather than written over blindly.
        if (!found) sheet.id = 0;
    }
    total = receipt::totalsOf(items).discounted;
    listButtonsOff();
    settings::readReceiptTitle(receiptTitle);
}

void WalkinStandardFeeForm::selectDoctor(int index, const QString& entryText)
{
    receipt::DoctorFields doctor{sheet.doctorName, sheet.doctorNumber, sheet.department};
    optionalRead([&] { receipt::SelectDoctor(*connection_, index, entryText, doctor); });
    sheet.doctorName = doctor.name;
    sheet.doctorNumber = doctor.number;
    sheet.department = doctor.department;
}

void WalkinStandardFeeForm::linesChanged()
{
    total = receipt::totalsOf(items).discounted;
    settings::readReceiptTitle(receiptTitle);
}

WalkinStandardFeeForm::Ending WalkinStandardFeeForm::settle()
{
    Prompter& prompter = Prompter::current();
    if (sheet.patientName.isEmpty()) {
        prompter.inform(QStringLiteral("请填写病人姓名!"));
        return Ending::Stay;
    }
    if (sheet.doctorName.isEmpty() || sheet.department.isEmpty() || sheet.doctorNumber.isEmpty()) {
        prompter.inform(QStringLiteral("请填写医生、科室或医生编号!"));
        return Ending::Stay;
    }
    // A new sheet is paid in cash as it is stored: what was handed over must cover it. A
    // correction takes no new cash here.
    if (isNew()) {
        const settle::TenderedCheck counted =
            settle::checkTendered(tendered, money::toFen(receipt::totalsOf(items).discounted));
        if (!counted.ok) {
            prompter.inform(counted.message);
            return Ending::Stay;
        }
    }
    try {
        const receipt::SavedLines saved = writeWalkinStandardSheet(*connection_, sheet, items);
        items.markSaved(saved.newIds);
        sheet.id = saved.id;
        sheet.loadedTotal = saved.total;
        total = saved.total;
        return Ending::Accept;
    } catch (const db::Error& e) {
        lastFailure = e.message();
        prompter.inform(QStringLiteral("提交记录时不成功!请重新确定!"));
        return Ending::Stay;
    }
}

} // namespace walkin
