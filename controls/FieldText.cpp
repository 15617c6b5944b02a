#include "controls/FieldText.h"
#include "common/Money.h"
#include "db/TextMatch.h"

namespace controls {

int entryOf(const QComboBox* list, const QString& text)
{
    const int exact = list->findText(text, Qt::MatchExactly);
    if (exact >= 0 || text.isEmpty()) return exact;
    const QString key = db::textKey(text);
    for (int i = 0; i < list->count(); ++i)
        if (db::textKey(list->itemText(i)) == key) return i;
    return -1;
}

QString chosenText(const QComboBox* list) { return list->currentIndex() >= 0 ? list->currentText() : QString(); }

void showAmount(QLineEdit* edit, double value)
{
    double shown = 0.0;
    if (edit->text().isEmpty() || !money::parseAmount(edit->text(), shown) || shown != value)
        edit->setText(money::format2(value));
}

} // namespace controls
