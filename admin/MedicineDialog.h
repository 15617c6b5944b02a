#pragma once
#include "admin/MedicineStock.h"
#include <QDialog>
#include <QList>
#include <memory>
#include <optional>

namespace Ui
{
class MedicineDialog;
}

// "药品和库存": the medicine catalogue, stock intake (材料入库) and what the stock holds. The
// widgets carry the fields; medicines:: checks and writes, and every refusal is shown in 提示.
class MedicineDialog : public QDialog
{
    Q_OBJECT
  public:
    // `cashier` is who signs the intakes (经手人).
    MedicineDialog(db::ConnectionPtr connection, const QString& cashier, QWidget* parent = nullptr);
    ~MedicineDialog() override;

  private:
    void reload();
    std::optional<medicines::Medicine> selected();
    medicines::MedicineInput fields() const;
    void showMedicine(const medicines::MedicineInput& m);

    std::unique_ptr<Ui::MedicineDialog> ui_;
    db::ConnectionPtr connection_;
    QString cashier_;
    QList<medicines::Medicine> medicines_;
};
