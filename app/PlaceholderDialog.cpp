#include "app/PlaceholderDialog.h"
#include "app/LastError.h"
#include "common/Settings.h"
#include <QCheckBox>
#include <QDateTime>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

PlaceholderDialog::PlaceholderDialog(int resourceNumber, const QString& title) : Dialog(resourceNumber, title)
{
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("对话框 %1 “%2”").arg(resourceNumber).arg(title), this);
    layout->addWidget(note);
    form_ = new QFormLayout;
    layout->addLayout(form_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setDefault(true);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &Dialog::reject);
}

namespace {
QString display(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime) return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return value.toString();
}
} // namespace

void PlaceholderDialog::addField(const QString& label, const QVariant& value)
{
    values_[label] = value;
    auto* edit = new QLineEdit(display(value), this);
    edit->setReadOnly(true);
    edit->setAccessibleName(label);
    edits_[label] = edit;
    form_->addRow(label, edit);
}

void PlaceholderDialog::setField(const QString& label, const QVariant& value)
{
    if (!values_.contains(label)) {
        addField(label, value);
        return;
    }
    values_[label] = value;
    edits_[label]->setText(display(value));
}

QVariant PlaceholderDialog::field(const QString& label) const { return values_.value(label); }

void PlaceholderDialog::addOption(const QString& label, bool checked)
{
    auto* box = new QCheckBox(label, this);
    box->setChecked(checked);
    options_[label] = box;
    form_->addRow(box);
}

bool PlaceholderDialog::option(const QString& label) const
{
    const QCheckBox* box = options_.value(label);
    return box && box->isChecked();
}

QString PlaceholderDialog::notAvailableText(const QString& title)
{
    return QStringLiteral("“%1”对话框尚不可用，操作已取消。").arg(title);
}

void PlaceholderDialog::initDialog()
{
    if (readsReceiptTitle_) {
        settings::readReceiptTitle(receiptTitle_);
        addField(QStringLiteral("收据标题"), receiptTitle_);
    }
    if (readsFeeDiscout_) {
        settings::readFeeDiscout(feeDiscout_);
        addField(QStringLiteral("折扣方式"), feeDiscout_);
    }
    // Nothing the real dialog would do is done here, so nothing may be reported as done: the
    // call ends as cancelled, and the host learns why.
    setLastError(QStringLiteral("dialog %1 \"%2\" is not available; the call was cancelled")
                     .arg(resourceNumber())
                     .arg(windowTitle()));
    inform(notAvailableText(windowTitle()));
    endDialog(IDCANCEL);
}

} // namespace app
