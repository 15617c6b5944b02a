#include "app/ControlDriver.h"
#include "common/ShortQuote.h"
#include "app/ControlNames.h"
#include "app/FieldBehaviour.h"
#include "common/Money.h"
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextEdit>
#include <QTreeView>
#include <cmath>

// Exported by Qt Gui for its test library: offers a key to the shortcut map first, as a real
// key press does.
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace app::control {

namespace {

[[noreturn]] void refuse(const QString& reason) { throw StepRefused{reason}; }

QString nameOf(QWidget* w)
{
    const QString name = w->accessibleName();
    if (!name.isEmpty()) return name;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return QString::fromLatin1(w->metaObject()->className());
}

bool matches(QWidget* w, const QString& wanted)
{
    if (qobject_cast<QLabel*>(w)) return false;
    if (!w->accessibleName().isEmpty() && normalizeLabel(w->accessibleName()) == wanted) return true;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return normalizeLabel(b->text()) == wanted;
    if (auto* g = qobject_cast<QGroupBox*>(w)) return normalizeLabel(g->title()) == wanted;
    return false;
}

bool hasFocusWithin(QWidget* w)
{
    QWidget* f = QApplication::focusWidget();
    return f && (f == w || w->isAncestorOf(f));
}

void enter(QWidget* w)
{
    w->setFocus(Qt::TabFocusReason);
    if (!hasFocusWithin(w)) { // the window is not active: tell the control anyway
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(w, &in);
    }
}

void leave(QWidget* w)
{
    if (hasFocusWithin(w)) {
        // Focus goes to the dialog itself, so no other control's handlers run.
        w->window()->setFocus(Qt::TabFocusReason);
        if (hasFocusWithin(w)) w->clearFocus();
    } else {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(w, &out);
    }
}

// An amount field shows what was typed with two decimals once left.
bool shownAsAmount(const QLineEdit* edit, const QString& typed)
{
    double value = 0;
    return isAmountField(edit) && money::parseAmount(typed, value) && edit->text() == money::format2(value);
}

void type(QWidget* w, QLineEdit* edit, const QString& text)
{
    enter(w);
    edit->selectAll();
    edit->insert(text); // as keystrokes: textEdited and textChanged fire
    leave(w);
}

QString itemText(const QModelIndex& index) { return index.data(Qt::DisplayRole).toString(); }

QModelIndex findChild(QAbstractItemModel* model, const QModelIndex& parent, const QString& text)
{
    const int rows = model->rowCount(parent);
    for (int r = 0; r < rows; ++r) // exact text first, then ignoring blanks
        if (itemText(model->index(r, 0, parent)) == text) return model->index(r, 0, parent);
    for (int r = 0; r < rows; ++r)
        if (sameLabel(itemText(model->index(r, 0, parent)), text)) return model->index(r, 0, parent);
    return {};
}

void sendMouse(QWidget* target, QEvent::Type type, const QPoint& at)
{
    QMouseEvent e(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

void clickIndex(QAbstractItemView* view, const QModelIndex& index, bool doubleClick)
{
    const QPersistentModelIndex target(index), before(view->currentIndex());
    enter(view);
    view->scrollTo(index);
    const QRect r = view->visualRect(index);
    QWidget* port = view->viewport();
    if (r.isValid() && port->rect().contains(r.center())) {
        const QPoint at = r.center();
        sendMouse(port, QEvent::MouseButtonPress, at);
        sendMouse(port, QEvent::MouseButtonRelease, at);
        if (doubleClick) {
            sendMouse(port, QEvent::MouseButtonDblClick, at);
            sendMouse(port, QEvent::MouseButtonRelease, at);
        }
    } else { // not laid out on screen: the same signals without a pointer
        view->setCurrentIndex(index);
        emit view->clicked(index);
        if (doubleClick) emit view->doubleClicked(index);
    }
    // Make the row current when the click did not, unless a handler moved on or rebuilt the
    // model (a stale index would point into freed rows).
    if (target.isValid() && view->currentIndex() == before && before != target) view->setCurrentIndex(target);
}

QString listOf(QAbstractItemModel* model, const QModelIndex& parent)
{
    QStringList texts;
    for (int r = 0; r < model->rowCount(parent) && r < 20; ++r) texts << itemText(model->index(r, 0, parent));
    return texts.join(QStringLiteral(", "));
}

} // namespace

QWidget* find(QWidget* dialog, const QString& label)
{
    const QString wanted = normalizeLabel(label);
    QList<QWidget*> candidates;
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (w->window() == dialog && matches(w, wanted)) candidates << w;
    if (candidates.isEmpty())
        refuse(QStringLiteral("no control \"%1\" in \"%2\"").arg(label, dialog->windowTitle()));
    QWidget* hidden = nullptr;
    QWidget* disabled = nullptr;
    for (QWidget* w : candidates) {
        if (!w->isVisibleTo(dialog)) hidden = w;
        else if (!w->isEnabled()) disabled = w;
        else return w;
    }
    if (disabled) refuse(QStringLiteral("control \"%1\" is disabled").arg(label));
    Q_UNUSED(hidden);
    refuse(QStringLiteral("control \"%1\" is hidden").arg(label));
}

void set(QWidget* w, const QString& text)
{
    if (auto* dt = qobject_cast<QDateTimeEdit*>(w)) {
        QDateTime value = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!value.isValid()) value = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
        if (!value.isValid()) refuse(QStringLiteral("\"%1\" is not a date (YYYY-MM-DD HH:MM:SS)").arg(shortQuote(text)));
        if (dt->isReadOnly()) refuse(QStringLiteral("control \"%1\" is read-only").arg(nameOf(w)));
        enter(w);
        dt->setDateTime(value);
        leave(w);
        if (dt->date() != value.date())
            refuse(QStringLiteral("control \"%1\" does not take %2").arg(nameOf(w), shortQuote(text)));
        return;
    }
    if (auto* sb = qobject_cast<QAbstractSpinBox*>(w)) {
        if (sb->isReadOnly()) refuse(QStringLiteral("control \"%1\" is read-only").arg(nameOf(w)));
        bool ok = false;
        const double wanted = text.trimmed().toDouble(&ok);
        if (!ok) refuse(QStringLiteral("control \"%1\" takes a number, not \"%2\"").arg(nameOf(w), shortQuote(text)));
        auto* edit = sb->findChild<QLineEdit*>();
        if (!edit) refuse(QStringLiteral("control \"%1\" cannot be typed into").arg(nameOf(w)));
        type(w, edit, text.trimmed());
        double got = wanted;
        double tolerance = 1e-9;
        if (auto* d = qobject_cast<QDoubleSpinBox*>(w)) {
            got = d->value();
            tolerance = 0.5 * std::pow(10.0, -d->decimals()) + 1e-9;
        } else if (auto* i = qobject_cast<QSpinBox*>(w)) {
            got = i->value();
        }
        if (std::abs(got - wanted) > tolerance)
            refuse(QStringLiteral("control \"%1\" does not take %2").arg(nameOf(w), shortQuote(text)));
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->isReadOnly()) refuse(QStringLiteral("control \"%1\" is read-only").arg(nameOf(w)));
        type(w, edit, text);
        if (edit->inputMask().isEmpty() && edit->text() != text && !shownAsAmount(edit, text))
            refuse(QStringLiteral("control \"%1\" does not take \"%2\"").arg(nameOf(w), shortQuote(text)));
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable() && combo->lineEdit()) type(w, combo->lineEdit(), text);
        else choose(w, text);
        return;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (!b->isCheckable()) refuse(QStringLiteral("control \"%1\" is not a check box").arg(nameOf(w)));
        if (text != QLatin1String("1") && text != QLatin1String("0"))
            refuse(QStringLiteral("a check box takes \"1\" or \"0\", not \"%1\"").arg(shortQuote(text)));
        const bool wanted = text == QLatin1String("1");
        if (b->isChecked() == wanted) return;
        if (!wanted && qobject_cast<QRadioButton*>(b) && b->autoExclusive())
            refuse(QStringLiteral("radio button \"%1\" is cleared by choosing another").arg(nameOf(w)));
        b->click();
        return;
    }
    if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        if (pe->isReadOnly()) refuse(QStringLiteral("control \"%1\" is read-only").arg(nameOf(w)));
        enter(w);
        pe->setPlainText(text);
        leave(w);
        return;
    }
    if (auto* te = qobject_cast<QTextEdit*>(w)) {
        if (te->isReadOnly()) refuse(QStringLiteral("control \"%1\" is read-only").arg(nameOf(w)));
        enter(w);
        te->setPlainText(text);
        leave(w);
        return;
    }
    refuse(QStringLiteral("control \"%1\" cannot be set").arg(nameOf(w)));
}

