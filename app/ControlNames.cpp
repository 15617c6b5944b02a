#include "app/ControlNames.h"
#include <QAbstractButton>
#include <QBoxLayout>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QWidget>

namespace app {

QString normalizeLabel(const QString& label)
{
    static const QRegularExpression mnemonic(QStringLiteral("[(（]&.[)）]"));
    QString s = label;
    s.remove(mnemonic);
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == QLatin1Char('&')) {
            if (i + 1 < s.size() && s.at(i + 1) == QLatin1Char('&')) {
                out += c;
                ++i;
            }
            continue;
        }
        if (c.isSpace()) continue;
        out += c;
    }
    while (out.endsWith(QLatin1Char(':')) || out.endsWith(QChar(0xFF1A))) out.chop(1);
    return out;
}

bool sameLabel(const QString& a, const QString& b) { return normalizeLabel(a) == normalizeLabel(b); }

namespace {

void nameField(QWidget* field, const QString& label)
{
    if (!field || qobject_cast<QLabel*>(field) || !field->accessibleName().isEmpty()) return;
    const QString text = label.trimmed();
    if (!text.isEmpty()) field->setAccessibleName(text);
}

// The widget a layout shows right after (or, in a grid, right of) the label.
QWidget* fieldBeside(QLayout* layout, QLabel* label)
{
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        int row = -1;
        QFormLayout::ItemRole role;
        form->getWidgetPosition(label, &row, &role);
        if (row >= 0 && role == QFormLayout::LabelRole)
            if (auto* item = form->itemAt(row, QFormLayout::FieldRole)) return item->widget();
        return nullptr;
    }
    const int index = layout->indexOf(label);
    if (index < 0) return nullptr;
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        if (auto* item = grid->itemAtPosition(row, column + columnSpan)) return item->widget();
        return nullptr;
    }
    if (qobject_cast<QBoxLayout*>(layout)) {
        if (auto* item = layout->itemAt(index + 1)) return item->widget();
    }
    return nullptr;
}

QLayout* layoutHolding(QWidget* root, QWidget* w)
{
    for (QLayout* l : root->findChildren<QLayout*>())
        if (l->indexOf(w) >= 0) return l;
    return nullptr;
}

} // namespace

void nameControlsByLabels(QWidget* root)
{
    if (!root) return;
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (label->buddy()) {
            nameField(label->buddy(), label->text());
        } else if (QLayout* l = layoutHolding(root, label)) {
            nameField(fieldBeside(l, label), label->text());
        }
    }
    for (QGroupBox* box : root->findChildren<QGroupBox*>())
        if (box->accessibleName().isEmpty() && !box->title().isEmpty()) box->setAccessibleName(box->title());
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (b->accessibleName().isEmpty() && !b->text().isEmpty()) b->setAccessibleName(b->text());
}

} // namespace app
