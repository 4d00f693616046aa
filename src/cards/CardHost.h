#pragma once

#include "cards/CardData.h"
#include "cards/SlotTables.h"

#include <QPoint>
#include <QSize>

#include <optional>
#include <vector>

namespace qb {

// What the card rules need of the desktop that holds the cards. The desktop widget implements
// it; core tests use a plain one. Positions are desktop positions (scroll positions included).
class CardHost {
public:
    virtual ~CardHost() = default;

    // The cards among the desktop's children, in child order.
    virtual std::vector<CardData*> cards() const = 0;
    // Every child of the desktop, cards or not; freeing a card makes it go down.
    virtual int childCount() const = 0;
    virtual SlotTables& slotTables() = 0;
    virtual QPoint scroll() const = 0;
    virtual QSize visibleSize() const = 0;

    // Frees the card (it is gone from the children afterwards); false when it could not be.
    virtual bool freeCard(CardData& card) = 0;
    virtual void setCardVisible(CardData& card, bool visible) = 0;
    virtual void moveCard(CardData& card, QPoint pos) = 0;
    virtual void bringToFront(CardData& card) = 0;
    // An item card found by a slot request: turned to the side-up mode, laid out, and coloured
    // with the given colour when it is not 0.
    virtual void refreshFoundItem(CardData& card, int color) = 0;
    // Moves the keyboard focus off the cards (to the tool bar's logo panel).
    virtual void focusAway() = 0;
    virtual void processEvents() = 0;
    virtual void redrawMap() = 0;
    // After "All Cards": the desktop takes input again, the desktop image goes, the wallpaper
    // shows when one is set.
    virtual void allCardsCleared() {}
    // The card's data was changed from outside its widget (every desktop item linked to a
    // project at once): the widget shows it again.
    virtual void cardDataChanged(CardData&) {}
};

// The desktop of the running program; null in the CLI and in tests without one.
CardHost* cardHost();
void setCardHost(CardHost* host);

// Ids of the cards that have one.
std::optional<Timestamp> itemIdOf(const CardData& card);
std::optional<Timestamp> conceptIdOf(const CardData& card);

constexpr long double kItemIdTolerance = 1e-11L;
constexpr long double kConceptIdTolerance = 1e-7L;

// Finds the card of an item or a concept among cards (ids equal within their tolerance). Cards
// that could not be freed are dead and never found.
CardData* findItemCard(const std::vector<CardData*>& cards, Timestamp itemId);
CardData* findConceptCard(const std::vector<CardData*>& cards, Timestamp conceptId);
// Every card of a kind, in child order.
std::vector<CardData*> cardsOfKind(const std::vector<CardData*>& cards, CardKind kind);

}  // namespace qb