void choose(QWidget* w, const QString& item)
{
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        int index = combo->findText(item, Qt::MatchExactly);
        for (int i = 0; index < 0 && i < combo->count(); ++i)
            if (sameLabel(combo->itemText(i), item)) index = i;
        if (index < 0) {
            QStringList items;
            for (int i = 0; i < combo->count() && i < 20; ++i) items << combo->itemText(i);
            refuse(QStringLiteral("\"%1\" has no item \"%2\" (items: %3)")
                       .arg(nameOf(w), shortQuote(item), items.join(QStringLiteral(", "))));
        }
        enter(w);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        emit combo->textActivated(combo->itemText(index));
        leave(w);
        return;
    }
    if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        QAbstractItemModel* model = view->model();
        if (!model) refuse(QStringLiteral("list \"%1\" is empty").arg(nameOf(w)));
        const QModelIndex index = findChild(model, view->rootIndex(), item);
        if (!index.isValid())
            refuse(QStringLiteral("\"%1\" has no item \"%2\" (items: %3)")
                       .arg(nameOf(w), shortQuote(item), listOf(model, view->rootIndex())));
        clickIndex(view, index, false);
        return;
    }
    refuse(QStringLiteral("control \"%1\" has no items to choose").arg(nameOf(w)));
}

void click(QWidget* w)
{
    auto* b = qobject_cast<QAbstractButton*>(w);
    if (!b) refuse(QStringLiteral("control \"%1\" is not a button").arg(nameOf(w)));
    b->click();
}

