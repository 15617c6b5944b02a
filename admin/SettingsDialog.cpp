#include "admin/SettingsDialog.h"
#include "admin/ChangeRun.h"
#include "app/DialogKeys.h"
#include "ui_SettingsDialog.h"

using namespace Qt::StringLiterals;

SettingsDialog::SettingsDialog(db::ConnectionPtr connection, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::SettingsDialog>()), connection_(std::move(connection))
{
    ui_->setupUi(this);
    app::useFormKeys(this);
    ui_->policyEdit->addItems(clinicsettings::policyNames());
    ui_->volumeKindEdit->addItems({u"按本次收费打折"_s, u"按累计收费打折"_s});
    connect(ui_->saveButton, &QPushButton::clicked, this, [this] {
        // A refused entry stays on screen to be corrected; what another desk saved is shown.
        bool fresh = true;
        admin::runChange(
            ui_->note,
            [&] {
                const clinicsettings::Outcome o = clinicsettings::save(*connection_, loaded_, fields());
                fresh = o.ok || o.message == clinicsettings::kChangedElsewhere;
                return o;
            },
            u"设置已保存。"_s,
            [&] {
                if (fresh)
                    reload();
            });
    });
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    admin::runChange(
        ui_->note,
        [] {
            return clinicsettings::Outcome{true, QString(), 0};
        },
        QString(), [this] { reload(); });
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::reload()
{
    loaded_ = clinicsettings::load(*connection_);
    showSettings(loaded_.settings);
}

void SettingsDialog::showSettings(const clinicsettings::Settings& s)
{
    ui_->policyEdit->setCurrentIndex(s.policy >= 0 && s.policy < ui_->policyEdit->count() ? s.policy : -1);
    ui_->discountsCheck->setChecked(s.discounts);
    ui_->memberRanksCheck->setChecked(s.memberRanks);
    ui_->feeVolumeCheck->setChecked(s.feeVolume);
    ui_->volumeKindEdit->setCurrentIndex(s.feeVolumeCumulative ? 1 : 0);
    ui_->membersOnlyCheck->setChecked(s.feeVolumeMembersOnly);
    ui_->moneyCardsCheck->setChecked(s.moneyCards);
    ui_->cardOnlyCheck->setChecked(s.cardOnlyDiscountable);
    ui_->otherFreeCheck->setChecked(s.otherFree);
    ui_->refundCheck->setChecked(s.refundSwitch);
    ui_->prepayCheck->setChecked(s.feeToPrepay);
    ui_->percentEdit->setText(s.feeToPrepayPercent);
    ui_->pointsCheck->setChecked(s.points);
    ui_->stockCheck->setChecked(s.stockKept);
}

clinicsettings::Settings SettingsDialog::fields() const
{
    clinicsettings::Settings s;
    s.policy = ui_->policyEdit->currentIndex();
    s.discounts = ui_->discountsCheck->isChecked();
    s.memberRanks = ui_->memberRanksCheck->isChecked();
    s.feeVolume = ui_->feeVolumeCheck->isChecked();
    s.feeVolumeCumulative = ui_->volumeKindEdit->currentIndex() == 1;
    s.feeVolumeMembersOnly = ui_->membersOnlyCheck->isChecked();
    s.moneyCards = ui_->moneyCardsCheck->isChecked();
    s.cardOnlyDiscountable = ui_->cardOnlyCheck->isChecked();
    s.otherFree = ui_->otherFreeCheck->isChecked();
    s.refundSwitch = ui_->refundCheck->isChecked();
    s.feeToPrepay = ui_->prepayCheck->isChecked();
    s.feeToPrepayPercent = ui_->percentEdit->text();
    s.points = ui_->pointsCheck->isChecked();
    s.stockKept = ui_->stockCheck->isChecked();
    return s;
}
