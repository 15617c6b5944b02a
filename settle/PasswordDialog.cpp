#include "settle/PasswordDialog.h"
#include "ui_PasswordDialog.h"

PasswordDialog::PasswordDialog(QWidget* parent)
    : app::Dialog(0, QStringLiteral("密码验证"), parent), ui_(std::make_unique<Ui::PasswordDialog>())
{
    ui_->setupUi(this);
    ui_->okButton->setDefault(true);
    connect(ui_->okButton, &QPushButton::clicked, this, &app::Dialog::accept);
    connect(ui_->cancelButton, &QPushButton::clicked, this, &app::Dialog::reject);
}

PasswordDialog::~PasswordDialog() = default;

std::optional<QString> PasswordDialog::ask(QWidget* parent)
{
    PasswordDialog d(parent);
    if (d.runModal() != app::IDOK) return std::nullopt;
    return d.ui_->passwordEdit->text();
}
