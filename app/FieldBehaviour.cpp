#include "app/FieldBehaviour.h"
#include "common/Money.h"
#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QDateTimeEdit>
#include <QKeyEvent>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QTextEdit>
#include <QTimer>

namespace app {

namespace {

const char* const amountProperty = "amount";
// Remembers a field's own focus policy while it is read-only, to give it back afterwards.
const char* const editableFocusProperty = "_calvane_editable_focus";
const char* const filteredProperty = "_calvane_fields";
const char* const enterButtonProperty = "enterButton";

bool isReadOnly(const QWidget* w)
{
    if (auto* e = qobject_cast<const QLineEdit*>(w)) return e->isReadOnly();
    if (auto* e = qobject_cast<const QTextEdit*>(w)) return e->isReadOnly();
    if (auto* e = qobject_cast<const QPlainTextEdit*>(w)) return e->isReadOnly();
    if (auto* e = qobject_cast<const QAbstractSpinBox*>(w)) return e->isReadOnly();
    return false;
}

bool takesReadOnly(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

void showReadOnly(QWidget* w)
{
    const bool readOnly = isReadOnly(w);
    const QVariant kept = w->property(editableFocusProperty);
    if (readOnly) {
        if (!kept.isValid()) w->setProperty(editableFocusProperty, int(w->focusPolicy()));
        w->setFocusPolicy(Qt::NoFocus);
    } else if (kept.isValid()) {
        w->setFocusPolicy(Qt::FocusPolicy(kept.toInt()));
        w->setProperty(editableFocusProperty, QVariant());
    }
    // The field's background as the window's: what cannot be typed into does not look like a
    // place to type.
    QPalette p = w->palette();
    const QPalette standard = w->parentWidget() ? w->parentWidget()->palette() : QPalette();
    p.setBrush(QPalette::Base, readOnly ? standard.brush(QPalette::Window) : standard.brush(QPalette::Base));
    w->setPalette(p);
}

void showTwoDecimals(QLineEdit* e)
{
    double value = 0;
    if (!money::parseAmount(e->text(), value)) return; // the dialog's own check will say why
    const QString shown = money::format2(value);
    if (shown != e->text()) e->setText(shown);
}

class FieldBehaviour : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* w = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::ReadOnlyChange: showReadOnly(w); break;
        case QEvent::FocusIn:
            if (auto* e = qobject_cast<QLineEdit*>(w); e && isAmountField(e) && !e->isReadOnly()) {
                // After the press that gave the focus has placed the cursor.
                QTimer::singleShot(0, e, [p = QPointer<QLineEdit>(e)] {
                    if (p && p->hasFocus()) p->selectAll();
                });
            }
            break;
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) break;
            if (w->property(enterButtonProperty).isValid()) {
                // Enter after what the field asks for does what the field is for (a voucher
                // number is verified), not what the dialog's main button does.
                auto* b = w->window()->findChild<QAbstractButton*>(w->property(enterButtonProperty).toString());
                if (b && b->isVisible() && b->isEnabled()) b->click();
                return true;
            }
            if (auto* d = qobject_cast<QDateTimeEdit*>(w)) {
                // A date typed and confirmed is taken; it does not settle the document.
                d->interpretText();
                return true;
            }
            break;
        }
        case QEvent::FocusOut:
            if (auto* e = qobject_cast<QLineEdit*>(w); e && isAmountField(e) && !e->isReadOnly()) showTwoDecimals(e);
            break;
        default: break;
        }
        return false;
    }
};

} // namespace

bool isAmountField(const QWidget* widget)
{
    return qobject_cast<const QLineEdit*>(widget) && widget->property(amountProperty).toBool();
}

void makeViewOnly(QWidget* root)
{
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (auto* e = qobject_cast<QLineEdit*>(w)) e->setReadOnly(true);
        else if (auto* e = qobject_cast<QTextEdit*>(w)) e->setReadOnly(true);
        else if (auto* e = qobject_cast<QPlainTextEdit*>(w)) e->setReadOnly(true);
        else if (auto* e = qobject_cast<QAbstractSpinBox*>(w)) e->setReadOnly(true);
        else if (qobject_cast<QComboBox*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w))
            w->setEnabled(false);
    }
}

void applyFieldBehaviour(QWidget* root)
{
    // One filter per dialog, made once however often the dialog runs.
    const QString name = QStringLiteral("calvane_field_behaviour");
    QObject* behaviour = root->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
    if (!behaviour) {
        behaviour = new FieldBehaviour(root);
        behaviour->setObjectName(name);
    }
    // A sign, digits and one decimal point, as they are typed.
    static const QRegularExpression amountText(QStringLiteral("-?[0-9]*\\.?[0-9]*"));
    const auto widgets = root->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        if (!takesReadOnly(w)) continue;
        if (!w->property(filteredProperty).toBool()) {
            w->installEventFilter(behaviour);
            w->setProperty(filteredProperty, true);
            if (auto* e = qobject_cast<QLineEdit*>(w); e && isAmountField(e) && !e->validator())
                e->setValidator(new QRegularExpressionValidator(amountText, e));
        }
        showReadOnly(w);
    }
}

} // namespace app
