#pragma once
#include "admin/CashierRegister.h"
#include <QDialog>
#include <optional>
#include <memory>

namespace Ui {
class CashierDialog;
}

// "收款员设置": the manager's list of cashiers. The widgets only carry names and choices; the
// rules and the guarded writes are cashiers::, and every refusal is shown in 提示.
class CashierDialog : public QDialog {
    Q_OBJECT
public:
    explicit CashierDialog(db::ConnectionPtr connection, QWidget* parent = nullptr);
    ~CashierDialog() override;

private:
    void reload();
    // The selected row as it was loaded, or nothing (with a note) when none is selected.
    std::optional<cashiers::Cashier> selected();
    void report(const cashiers::Outcome& o, const QString& done);

    std::unique_ptr<Ui::CashierDialog> ui_;
    db::ConnectionPtr connection_;
    QList<cashiers::Cashier> rows_;
};