void row(QWidget* w, int index)
{
    auto* view = qobject_cast<QAbstractItemView*>(w);
    if (!view || !view->model()) refuse(QStringLiteral("control \"%1\" is not a list").arg(nameOf(w)));
    const int rows = view->model()->rowCount(view->rootIndex());
    if (index < 0 || index >= rows)
        refuse(QStringLiteral("list \"%1\" has no row %2 (it has %3)").arg(nameOf(w)).arg(index).arg(rows));
    clickIndex(view, view->model()->index(index, 0, view->rootIndex()), false);
}

void tree(QWidget* w, const QStringList& path, bool doubleClick)
{
    auto* view = qobject_cast<QAbstractItemView*>(w);
    if (!view || !view->model()) refuse(QStringLiteral("control \"%1\" is not a tree").arg(nameOf(w)));
    if (path.isEmpty()) refuse(QStringLiteral("the path is empty"));
    auto* treeView = qobject_cast<QTreeView*>(view);
    QModelIndex node = view->rootIndex();
    QStringList walked;
    for (const QString& text : path) {
        const QModelIndex child = findChild(view->model(), node, text);
        if (!child.isValid())
            refuse(QStringLiteral("tree \"%1\" has no node \"%2\" under \"%3\" (nodes: %4)")
                       .arg(nameOf(w), text, walked.join(QLatin1Char('/')), listOf(view->model(), node)));
        if (treeView && node.isValid()) treeView->expand(node);
        node = child;
        walked << text;
    }
    clickIndex(view, node, doubleClick);
}

void key(QWidget* w, const QString& keyName)
{
    int code;
    QString text;
    if (keyName == QLatin1String("Enter")) {
        code = Qt::Key_Return;
        text = QStringLiteral("\r");
    } else if (keyName == QLatin1String("F1")) {
        code = Qt::Key_F1;
    } else if (keyName == QLatin1String("F5")) {
        code = Qt::Key_F5;
    } else if (keyName == QLatin1String("Esc")) {
        code = Qt::Key_Escape;
        text = QStringLiteral("\x1b");
    } else if (keyName == QLatin1String("Down")) {
        code = Qt::Key_Down;
    } else if (keyName == QLatin1String("Up")) {
        code = Qt::Key_Up;
    } else {
        refuse(QStringLiteral("unknown key \"%1\" (Enter, Esc, Up, Down, F1 or F5)").arg(keyName));
    }
    enter(w);
    QWidget* target = hasFocusWithin(w) ? QApplication::focusWidget() : w;
    if (qt_sendShortcutOverrideEvent(target, 0, code, Qt::NoModifier, text, false, 1)) return;
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace app::control
