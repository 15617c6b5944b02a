#pragma once

class QAbstractButton;
class QDialog;
class QPushButton;
class QString;

namespace app {

// Enter and Esc mean the same in every dialog, whatever its template says:
//  - Enter presses the dialog's main button: the one its template marks default, else the first
//    of 确定, 提交, 结帐, 保存, 统计 there is. A dialog without one presses nothing on Enter
//    (Qt would otherwise press whichever button comes first, 删除 included).
//  - Esc does what the dialog's 关闭 (or else 取消) button does, so that a dialog whose closing
//    has work of its own does it; without such a button Esc cancels.

// Marks the main button default; returns it, or nullptr when the dialog has none.
QPushButton* chooseMainButton(QDialog* dialog);
// After the dialog shows: without a main button, no button stays default.
void dropStrayDefault(QDialog* dialog);
// The button Esc stands for, or nullptr.
QAbstractButton* closingButton(QDialog* dialog);
// A dialog kept as a form of master data, with several buttons that each write something (新增,
// 保存, 删除): Enter moves on to the next field, or presses the button that has the focus, and
// never writes what is still being typed; Esc does what the dialog's 关闭 (or 取消) button does,
// else cancels. Given once, when the dialog is built.
void useFormKeys(QDialog* dialog);
// A button's text as a label compares: without blanks and mnemonics ("关  闭(&C)" → "关闭").
QString bareLabel(const QString& text);

} // namespace app
