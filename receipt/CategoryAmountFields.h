#pragma once
#include "receipt/FeeCategories.h"
#include <QLabel>
#include <QLineEdit>
#include <array>

// The twelve category amounts of a dialog, as its .ui lays them out (labels amountLabel1…12,
// edits amountEdit1…12): one place that names each edit after its column (scripts and the
// clinic's IT person find a field by the column, whatever the clinic calls it), shows the
// clinic's labels, reads the amounts and shows them back.
class CategoryAmountFields {
public:
    // Finds the controls among the dialog's children; `watcher` gets the edits' events.
    void bind(QWidget* dialog, QObject* watcher);
    void setLabels(const receipt::CategoryLabels& labels);
    QLineEdit* edit(int i) const { return edits_[size_t(i)]; }
    // Reads every amount; on the first that is not a number returns its edit, leaving out as it is.
    QLineEdit* read(receipt::CategoryAmounts& out) const;
    // Shows the amounts. What a person typed stays as typed while it still says the same amount.
    void show(const receipt::CategoryAmounts& amounts);

private:
    std::array<QLabel*, receipt::CategoryCount> labels_{};
    std::array<QLineEdit*, receipt::CategoryCount> edits_{};
};
