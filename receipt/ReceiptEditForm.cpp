#include "receipt/ReceiptEditForm.h"
#include "common/Prompter.h"
#include "common/Settings.h"
#include "db/Error.h"
#include "db/ListFillers.h"
#include "receipt/ReceiptHeader.h"

using namespace Qt::StringLiterals;

namespace receipt {


ReceiptEditForm::ReceiptEditForm(db::ConnectionPtr connection, const Inputs& inputs)
    : connection_(std::move(connection)), loadMode_(inputs.loadMode), hideSettle_(inputs.hideSettle)
{
    fields.id = inputs.receiptId;
    fields.patientName = inputs.patientName;
    fields.treatmentNumber = inputs.treatmentNumber;
    fields.doctorName = inputs.doctorName;
    fields.doctorNumber = inputs.doctorNumber;
    fields.cashier = inputs.cashier;
    fields.date = inputs.date;
}

void ReceiptEditForm::open()
{
    db::Connection& c = *connection_;
    optionalRead([&] { LoadReceiptDate(c, fields.date); });
    optionalRead([&] { LoadCategoryLabels(c, labels); });
    optionalRead([&] { doctors = db::InitCombox(c, u"主治医生表"_s, u"医生姓名"_s); });
    optionalRead([&] { departments = db::InitCombox(c, u"科室表"_s, u"科室"_s); });
    if (loadMode_ == 1) {
        receiptRead_([&] {
            loaded_ = loadReceiptWithPayment(c, fields.id);
            if (!loaded_) return;
            const QDateTime date = fields.date;
            fields = *loaded_;
            fields.date = date;
            paymentVisible = fields.hasPayment;
        });
    } else {
        fields.payState = u"未付"_s;
    }
    settings::readReceiptTitle(receiptTitle);
    settleVisible = hideSettle_ != 1;
}

void ReceiptEditForm::selectDoctor(int index, const QString& entryText)
{
    DoctorFields doctor{fields.doctorName, fields.doctorNumber, fields.department};
    optionalRead([&] { SelectDoctor(*connection_, index, entryText, doctor); });
    fields.doctorName = doctor.name;
    fields.doctorNumber = doctor.number;
    fields.department = doctor.department;
}

ReceiptEditForm::Ending ReceiptEditForm::settle()
{
    Prompter& prompter = Prompter::current();
    failure_.clear();
    if (receiptRead_.failed()) {
        failure_ = receiptRead_.failure();
        prompter.inform(receiptRead_.message());
        return Ending::Stay;
    }
    if (fields.doctorName.isEmpty()) {
        prompter.inform(u"医生信息不应为空!"_s);
        return Ending::Stay;
    }
    // Only a receipt that was loaded is saved over; one that could not be read is not
    // silently added as new.
    if (loadMode_ == 1 && !loaded_) {
        failure_ = u"the receipt could not be read"_s;
    } else {
        try {
            if (!saveReceiptWithPayment(*connection_, fields, loaded_))
                failure_ = u"the receipt or its payment record was changed or removed at another desk"_s;
        } catch (const db::Error& e) {
            failure_ = e.message();
            prompter.inform(e.message());
        }
    }
    if (!failure_.isEmpty()) {
        prompter.inform(loadMode_ == 1 ? u"收据修改失败!"_s : u"收据登记失败!"_s);
        return Ending::Stay;
    }
    return Ending::Accept;
}

} // namespace receipt
