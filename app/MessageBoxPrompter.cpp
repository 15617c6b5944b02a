#include "app/MessageBoxPrompter.h"
#include "app/Dialog.h"
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace app {

namespace {

QWidget* owner()
{
    // A dialog hidden behind its print preview is no place for a box: the preview is then the
    // modal window on top.
    if (Dialog* d = Dialog::topmost(); d && d->isVisible()) return d;
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// A box says which dialog it speaks for: the title of the dialog on top (the module's name
// when no dialog is open, as for the checks of the exports without one). The cashier reads
// Chinese only.
QString caption()
{
    if (Dialog* d = Dialog::speaking()) return d->windowTitle();
    return QStringLiteral("收费系统");
}

} // namespace

void MessageBoxPrompter::inform(const QString& text)
{
    QMessageBox box(QMessageBox::Information, caption(), text, QMessageBox::NoButton, owner());
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
}

bool MessageBoxPrompter::ask(const QString& text, Buttons buttons)
{
    const bool yesNo = buttons == Buttons::YesNo;
    QMessageBox box(QMessageBox::Question, caption(), text, QMessageBox::NoButton, owner());
    QPushButton* positive = box.addButton(yesNo ? QStringLiteral("是") : QStringLiteral("确定"),
                                          yesNo ? QMessageBox::YesRole : QMessageBox::AcceptRole);
    QPushButton* negative = box.addButton(yesNo ? QStringLiteral("否") : QStringLiteral("取消"),
                                          yesNo ? QMessageBox::NoRole : QMessageBox::RejectRole);
    box.setDefaultButton(positive);
    box.setEscapeButton(negative);
    box.exec();
    return box.clickedButton() == positive;
}

} // namespace app
