#include "receipt/StandardReceiptForm.h"
#include "common/Prompter.h"
#include "db/ListFillers.h"
#include "db/Query.h"
#include "receipt/FeeReceipt.h"
#include "receipt/ReceiptHeader.h"
#include "discount/ApprovedRate.h"
#include "discount/DiscountLookUps.h"
#include "discount/DiscountSettings.h"
#include "discount/StandardDiscountTypes.h"
#include <cmath>

namespace receipt {

namespace {

const QString failedWrite = QStringLiteral("提交记录时不成功!请重新确定!");

} // namespace

// Only an unpaid receipt is edited here: a settled or prescription receipt opens as a new one,
// so that a submit can never turn it back into an unpaid one. The row and its lines are kept as
// loaded: a save writes them only while they still stand so.
void StandardReceiptForm::loadReceipt()
{
    db::Connection& c = *connection_;
    receiptRead_ = OpeningRead();
    bool found = false;
    receiptRead_([&] {
        header.loaded = loadStandardReceiptRow(c, header.id);
        if (!header.loaded) return;
        found = true;
        const db::LoadedRow& row = *header.loaded;
        const QVariant type = row.value(QStringLiteral("Doctor_Discout"));
        if (!type.isNull()) discountType = int(db::toInteger(type));
        const QVariant rate = row.value(QStringLiteral("Doctor_Discout_Value"));
        if (!rate.isNull()) entry.itemRate = db::toNumber(rate);
        header.refund = db::toInteger(row.value(QStringLiteral("FeeIO"))) != 0 ? 1 : 0;
        header.remark = db::toText(row.value(QStringLiteral("备注")));
        items = loadStandardItems(c, ReceiptKind::CaseRecord, header.id);
    });
    if (!found && !receiptRead_.failed()) header.id = 0;
}

StandardReceiptForm::StandardReceiptForm(db::ConnectionPtr connection, const Inputs& in)
    : StandardItemEntry(Rules{.takesDiscounts = true, .classStays = true}), connection_(std::move(connection)), dateFixed_(in.dateFixed)
{
    header.id = in.receiptId > 0 ? in.receiptId : 0;
    header.caseNumber = in.caseNumber;
    header.patientName = in.patientName;
    header.doctorName = in.doctorName;
    header.department = in.department;
    header.doctorNumber = in.doctorNumber;
    header.date = in.date;
    header.nurse = in.nurse;
    patientNumber_ = in.patientNumber;
}

void StandardReceiptForm::open()
{
    db::Connection& c = *connection_;
    optionalRead([&] { LoadReceiptDate(c, header.date); });
    dateEnabled = dateFixed_ != 1;

    if (header.id > 0) loadReceipt();
    if (header.id == 0) {
        settle::DiscountSettings settings;
        int mode = -1;
        optionalRead([&] {
            if (settle::LoadDiscountSettings(c, settings, mode) == 0 && settings.DiscoutYesNo &&
                settings.FeeItemYesNo == 5)
                discountType = settle::MemberRankPerItem;
        });
    }
    if (discountType < -1 || discountType > 3) discountType = -1;
    entry.discount = entry.itemRate;

    optionalRead([&] { doctors = db::InitCombox(c, QStringLiteral("主治医生表"), QStringLiteral("医生姓名")); });
    optionalRead([&] { classes = OfferedClasses(c); });
    optionalRead([&] { FillNurseList(c, nurses); });
    optionalRead([&] { refundVisible = RefundSwitchVisible(c); });
    refreshTotals();
    listButtonsOff();
    optionalRead([&] {
        settle::MemberData member;
        settle::LookUpMember(c, patientNumber_, member, memberRate);
    });
}

void StandardReceiptForm::selectDoctor(int index, const QString& entryText)
{
    DoctorFields doctor{header.doctorName, header.doctorNumber, header.department};
    optionalRead([&] { SelectDoctor(*connection_, index, entryText, doctor); });
    header.doctorName = doctor.name;
    header.doctorNumber = doctor.number;
    header.department = doctor.department;
}

void StandardReceiptForm::amountChanged()
{
    if (selectedRow >= 0) modifyEnabled = true;
    if (!amountEditable()) entry.amount = amountOf(entry.itemRate);
    if (discountType != settle::MemberRankPerItem) return;
    const double line = entry.price * entry.quantity;
    if (line == 0.0) return; // nothing to take a rate of
    entry.discount = entry.amount / line;
    // Two decimals, cut rather than rounded; the nudge keeps 0.9 from reading 0.8999….
    entry.itemRate = std::trunc(entry.discount * 100.0 + 1e-9) * 0.01;
    if (entry.itemRate > 1.0) entry.discount = entry.itemRate = 1.0;
    if (entry.itemRate < 0.0) entry.discount = entry.itemRate = 0.0;
}

void StandardReceiptForm::discountStepped(int steps)
{
    if (entry.discount > 0.0 && entry.discount <= 1.0) entry.discount += steps * 0.01;
    if (entry.discount >= 1.0) entry.discount = 1.0;
    if (entry.discount < 0.0) entry.discount = 0.0;
    entry.itemRate = entry.discount;
    entry.amount = amountOf(entry.itemRate);
}

void StandardReceiptForm::discountLeft()
{
    if (discountType != settle::MemberRankPerItem) return;
    entry.itemRate = entry.discount;
    entry.amount = amountOf(entry.itemRate);
}

bool StandardReceiptForm::discountTypeChanged(int type, std::optional<double> approvedRate)
{
    if (type < 0 || type > 3) return false;
    double rate = entry.itemRate;
    if (type == settle::LeaderApprovedRate) {
        if (!approvedRate || !settle::isApprovedRate(*approvedRate)) return false;
        rate = *approvedRate;
    } else if (type == settle::VipMemberRate) {
        rate = memberRate;
    }
    discountType = type;
    if (rateFieldShown()) entry.discount = entry.itemRate = rate;
    settle::ChangeStandardDiscountType(items.lines(), type, rate);
    refreshTotals();
    return true;
}

void StandardReceiptForm::refreshTotals()
{
    const settle::ItemTotals t = totalsOf(items);
    actualTotal = t.discounted;
    receivableTotal = t.undiscounted;
}

StandardReceiptForm::Ending StandardReceiptForm::submit()
{
    Prompter& prompter = Prompter::current();
    if (header.doctorName.isEmpty() || header.department.isEmpty() || header.doctorNumber.isEmpty()) {
        prompter.inform(QStringLiteral("请填写医生、科室或医生编号!"));
        return Ending::Stay;
    }
    if (receiptRead_.failed()) {
        // Saving lines never read would overwrite the stored ones and their total.
        lastFailure = receiptRead_.failure();
        prompter.inform(receiptRead_.message());
        return Ending::Stay;
    }
    db::Connection& c = *connection_;
    try {
        refreshTotals();
        if (header.refund == 1 && actualTotal > amountReceived(c, header.caseNumber, patientNumber_) &&
            !prompter.ask(QStringLiteral("要退费的金额超过实际已收的金额，是否继续退费？")))
            return Ending::Stay;
        StandardReceiptHeader h = header;
        h.discountType = discountType;
        h.discountValue = entry.itemRate;
        const SavedLines saved = writeStandardReceipt(c, h, items);
        items.markSaved(saved.newIds);
        header.id = saved.id;
        optionalRead([&] { header.loaded = loadStandardReceiptRow(c, saved.id); });
        return Ending::Accept;
    } catch (const SaveConflict& e) {
        // Another desk's work wins; it is shown so the cashier can redo theirs on top of it.
        lastFailure = e.message();
        prompter.inform(db::kChangedElsewhere);
        loadReceipt();
        refreshTotals();
        listButtonsOff();
        return Ending::Stay;
    } catch (const db::Error& e) {
        // The header and every line are rolled back together; the list stays as it was.
        lastFailure = e.message();
        prompter.inform(failedWrite);
        return Ending::Stay;
    }
}

} // namespace receipt
