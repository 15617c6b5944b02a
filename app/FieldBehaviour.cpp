#include "app/FieldBehaviour.h"
#include "common/Money.h"
#include <QAbstractSpinBox>
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
