#include "stats/PaymentStatisticsDialog.h"
#include "print/PrintRun.h"
#include "stats/ResultExport.h"
#include "ui_PaymentStatisticsDialog.h"

using namespace Qt::StringLiterals;

PaymentStatisticsDialog::PaymentStatisticsDialog(const stats::PaymentStatisticsForm::Inputs& inputs, QWidget* parent)
    : app::Dialog(3011, u"缴款统计"_s, parent), ui_(std::make_unique<Ui::PaymentStatisticsDialog>()), inputs_(inputs)
{
    ui_->setupUi(this);
    ui_->modeCombo->addItems({u"按标准收费统计"_s, u"按非标准收费统计"_s});
    // The day's category receipts are what every clinic writes: 统 计 counts them unless the
    // cashier picks the standard items.
    ui_->modeCombo->setCurrentIndex(stats::PaymentStatisticsForm::ByCategory);
    ui_->cashierEdit->setText(inputs.cashier);
    // The list's columns start under the captions above it.
    const int width = ui_->caption1->minimumWidth();
    ui_->resultList->setTabStop(0, 2);
    for (int k = 1; k < 6; ++k) ui_->resultList->setTabStop(k, width * k);
    connect(ui_->statButton, &QPushButton::clicked, this, &PaymentStatisticsDialog::statistics);
    connect(ui_->previewButton, &QPushButton::clicked, this, &PaymentStatisticsDialog::preview);
    connect(ui_->printButton, &QPushButton::clicked, this, &PaymentStatisticsDialog::print);
    connect(ui_->csvButton, &QPushButton::clicked, this, &PaymentStatisticsDialog::saveCsv);
    connect(ui_->pdfButton, &QPushButton::clicked, this, &PaymentStatisticsDialog::savePdf);
    connect(ui_->closeButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

PaymentStatisticsDialog::~PaymentStatisticsDialog() = default;

void PaymentStatisticsDialog::initDialog()
{
    form_ = std::make_unique<stats::PaymentStatisticsForm>(connectionPtr(), inputs_);
    if (connectionPtr()) form_->open();
    ui_->dateEdit->setDateTime(form_->date);
}

void PaymentStatisticsDialog::takeFields()
{
    form_->date = ui_->dateEdit->dateTime();
    form_->mode = ui_->modeCombo->currentIndex();
    form_->cashier = ui_->cashierEdit->text();
}

void PaymentStatisticsDialog::showLines() { ui_->resultList->setLines(form_->lines); }

void PaymentStatisticsDialog::statistics()
{
    if (!form_) return;
    takeFields();
    const QStringList before = form_->lines;
    if (!guarded([&] {
            if (form_->statistics()) showLines();
            else inform(u"请选择统计方式。"_s);
        })) {
        form_->lines = before;
        inform(u"发生错误!"_s);
    }
}

void PaymentStatisticsDialog::preview()
{
    takeFields();
    printed_ = form_->printForm();
    print::previewPage(stats::drawPaymentForm, this, &printed_);
}

void PaymentStatisticsDialog::print()
{
    takeFields();
    printed_ = form_->printForm();
    print::printPage(stats::drawPaymentForm, this, &printed_);
}

void PaymentStatisticsDialog::saveCsv()
{
    takeFields();
    stats::saveCsv(this, form_->lines, u"缴款统计-%1"_s.arg(form_->date.date().toString(u"yyyyMMdd"_s)));
}

void PaymentStatisticsDialog::savePdf()
{
    takeFields();
    printed_ = form_->printForm();
    stats::savePdf(this, stats::drawPaymentForm, &printed_,
                   u"缴款书-%1"_s.arg(form_->date.date().toString(u"yyyyMMdd"_s)));
}
