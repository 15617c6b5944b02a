#include "stats/ContentOptionsDialog.h"
#include "ui_ContentOptionsDialog.h"

using namespace Qt::StringLiterals;

ContentOptionsDialog::ContentOptionsDialog(int kind, const QString& first, const QString& second, QWidget* parent)
    : app::Dialog(3023, u"统计内容设置"_s, parent), ui_(std::make_unique<Ui::ContentOptionsDialog>()),
      first_(first), second_(second)
{
    ui_->setupUi(this);
    const stats::OptionCaptions c = stats::captionsFor(kind, first, second);
    ui_->byCategoryRadio->setText(c.byCategory);
    ui_->byItemRadio->setText(c.byItem);
    ui_->byItemRadio->setVisible(c.byItemShown);
    ui_->personCheck->setText(c.countPatients);
    ui_->moneyCheck->setText(c.countMoney);
    (c.itemType == 0 ? ui_->byCategoryRadio : ui_->byItemRadio)->setChecked(true);
    connect(ui_->byCategoryRadio, &QRadioButton::clicked, this, &ContentOptionsDialog::chosen);
    connect(ui_->byItemRadio, &QRadioButton::clicked, this, &ContentOptionsDialog::chosen);
    connect(ui_->okButton, &QPushButton::clicked, this, &app::Dialog::accept);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

ContentOptionsDialog::~ContentOptionsDialog() = default;

void ContentOptionsDialog::chosen()
{
    const QString text = ui_->byCategoryRadio->isChecked() ? first_ : second_;
    ui_->personCheck->setText(stats::countPatientsCaption(text));
    ui_->moneyCheck->setText(stats::countMoneyCaption(text));
}

stats::ContentOptions ContentOptionsDialog::options() const
{
    return {ui_->byCategoryRadio->isChecked() ? 0 : 1, ui_->personCheck->isChecked() ? 1 : 0,
            ui_->moneyCheck->isChecked() ? 1 : 0};
}
