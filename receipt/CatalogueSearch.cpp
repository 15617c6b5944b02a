#include "receipt/CatalogueSearch.h"

namespace receipt {

CatalogueSearch::Outcome CatalogueSearch::enter(db::Connection& c, const QString& classText, const QString& itemText)
{
    Outcome out;
    switch (state_) {
    case SearchClass:
        state_ = Idle;
        out.kind = Outcome::ClassesFound;
        out.classes = SearchClasses(c, classText);
        if (!out.classes.isEmpty()) out.items = ItemsOfClass(c, out.classes.first());
        break;
    case SearchItem: {
        ItemSearchResult found = SearchItems(c, itemText);
        out.kind = Outcome::ItemSearched;
        out.items = std::move(found.items);
        out.item = std::move(found.item);
        state_ = out.item ? ItemFound : NothingFound;
        break;
    }
    case ItemFound:
        state_ = SearchItem;
        out.kind = Outcome::AddEntry;
        break;
    case Idle:
    case NothingFound:
        break;
    }
    return out;
}

} // namespace receipt
