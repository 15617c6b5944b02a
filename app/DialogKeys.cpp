#include "app/DialogKeys.h"
#include <QDialog>
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

} // namespace

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
