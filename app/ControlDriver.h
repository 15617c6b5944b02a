#pragma once
#include <QString>
#include <QStringList>

class QWidget;

// What automation does to one control, as a person would: each action fires the handlers the
// same action by hand would fire. A step that cannot be done throws StepRefused.
namespace app::control {

struct StepRefused {
    QString reason;
};

// The visible, enabled control under dialog whose accessible name (or button text, or group
// title) is label, compared as normalizeLabel() does.
QWidget* find(QWidget* dialog, const QString& label);

// Types text into an edit, number or date field (dates "YYYY-MM-DD HH:MM:SS") and leaves it;
// ticks ("1") or clears ("0") a check box.
void set(QWidget* control, const QString& text);
// Picks an item of a combo box or list by its text.
void choose(QWidget* control, const QString& item);
void click(QWidget* control);
// Clicks row N (from 0) of a list or table.
void row(QWidget* control, int index);
// Selects (or double-clicks) the tree node at that path of texts.
void tree(QWidget* control, const QStringList& path, bool doubleClick);
// "Enter", "Esc", "Up", "Down", "F1" or "F5" in that control.
void key(QWidget* control, const QString& keyName);

} // namespace app::control
