#include "print/BeijingReceiptDialog.h"
#include "app/LastError.h"
#include "common/Money.h"
#include "ui_BeijingReceiptDialog.h"
#include <QApplication>
#include <QEvent>
#include <cmath>

using namespace Qt::StringLiterals;
using beijing::BeijingReceiptForm;
using beijing::Edition;
using beijing::ItemCount;

namespace {

bool isClinic(const BeijingReceiptForm::Inputs& in) { return in.edition == Edition::Clinic; }

} // namespace

BeijingReceiptDialog::BeijingReceiptDialog(const BeijingReceiptForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(isClinic(inputs) ? 3017 : 3029, isClinic(inputs) ? u"北京门诊收费专用收据"_s : u"北京市门诊收费专用收据"_s,
                  parent),
      ui_(std::make_unique<Ui::BeijingReceiptDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    setWindowTitle(isClinic(inputs) ? u"北京门诊收费专用收据"_s : u"北京市门诊收费专用收据"_s);
    itemLabels_ = {ui_->itemLabel1,  ui_->itemLabel2,  ui_->itemLabel3,  ui_->itemLabel4,  ui_->itemLabel5,
                   ui_->itemLabel6,  ui_->itemLabel7,  ui_->itemLabel8,  ui_->itemLabel9,  ui_->itemLabel10,
                   ui_->itemLabel11, ui_->itemLabel12, ui_->itemLabel13, ui_->itemLabel14, ui_->itemLabel15,
                   ui_->itemLabel16, ui_->itemLabel17, ui_->itemLabel18, ui_->itemLabel19};
    itemEdits_ = {ui_->itemEdit1,  ui_->itemEdit2,  ui_->itemEdit3,  ui_->itemEdit4,  ui_->itemEdit5,
                  ui_->itemEdit6,  ui_->itemEdit7,  ui_->itemEdit8,  ui_->itemEdit9,  ui_->itemEdit10,
                  ui_->itemEdit11, ui_->itemEdit12, ui_->itemEdit13, ui_->itemEdit14, ui_->itemEdit15,
                  ui_->itemEdit16, ui_->itemEdit17, ui_->itemEdit18, ui_->itemEdit19};
    const QStringList& labels = beijing::itemLabels(inputs.edition);
    for (int i = 0; i < ItemCount; ++i) {
        itemLabels_[i]->setText(labels[i]);
        itemEdits_[i]->setObjectName(u"ReceiptItem%1"_s.arg(i + 1));
        itemEdits_[i]->installEventFilter(this);
    }
    if (const int hidden = beijing::hiddenIndex(inputs.edition); hidden >= 0) {
        itemLabels_[hidden]->hide();
        itemEdits_[hidden]->hide();
    }
    const bool clinic = isClinic(inputs);
    ui_->captionLabel->setText(clinic ? u"北京口腔门诊收费专用收据"_s : u"北京市门诊收费专用收据"_s);
    ui_->capitalLabel->setText(clinic ? u"人民币大写"_s : u"人民币(大写)"_s);
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->payeeLabel, ui_->payeeCombo, ui_->ticketLabel, ui_->ticketEdit,
                                                      ui_->caseLabel, ui_->caseEdit})
        w->setVisible(clinic);
    ui_->noLabel->setVisible(!clinic);
    ui_->noEdit->setVisible(!clinic);
    if (!clinic) ui_->okButton->setText(u"结   帐"_s);
    connect(ui_->okButton, &QPushButton::clicked, this, &BeijingReceiptDialog::confirm);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

BeijingReceiptDialog::~BeijingReceiptDialog() = default;

void BeijingReceiptDialog::initDialog()
{
    form_ = std::make_unique<BeijingReceiptForm>(connectionPtr(), inputs_);
    if (!connectionPtr()) return;
    form_->open();
    ui_->payeeCombo->addItems(form_->payees);
    ui_->payeeCombo->setCurrentIndex(-1);
    showFields();
}

bool BeijingReceiptDialog::takeItems(beijing::Items& items)
{
    if (!form_ || taking_) return false;
    for (int i = 0; i < ItemCount; ++i) {
        if (!money::parseAmount(itemEdits_[i]->text(), items[i]) || !std::isfinite(items[i])) {
            taking_ = true;
            inform(u"请输入一个数字。"_s);
            taking_ = false;
            itemEdits_[i]->setFocus();
            itemEdits_[i]->selectAll();
            return false;
        }
    }
    form_->payer = ui_->payerEdit->text();
    form_->payee = ui_->payeeCombo->currentText();
    form_->secondText = isClinic(inputs_) ? form_->secondText : ui_->noEdit->text();
    form_->date = ui_->dateEdit->dateTime();
    return true;
}

void BeijingReceiptDialog::showFields()
{
    if (!form_) return;
    for (int i = 0; i < ItemCount; ++i) {
        double shown = 0.0;
        if (!money::parseAmount(itemEdits_[i]->text(), shown) || shown != form_->items[i] || itemEdits_[i]->text().isEmpty())
            itemEdits_[i]->setText(money::format2(form_->items[i]));
    }
    ui_->totalEdit->setText(money::format2(form_->total));
    ui_->capitalEdit->setText(form_->capital);
    ui_->payerEdit->setText(form_->payer);
    ui_->payeeCombo->setEditText(form_->payee);
    ui_->ticketEdit->setText(QString::number(form_->ticketNumber));
    ui_->caseEdit->setText(isClinic(inputs_) ? form_->secondText : QString());
    ui_->noEdit->setText(isClinic(inputs_) ? QString() : form_->secondText);
    ui_->cashierEdit->setText(form_->cashier);
    ui_->dateEdit->setDateTime(form_->date);
}

bool BeijingReceiptDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && isRunning() && QApplication::focusWidget() != ui_->okButton) itemLeft();
    return app::Dialog::eventFilter(watched, event);
}

void BeijingReceiptDialog::itemLeft()
{
    beijing::Items items{};
    if (!takeItems(items)) return;
    changeItems(items);
    showFields();
}

bool BeijingReceiptDialog::changeItems(const beijing::Items& items)
{
    // A refused split's message box takes the focus from the field, which would check the same
    // split again and say it twice.
    taking_ = true;
    const bool taken = form_->itemsChanged(items);
    taking_ = false;
    return taken;
}

void BeijingReceiptDialog::confirm()
{
    beijing::Items items{};
    if (!takeItems(items)) return;
    // The split as typed last: a refused one leaves the kept split, shown, and no save.
    const bool taken = changeItems(items);
    showFields();
    if (!taken) return;
    const BeijingReceiptForm::Ending ending = form_->confirm();
    if (!form_->failure().isEmpty())
        app::setLastError(isClinic(inputs_) ? "BeijingReceiptPrint" : "BeijingReceiptPrint1", form_->failure());
    showFields();
    if (ending == BeijingReceiptForm::Ending::Accept) accept();
}
