#pragma once
#include "app/Dialog.h"
#include <memory>
#include <optional>

namespace Ui {
class PasswordDialog;
}

// "密码验证": the password of a voucher, asked while it is verified.
class PasswordDialog : public app::Dialog {
    Q_OBJECT
public:
    explicit PasswordDialog(QWidget* parent = nullptr);
    ~PasswordDialog() override;

    // Runs the dialog: the typed text, nothing when it was cancelled.
    static std::optional<QString> ask(QWidget* parent);

private:
    std::unique_ptr<Ui::PasswordDialog> ui_;
};
