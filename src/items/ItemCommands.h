#pragma once

#include "items/Commit.h"
#include "store/Timestamps.h"

#include <QColor>
#include <QPoint>
#include <QString>

namespace qb {

class TBasPanel;
class TCardSideIndicator;
class TDesktop;
class TItem;

// The commit as the desktop runs it: the desktop's cards in child order go to CommitCards; then
// revived concept cards show again (marked), the list windows other than inflection windows
// refresh, the forced collection frees the dropped cards and the desktop map is redrawn. When the
// store did not take every edit, the cards that keep theirs stay (a dropped one shows again) and
// the user is told. Does nothing without a desktop.
CommitResult UpdateItems();

// CheckEmptyItems with the desktop side: a found concept card or item card shows again, marked
// and coloured; the item card turns to its keyword list. False when an item card lacks a
// keyword.
bool CheckEmptyItemsOnDesktop();

// A new item card and its id (0 when no slot was free). x and y are in the visible part of the
// desktop, -1 for the create spot [WINDOW OFFSETS] CreateSpotIX / CreateSpotIY. The card starts
// 400 wide in the new-item colour, with the tool bar's date stamp and, when asked, the
// clipboard text.
Timestamp NewItem(int x, int y, const QColor& groupColor, bool fromClipboard);
Timestamp CreateBlankItem(bool fromClipboard);

// The colour of the card from which the last explode started; new cards take it for their focus
// mark and resize corner. Invalid until an explode sets it.
QColor& CurrentGroupColor();

// The concept for a dictionary word that no concept holds: a new concept card holding the word
// (made through itemHooks().newConceptCardForWord), committed, then looked up. 0 with "Please
// drop a second time and select your concept" when that does not give exactly one concept.
Timestamp ConceptForDroppedWord(const QString& word, int wordNo);

// The card-side-up mode ([APPEARANCE] CardSideUp): sets it, moves the check marks and the tool
// bar indicator, and (asking first unless TurnCardsImm is on) turns the item cards.
void SetCardSideUpMode(int mode);
// Turns every item card that is not hidden and not in the book to the mode's side.
void TurnItemCards(int mode);

// How an item card from the store comes onto the desktop.
struct ItemCardPlacement {
    int frameColor = 0;       // stored colour of the frame; 0: the normal item colour
    bool mark = false;        // with a frame colour: the card comes up Marked in it
    bool ageShading = false;  // a grey by the item's age ([LIMITS] AgeFadeAwayInMonths)
    QColor groupColor;        // focus mark and resize corner; invalid: black
    int selectionStart = -1;  // a hit to select in the text, -1 for none
    int selectionLength = 0;
};
struct PlacedItemCard {
    TItem* card = nullptr;  // null: no such item, no free slot, or the run is stopping
    bool created = false;   // false with a card: it was on the desktop already and was moved
    // The stored picture could not be decoded ("qb3689/Find"): the card is Unfreeable and stays
    // hidden, so nothing half loaded is ever written back.
    bool pictureFailed = false;
    QColor groupColor;  // the age grey when shading gave one, else the placement's colour
};
// Puts the card of a stored item on the desktop at a desktop position (scroll included): a slot
// request, the item's record and links, the side-up mode, the colours. An item card already on
// the desktop is moved there and turned instead. A failed read stops the run ("QB3742").
PlacedItemCard PlaceItemCard(TDesktop& desktop, Timestamp itemId, QPoint desktopPos,
                             const ItemCardPlacement& placement = ItemCardPlacement());

// The slot requests' found-card handler: a found item card shows again in the colour.
void ShowFoundItem(TBasPanel& card, int color);
// The card-side-up mode in the menus' check marks and the tool bar indicator.
void ShowCardSideMode(int mode);
// The indicator in the tool bar (null before the main window makes one).
TCardSideIndicator* CardSideIndicator();
void SetCardSideIndicator(TCardSideIndicator* indicator);

}  // namespace qb
