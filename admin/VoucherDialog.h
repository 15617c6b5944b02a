#pragma once
#include "admin/VoucherRegister.h"
#include <QDialog>
#include <QList>
#include <memory>
#include <optional>

namespace Ui
{
class VoucherDialog;
}

// "消费券/卡": issue vouchers and money cards, and see what is left on one and where it was
// spent. The widgets carry the fields; vouchers:: checks and writes, refusals go to 提示.
class VoucherDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit VoucherDialog(db::ConnectionPtr connection, QWidget* parent = nullptr);
    ~VoucherDialog() override;

  private:
    void reload();
    void showCard(int row);
    std::optional<vouchers::Card> selected();

    std::unique_ptr<Ui::VoucherDialog> ui_;
    db::ConnectionPtr connection_;
    QList<vouchers::Card> cards_;
};
