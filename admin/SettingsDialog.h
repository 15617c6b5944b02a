#pragma once
#include "admin/ClinicSettings.h"
#include <QDialog>
#include <memory>

namespace Ui
{
class SettingsDialog;
}

// "折扣和会员设置": the switches the discount, checkout, member and stock rules read, each
// labelled with what it does. clinicsettings:: checks and writes; refusals go to 提示.
class SettingsDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit SettingsDialog(db::ConnectionPtr connection, QWidget* parent = nullptr);
    ~SettingsDialog() override;

  private:
    void reload();
    void showSettings(const clinicsettings::Settings& s);
    clinicsettings::Settings fields() const;

    std::unique_ptr<Ui::SettingsDialog> ui_;
    db::ConnectionPtr connection_;
    clinicsettings::Loaded loaded_;
};
