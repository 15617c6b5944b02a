#include "receipt/CategoryAmountFields.h"
#include "common/Money.h"
#include "controls/FieldText.h"
#include <cmath>
#include <stdexcept>

void CategoryAmountFields::bind(QWidget* dialog, QObject* watcher)
{
    for (int i = 0; i < receipt::CategoryCount; ++i) {
        const QString n = QString::number(i + 1);
        labels_[size_t(i)] = dialog->findChild<QLabel*>(QStringLiteral("amountLabel") + n);
        edits_[size_t(i)] = dialog->findChild<QLineEdit*>(QStringLiteral("amountEdit") + n);
        if (!labels_[size_t(i)] || !edits_[size_t(i)]) throw std::logic_error("a dialog without its twelve amounts");
        edits_[size_t(i)]->setObjectName(receipt::categoryColumn(i));
        if (watcher) edits_[size_t(i)]->installEventFilter(watcher);
    }
}

void CategoryAmountFields::setLabels(const receipt::CategoryLabels& labels)
{
    for (int i = 0; i < receipt::CategoryCount; ++i) labels_[size_t(i)]->setText(labels[size_t(i)]);
}

QLineEdit* CategoryAmountFields::read(receipt::CategoryAmounts& out) const
{
    receipt::CategoryAmounts amounts{};
    for (int i = 0; i < receipt::CategoryCount; ++i)
        if (!money::parseAmount(edits_[size_t(i)]->text(), amounts[size_t(i)]) || !std::isfinite(amounts[size_t(i)]))
            return edits_[size_t(i)];
    out = amounts;
    return nullptr;
}

void CategoryAmountFields::show(const receipt::CategoryAmounts& amounts)
{
    for (int i = 0; i < receipt::CategoryCount; ++i) controls::showAmount(edits_[size_t(i)], amounts[size_t(i)]);
}
