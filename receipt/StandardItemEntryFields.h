#pragma once
#include "db/Connection.h"
#include "receipt/CatalogueTree.h"
#include "receipt/StandardItemEntry.h"
#include <QObject>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QWidget;
class StepSpinBox;
class CStripedListCtrl;
class CatalogueTreeView;

// The entry area and item list of the two catalogue item dialogs (填写收据, 无病案标准收费) as
// their .ui files lay them out (classCombo, itemCombo, unitEdit, priceEdit, quantitySpin,
// amountEdit, addButton, modifyButton, deleteButton, itemList, catalogueTree): one place that
// wires them to the form's StandardItemEntry handlers, reads them and shows them. Each handler
// takes every field of the dialog into the form first and shows them all again after.
class StandardItemEntryFields : public QObject {
public:
    struct Hooks {
        std::function<receipt::StandardItemEntry*()> form; // null until the dialog opened
        std::function<bool()> take;                         // the dialog's fields into the form
        std::function<void()> show;                         // and back
        std::function<void()> amountChanged;                // the form's own amount rule
        std::function<void()> submit;                       // the dialog's OK action
        std::function<bool(const std::function<void()>&)> guarded; // database work of a handler
    };

    // Finds the controls among the dialog's children and connects them.
    StandardItemEntryFields(QWidget* dialog, Hooks hooks);

    // Once the form is open: the catalogue search on the class and item lists, and the tree
    // expanded at the dialog's department.
    void open(const db::ConnectionPtr& connection, const QString& department, bool withClassSearch,
              receipt::CatalogueOrder order);
    // The entry fields into `e`. False, with the cashier told, when the amount is not a number.
    bool read(receipt::ItemEntry& e);
    // The entry fields, the list buttons and the list's rows (as many cells as it has columns).
    void show(const receipt::StandardItemEntry& form);

    CStripedListCtrl* list() const { return list_; }
    QLineEdit* amountEdit() const { return amount_; }

private:
    void run(void (receipt::StandardItemEntry::*handler)());
    void itemLoaded(const receipt::CatalogueItem& item);
    void treePicked(qint64 id);

    QWidget* dialog_;
    Hooks hooks_;
    db::ConnectionPtr connection_;
    QComboBox* class_ = nullptr;
    QComboBox* item_ = nullptr;
    QLineEdit* unit_ = nullptr;
    QLineEdit* price_ = nullptr;
    StepSpinBox* quantity_ = nullptr;
    QLineEdit* amount_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* modify_ = nullptr;
    QPushButton* delete_ = nullptr;
    CStripedListCtrl* list_ = nullptr;
    CatalogueTreeView* tree_ = nullptr;
};
