#pragma once
#include "admin/PriceList.h"
#include <QDialog>
#include <QList>
#include <memory>
#include <optional>

class QLineEdit;

namespace Ui
{
class PriceDialog;
}

// "收费标准": the fee standard catalogue and the twelve categories' names. The widgets carry
// the fields; prices:: checks and writes, and every refusal is shown in 提示.
class PriceDialog : public QDialog
{
    Q_OBJECT
  public:
    explicit PriceDialog(db::ConnectionPtr connection, QWidget* parent = nullptr);
    ~PriceDialog() override;

  private:
    void reload();
    std::optional<prices::Item> selected();
    prices::ItemInput fields() const;
    void showItem(const prices::ItemInput& item);

    std::unique_ptr<Ui::PriceDialog> ui_;
    db::ConnectionPtr connection_;
    QList<prices::Item> items_;
    prices::CategoryNames names_;
    QList<QLineEdit*> nameEdits_;
};
