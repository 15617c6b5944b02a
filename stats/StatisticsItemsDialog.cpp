#include "stats/StatisticsItemsDialog.h"
#include "ui_StatisticsItemsDialog.h"

using namespace Qt::StringLiterals;

StatisticsItemsDialog::StatisticsItemsDialog(int reportType, QWidget* parent)
    : app::Dialog(3022, u"统计项目设置"_s, parent), ui_(std::make_unique<Ui::StatisticsItemsDialog>()),
      reportType_(reportType >= 0 && reportType < 2 ? reportType : 0)
{
    ui_->setupUi(this);
    ui_->typeCombo->addItems(stats::reportTypeNames());
    connect(ui_->typeCombo, &QComboBox::activated, this, &StatisticsItemsDialog::load);
    connect(ui_->okButton, &QPushButton::clicked, this, &StatisticsItemsDialog::confirm);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

StatisticsItemsDialog::~StatisticsItemsDialog() = default;

void StatisticsItemsDialog::initDialog() { load(reportType_); }

void StatisticsItemsDialog::load(int reportType)
{
    reportType_ = reportType;
    ui_->typeCombo->setCurrentIndex(reportType);
    loaded_ = {};
    if (connectionPtr() && !guarded([&] { loaded_ = stats::LoadReportChoice(connection(), reportType); }))
        inform(u"发生错误!"_s);
    showChoice();
}

void StatisticsItemsDialog::showChoice()
{
    ui_->standartCheck->setChecked(loaded_.standartItem == 1);
    ui_->nonStandartCheck->setChecked(loaded_.nonStandartItem == 1);
    ui_->moneyCheck->setChecked(loaded_.moneyCard == 1);
    ui_->vipCheck->setChecked(loaded_.vipCard == 1);
    ui_->preferCheck->setChecked(loaded_.preferCard == 1);
}

stats::ReportChoice StatisticsItemsDialog::takeChoice() const
{
    stats::ReportChoice c = loaded_;
    c.standartItem = ui_->standartCheck->isChecked() ? 1 : 0;
    c.nonStandartItem = ui_->nonStandartCheck->isChecked() ? 1 : 0;
    c.moneyCard = ui_->moneyCheck->isChecked() ? 1 : 0;
    c.vipCard = ui_->vipCheck->isChecked() ? 1 : 0;
    c.preferCard = ui_->preferCheck->isChecked() ? 1 : 0;
    return c;
}

void StatisticsItemsDialog::confirm()
{
    const stats::ReportChoice choice = takeChoice();
    bool saved = false;
    if (!guarded([&] { saved = stats::SaveReportChoice(connection(), reportType_, loaded_, choice); })) {
        inform(u"发生错误!"_s);
        return;
    }
    if (!saved) {
        // Another workstation changed these settings since they were read: show theirs.
        inform(u"该设置已被其他工作站修改，请重新设置!"_s);
        load(reportType_);
        return;
    }
    detail_ = choice.standartItem == 1;
    accept();
}
