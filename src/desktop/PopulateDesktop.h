#pragma once

#include "desktop/PopulateQueries.h"
#include "desktop/PopulateRules.h"
#include "items/ItemCommands.h"
#include "store/Timestamps.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <vector>

namespace qb {

class TDesktop;
class TItem;

// The skip id of a set that leaves no item out.
constexpr Timestamp kNoItemToSkip = -1.0L;

// What an item set does with its cards' texts besides showing them.
struct ItemSetText {
    // A project drop: the texts go to the clipboard at the end of the set.
    ProjectTextCollector* collector = nullptr;
    // The outline output: each kept text as its card is set up.
    std::function<void(const QString& text)> outline;
};

// Every point below is in coordinates of the visible part of the desktop; the group colour is a
// stored colour that the call hands on (item cards take it for their focus mark and resize
// corner, and age shading replaces it).

// The concepts of a query (at most 200) down a diagonal from at, and by the explode mode their
// items. With a skip id (Connections) the items come oldest first and that item is left out.
// Nothing while the held abort is set.
void DevelopSynWheelSet(TDesktop& desktop, const std::vector<Timestamp>& concepts, QPoint at,
                        Timestamp skipItem, bool explodeItems, int& groupColor);
// One concept card at a point; a card of the concept already on the desktop is moved there.
void SynWheelSetup(TDesktop& desktop, QPoint at, Timestamp conceptId);
// The items of a concept as a set.
void ExplodeItems(TDesktop& desktop, ItemOrder order, Timestamp conceptId, QPoint at,
                  int& groupColor, Timestamp skipItem = kNoItemToSkip);
// The items of a query (at most 200) from at on: the first card Vertical to the right, then a
// step right and down each, never beyond desktop coordinate 1720.
void DevelopItemSet(TDesktop& desktop, ItemSet& items, QPoint at, Timestamp skipItem,
                    const ItemSetText& text, int& groupColor);
// One item card from the set's row of that id, with its top left corner at `at`. Returns the
// card when one was made or moved.
TItem* ItemSetup(TDesktop& desktop, ItemSet& items, QPoint at, Timestamp itemId, int& groupColor,
                 const ItemSetText& text = ItemSetText());
// One item card straight from the store (the text search, the damaged-item restore): frame
// colour 0 for none, hitStart1 the hit's start + 1 (0 for none).
PlacedItemCard Pick1Item(TDesktop& desktop, QPoint at, Timestamp itemId, int frameColor,
                         int hitStart1, int hitLength, bool mark);
// "Connections": the concepts of the item's keywords beside its card, and their other items.
void ShowConnections(TDesktop& desktop, int x, int y, Timestamp itemId);

// A card of the concept that is not Deleted is on the desktop.
bool CheckSWExist(const TDesktop& desktop, Timestamp conceptId);
// A card of the item that is not Deleted is on the desktop; with unhide, a hidden one shows again.
bool CheckIExist(TDesktop& desktop, bool unhide, Timestamp itemId);

// F4 and F5: the next concept or item that has no card yet, each a step further from its pop spot.
void PopConcepts(TDesktop& desktop);
void PopItems(TDesktop& desktop);

namespace populatemessages {
inline constexpr char kTooMany[] = "Too many windows on desktop";
inline constexpr char kOldSlot[] = "Oldslot=0";
inline constexpr char kPickCode[] = "qb3668";
inline constexpr char kMaxDetail[] = "Max no of detail objects per main object exceeded";
inline constexpr char kConceptCode[] = "qb1576";
inline constexpr char kDeactivated[] =
    "Error in database operations.  The QB Program was deactivated. Please close windows and exit ";
inline constexpr char kSetupCode[] = "QB1703";
inline constexpr char kPickSetupCode[] = "QB3742";
constexpr int kSlotHelp = 40050;
constexpr int kDatabaseHelp = 30160;
}  // namespace populatemessages

}  // namespace qb
