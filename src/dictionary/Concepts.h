#pragma once

#include "cards/CardHost.h"  // kConceptIdTolerance
#include "dictionary/ConceptCardData.h"
#include "store/Timestamps.h"

#include <QString>

#include <optional>
#include <vector>

namespace qb {

// A frame colour for a new concept card: 0 .. 16777214, uniform. The source is seeded from the
// clock on first use; tests seed it to get the same colours every run.
int GetNewConceptColor();
void SeedConceptColors(quint64 seed);

struct NewConceptRequest {
    bool withWord = false;
    int x = -1;  // -1: the creation spot ([WINDOW OFFSETS] CreateSpotSX, CreateSpotSY)
    int y = -1;
    QString word;
    int wordNo = 0;
};
// The working copy of a new concept card: the edits on the desktop saved first, an id from
// GetQBTS, the card's place and size, a colour, marked as changed, with the word when asked.
// The desktop gives it a slot and a widget through the placeConceptCard hook; without a slot
// nothing is created (nullopt).
std::optional<ConceptCardData> NewConcept(const NewConceptRequest& request);
// Ctrl+Ins and the menus: an empty concept at the creation spot. Its colour becomes the current
// concept colour.
std::optional<ConceptCardData> CreateBlankConcept();
int currentConceptColor();

// A concept of a word, as the "SELECT CONCEPT" dialog lists it.
struct ConceptInfo {
    Timestamp conceptId = 0;
    QString line;  // the concept's words joined with ", "
};
struct ConceptsOfWordResult {
    int kind = 0;             // 0 none, 1 exactly one, 2 several
    Timestamp conceptId = 0;  // the one concept, when kind is 1
    std::vector<ConceptInfo> list;
};
// Every concept holding the word (the whole list, however long).
ConceptsOfWordResult ConceptsOfWord(int wordNo);

// The words to merge: first the one that remains, then the others in the card's order.
struct CollapseWord {
    QString word;
    int wordNo = 0;
};
using CollapseList = std::vector<CollapseWord>;
CollapseList CollapseListOf(const ConceptCardData& card, int selected);

struct MergeResult {
    bool done = false;  // false: the user said No, or the store could not be written
    int wordsRemoved = 0;
    int conceptsFolded = 0;
    int linksRemoved = 0;
    bool formsAdded = false;
};
// "Merge Words": every other word of the list is relinked to the first one in ITEMKEYS and DICT
// and removed from WORD; concepts that end up with the same words are folded into the earliest,
// and repeated keyword links of an item are removed. All of it is one transaction. The desktop
// is cleared afterwards, and the merged texts may become forms of the remaining word.
MergeResult MergeConceptWords(const CollapseList& words, Timestamp conceptId);

// Clear > "&Concepts": every concept card that is not marked is set hidden; the desktop then
// collects. Returns how many were hidden.
int ClearSynWheels(const std::vector<ConceptCardData*>& cards);

}  // namespace qb
