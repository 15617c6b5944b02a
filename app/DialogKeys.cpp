#include "app/DialogKeys.h"
#include <QCoreApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegularExpression>

namespace app {

QString bareLabel(const QString& text)
{
    static const QRegularExpression mnemonic(QStringLiteral("\\(&.\\)|&|\\s|\u3000"));
    return QString(text).remove(mnemonic);
}

namespace {

QPushButton* buttonLabelled(QDialog* dialog, const QString& label)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (!b->isHidden() && bareLabel(b->text()) == label) return b;
    return nullptr;
}

class FormKeys : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress) return false;
        auto* dialog = static_cast<QDialog*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Cancel)) {
            if (QAbstractButton* b = closingButton(dialog)) {
                if (b->isEnabled()) b->click();
            } else {
                dialog->reject();
            }
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier)) {
            if (auto* b = qobject_cast<QPushButton*>(dialog->focusWidget()); b && b->isEnabled())
                b->click();
            else {
                // As Tab does: the next field in the dialog's own order.
                QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
                QCoreApplication::sendEvent(dialog, &tab);
            }
            return true;
        }
        return false;
    }
};

} // namespace

void useFormKeys(QDialog* dialog)
{
    // Keys a field does not take itself reach the dialog; the filter sees them there first.
    dialog->installEventFilter(new FormKeys(dialog));
}

QPushButton* chooseMainButton(QDialog* dialog)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->isDefault()) return b;
    for (const char* label : {"确定", "提交", "结帐", "保存", "统计"})
        if (QPushButton* b = buttonLabelled(dialog, QString::fromUtf8(label))) {
            b->setDefault(true);
            return b;
        }
    return nullptr;
}

void dropStrayDefault(QDialog* dialog)
{
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->isDefault() && !b->hasFocus()) b->setDefault(false);
}

QAbstractButton* closingButton(QDialog* dialog)
{
    for (const char* label : {"关闭", "取消"})
        if (QPushButton* b = buttonLabelled(dialog, QString::fromUtf8(label))) return b;
    return nullptr;
}

} // namespace app
