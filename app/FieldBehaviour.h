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
//  - Enter in a date field takes the date and goes no further: it never presses the dialog's
//    main button;
//  - Enter in a field with the dynamic property "enterButton" (a button's object name) clicks
//    that button instead of the dialog's main one.
void applyFieldBehaviour(QWidget* root);

// A dialog opened only to be read: every field under root read-only, every list and box that
// could be changed disabled, so that nothing looks like it could be changed and kept. Buttons
// stay as they are.
void makeViewOnly(QWidget* root);

// True for a field marked as an amount.
bool isAmountField(const QWidget* widget);

} // namespace app
