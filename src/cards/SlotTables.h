#pragma once

#include "cards/CardData.h"

#include <QPoint>

#include <vector>

namespace qb {

struct Settings;

// One table of numbered slots (1..capacity). An entry is empty or holds the card's data; the
// card records its slot number in CardData::slot.
class SlotTable {
public:
    explicit SlotTable(int capacity) : entries_(size_t(capacity), nullptr) {}

    int capacity() const { return int(entries_.size()); }
    // The card in a slot; null for an empty slot or a number out of range.
    CardData* at(int slot) const;
    // The first empty slot among 1..usable (usable is clamped to the capacity); 0 when full.
    int firstEmpty(int usable) const;
    int firstEmpty() const { return firstEmpty(capacity()); }
    // A window brought back at start takes the slot it had when it is free, else the first free.
    int slotToRestore(int number) const
    {
        return number >= 1 && number <= capacity() && !at(number) ? number : firstEmpty();
    }
    // Puts the card into the slot and records the number in the card; false when out of range
    // or taken by another card.
    bool assign(int slot, CardData& card);
    // Empties the slot when it holds this card.
    void release(int slot, const CardData* card);
    int occupied() const;
    void clear();

private:
    std::vector<CardData*> entries_;
};

// The limited card kinds each have a table: item cards, concept cards, dictionary windows and
// project windows. Flywords and inflection windows have none.
struct SlotTables {
    static constexpr int kItemSlots = 200;
    static constexpr int kConceptSlots = 100;
    static constexpr int kDictionarySlots = 10;
    static constexpr int kProjectSlots = 15;

    SlotTable items{kItemSlots};
    SlotTable concepts{kConceptSlots};
    SlotTable dictionaries{kDictionarySlots};
    SlotTable projects{kProjectSlots};

    // The table of a kind; null for kinds without one.
    SlotTable* forKind(CardKind kind);
    // How many slots of a kind may be used with the current settings.
    static int usable(CardKind kind, const Settings& settings);
    void clear();
};

// Where a new dictionary or project window in slot n (1-based) opens: a cascade from the
// create spot, in coordinates of the visible part of the desktop.
QPoint WindowCascadePosition(int slot, const Settings& settings);

}  // namespace qb
