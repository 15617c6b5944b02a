#pragma once

class QWidget;

namespace app {

// The behaviour every dialog's fields share, given once to all controls under root:
//  - a read-only field looks read-only (the window's colour behind it) and takes no focus, so
//    Tab goes from one field a person can change to the next (also when a dialog switches a
//    field to read-only later);
//  - an amount field (a QLineEdit with the dynamic property "amount" = true, set in the .ui)
//    takes only what can become a number as it is typed, selects its text when entered by
//    mouse or keyboard so a typed amount replaces the old one, and shows two decimals once
//    left. Text set by the program or a script is not filtered: the dialog's own check
//    reports a bad amount with its message.
void applyFieldBehaviour(QWidget* root);

// True for a field marked as an amount.
bool isAmountField(const QWidget* widget);

} // namespace app
