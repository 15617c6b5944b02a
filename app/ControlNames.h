#pragma once
#include <QString>

class QWidget;

namespace app {

// Labels as automation compares them: blanks (also the ideographic space), mnemonic markers
// such as "(&I)" or "&" and a trailing colon are ignored, so "提   交", "提交" and "提交(&S)"
// are one label.
QString normalizeLabel(const QString& label);
bool sameLabel(const QString& a, const QString& b);

// Gives every control under root without an accessible name the label a person reads for it:
// the text of a QLabel whose buddy it is, or of the label beside it in a form, grid or box
// layout, or a group box's title. Buttons and check boxes are found by their own text.
void nameControlsByLabels(QWidget* root);

} // namespace app
