#pragma once

#include <vector>

namespace qb {

struct CardData;
struct ConceptCardData;
struct ItemCardData;

// What CheckEmptyItems found and what the desktop must do about it. The flags of the found cards
// are already set in their data (Hidden cleared, Marked); the desktop shows them, applies their
// colour and, for the item card, brings its keyword list to the front.
struct EmptyCardsFinding {
    bool itemsHaveKeywords = true;                  // the answer of CheckEmptyItems
    ConceptCardData* conceptWithoutWord = nullptr;  // "qb1050" was reported
    ItemCardData* itemWithoutKeyword = nullptr;     // "qb1199" was reported
};

// Looks over the desktop's cards, in child order, for a concept card without word and an item
// card without keyword (deleted cards do not count). Either finding sets the session's
// inconsistency flag.
EmptyCardsFinding CheckEmptyItems(const std::vector<CardData*>& cards);

}  // namespace qb
