#include "receipt/FeeReceiptForm.h"
#include "common/OpeningRead.h"
#include "common/Prompter.h"
#include "common/Money.h"
#include "db/Error.h"

namespace receipt {


FeeReceiptForm::FeeReceiptForm(db::ConnectionPtr connection, const Inputs& inputs)
    : connection_(std::move(connection)), dateFixed_(inputs.dateFixed)
{
    fields.id = inputs.receiptId;
    fields.caseNumber = inputs.caseNumber;
    fields.doctorName = inputs.doctorName;
    fields.department = inputs.department;
    fields.doctorNumber = inputs.doctorNumber;
    fields.patientName = inputs.patientName;
    fields.date = inputs.date;
    fields.nurse = inputs.nurse;
}

void FeeReceiptForm::setNewMode(bool isNew)
{
    submitEnabled = isNew;
    modifyEnabled = deleteEnabled = !isNew;
}

void FeeReceiptForm::open()
{
    db::Connection& c = *connection_;
    optionalRead([&] { LoadReceiptDate(c, fields.date); });
    dateEnabled = dateFixed_ != 1;
    optionalRead([&] { LoadCategoryLabels(c, labels); });
    optionalRead([&] { FillNurseList(c, nurses); });
    optionalRead([&] { refundVisible = RefundSwitchVisible(c); });

    if (fields.id <= 0) {
        setNewMode(true);
    } else {
        optionalRead([&] { setNewMode(!loadReceipt()); });
    }
    optionalRead([&] { FillDoctorList(c, doctors); });
}

bool FeeReceiptForm::loadReceipt()
{
    const auto loaded = loadUnpaidFeeReceipt(*connection_, fields.id, fields.doctorName);
    if (!loaded) return false;
    fields.id = loaded->id;
    fields.amounts = loaded->amounts;
    fields.total = loaded->total;
    fields.remark = loaded->remark;
    fields.department = loaded->department;
    fields.nurse = loaded->nurse;
    fields.refund = loaded->refund;
    fields.patientName = loaded->patientName;
    fields.loaded = loaded->loaded;
    return true;
}

void FeeReceiptForm::selectDoctor(int index, const QString& entryText)
{
    DoctorFields doctor{fields.doctorName, fields.doctorNumber, fields.department};
    optionalRead([&] { SelectDoctor(*connection_, index, entryText, doctor); });
    fields.doctorName = doctor.name;
    fields.doctorNumber = doctor.number;
    fields.department = doctor.department;
}

bool FeeReceiptForm::amountsStorable() const
{
    bool ok = money::isStorable(sumOf(fields.amounts));
    for (const double a : fields.amounts) ok = ok && money::isStorable(a);
    if (!ok) Prompter::current().inform(money::kAmountOutOfRange);
    return ok;
}

FeeReceiptForm::Ending FeeReceiptForm::submit()
{
    Prompter& prompter = Prompter::current();
    amountsChanged();
    if (!amountsStorable()) return Ending::Stay;
    if (fields.doctorName.isEmpty()) {
        prompter.inform(QStringLiteral("请选择医生!"));
        return Ending::Stay;
    }
    if (fields.total <= 0.0 && prompter.ask(QStringLiteral("合计费用为0值,是否重新填写?"))) return Ending::Stay;

    db::Connection& c = *connection_;
    try {
        if (fields.refund == 1 && fields.total > amountReceived(c, fields.caseNumber) &&
            !prompter.ask(QStringLiteral("要退费的金额超过实际已收的金额，是否继续退费？")))
            return Ending::Stay;
        FeeReceipt row = fields;
        row.total = storedTotal(fields.amounts, fields.refund);
        fields.id = addFeeReceipt(c, row);
        fields.total = row.total;
        return Ending::Accept;
    } catch (const db::Error& e) {
        failure_ = e.message();
        Prompter::current().inform(QStringLiteral("收据记录失败,退出!"));
        return Ending::Stay;
    }
}

FeeReceiptForm::Ending FeeReceiptForm::modify()
{
    if (!amountsStorable()) return Ending::Stay;
    // A refund receipt keeps its negative total whatever the amounts shown add up to.
    FeeReceipt row = fields;
    row.total = storedTotal(fields.amounts, fields.refund);
    UpdateResult result = UpdateResult::NotEditable;
    try {
        result = updateFeeReceipt(*connection_, row);
    } catch (const db::Error& e) {
        failure_ = e.message();
        Prompter::current().inform(QStringLiteral("收据修改失败,退出!"));
        return Ending::Stay;
    }
    if (result == UpdateResult::Updated) {
        fields.total = row.total;
        fields.loaded = row.loaded;
        return Ending::Accept;
    }
    if (result == UpdateResult::Changed) {
        // Another desk's edit wins; show it so the cashier can redo theirs on top of it.
        Prompter::current().inform(db::kChangedElsewhere);
        optionalRead([&] { setNewMode(!loadReceipt()); });
        return Ending::Stay;
    }
    Prompter::current().inform(QStringLiteral("收据修改失败,退出!"));
    return Ending::Stay;
}

FeeReceiptForm::Ending FeeReceiptForm::remove()
{
    Prompter& prompter = Prompter::current();
    if (!prompter.ask(QStringLiteral("真的要删除这个收据吗？"))) return Ending::Stay;
    // A receipt settled at the cashier's desk meanwhile is kept, and that is no success.
    bool deleted = false;
    try {
        deleted = deleteFeeReceipt(*connection_, fields.id) != DeleteResult::Settled;
    } catch (const db::Error& e) {
        failure_ = e.message();
    }
    if (!deleted) {
        prompter.inform(QStringLiteral("删除该收据信息时发生错误！"));
        return Ending::Reject;
    }
    fields.amounts.fill(0.0);
    fields.total = 0.0;
    fields.remark.clear();
    setNewMode(true);
    prompter.inform(QStringLiteral("该收据信息已删除！"));
    return Ending::Accept;
}

} // namespace receipt
