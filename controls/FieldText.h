#pragma once
#include <QComboBox>
#include <QLineEdit>
#include <QString>

// How the dialogs move texts and amounts between their controls and their forms, written once.
namespace controls {

// The entry of a list showing that text: the exact text first, then as the clinic's database
// compares names (case and width folded); -1 for none (a drop-down list then shows nothing and
// reads back empty).
int entryOf(const QComboBox* list, const QString& text);
// The chosen entry's text; empty when nothing is chosen.
QString chosenText(const QComboBox* list);
// Shows an amount. What a person typed stays as typed while it still says the same amount.
void showAmount(QLineEdit* edit, double value);

} // namespace controls
