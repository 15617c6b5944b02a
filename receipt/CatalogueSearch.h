#pragma once
#include "receipt/Catalogue.h"

namespace receipt {

// The search state of an item-entry dialog: what the Enter key does next.
//   0 nothing pending (opening, the start of a class search)
//   1 the 类别 text was edited: Enter searches classes (dialogs with a class search only)
//   2 the 项目 text was edited, or F1: Enter searches items
//   3 an item search loaded an item: Enter adds the entry
//   4 an item search found nothing: Enter does nothing
class CatalogueSearch {
public:
    enum State { Idle = 0, SearchClass = 1, SearchItem = 2, ItemFound = 3, NothingFound = 4 };

    explicit CatalogueSearch(bool withClassSearch = true) : withClassSearch_(withClassSearch) {}

    State state() const { return state_; }
    bool hasClassSearch() const { return withClassSearch_; }

    void classTextEdited()
    {
        if (withClassSearch_) state_ = SearchClass;
    }
    void itemTextEdited() { state_ = SearchItem; }
    void f1() { state_ = SearchItem; } // the caller puts the focus into the 项目 list

    struct Outcome {
        enum Kind {
            Nothing,
            ClassesFound, // refill 类别 with classes, select the first, 项目 with items, focus 项目
            ItemSearched, // 项目 shows items; item (if any) goes into the entry fields
            AddEntry,     // press "录  入", focus 项目
        } kind = Nothing;
        QStringList classes;
        QStringList items;
        std::optional<CatalogueItem> item;
    };
    // The Enter key with the texts of the 类别 and 项目 lists. Throws db::Error from the
    // look-ups; the state then stays where the look-up left it.
    Outcome enter(db::Connection& c, const QString& classText, const QString& itemText);

private:
    bool withClassSearch_;
    State state_ = Idle;
};

} // namespace receipt
