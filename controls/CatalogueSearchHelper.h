#pragma once
#include "db/Connection.h"
#include "receipt/CatalogueSearch.h"
#include <QObject>

class QComboBox;
class QWidget;

// Drives the 类别 and 项目 lists of an item-entry dialog from the catalogue: picking a class
// fills its items, picking an item loads it, and the keys of the entry area search by name or
// code (Enter), jump to the item list (F1) and submit (F5). The dialog fills its entry fields from itemLoaded and performs the add
// and submit actions it is asked for.
class CatalogueSearchHelper : public QObject {
    Q_OBJECT
public:
    // area: the widget whose keys are watched (usually the dialog); the lists are made
    // editable. classSearch: whether Enter after typing in the 类别 list searches classes.
    // Build it after the dialog's controls exist.
    CatalogueSearchHelper(db::ConnectionPtr connection, QComboBox* classList, QComboBox* itemList, QWidget* area,
                          bool classSearch = true);

    const receipt::CatalogueSearch& search() const { return search_; }
    // Keys pressed in widgets added to the area later.
    void watch(QWidget* widget);

Q_SIGNALS:
    void itemLoaded(const receipt::CatalogueItem& item);
    void addEntryRequested(); // the "录  入" button
    void submitRequested();   // the dialog's submit action

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void enter();
    void classPicked(int index);
    void itemPicked(int index);

    db::ConnectionPtr connection_;
    QComboBox* classList_;
    QComboBox* itemList_;
    receipt::CatalogueSearch search_;
};
