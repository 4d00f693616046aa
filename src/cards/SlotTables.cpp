#include "cards/SlotTables.h"

#include "floor/Settings.h"

#include <algorithm>

namespace qb {

CardData* SlotTable::at(int slot) const
{
    if (slot < 1 || slot > capacity()) return nullptr;
    return entries_[size_t(slot - 1)];
}

int SlotTable::firstEmpty(int usable) const
{
    int last = std::min(usable, capacity());
    for (int slot = 1; slot <= last; ++slot)
        if (!entries_[size_t(slot - 1)]) return slot;
    return 0;
}

bool SlotTable::assign(int slot, CardData& card)
{
    if (slot < 1 || slot > capacity()) return false;
    CardData*& entry = entries_[size_t(slot - 1)];
    if (entry && entry != &card) return false;
    entry = &card;
    card.slot = slot;
    return true;
}

void SlotTable::release(int slot, const CardData* card)
{
    if (slot < 1 || slot > capacity()) return;
    CardData*& entry = entries_[size_t(slot - 1)];
    if (entry == card) entry = nullptr;
}

int SlotTable::occupied() const
{
    return int(
        std::count_if(entries_.begin(), entries_.end(), [](CardData* c) { return c != nullptr; }));
}

void SlotTable::clear() { std::fill(entries_.begin(), entries_.end(), nullptr); }

SlotTable* SlotTables::forKind(CardKind kind)
{
    switch (kind) {
    case CardKind::Item: return &items;
    case CardKind::Concept: return &concepts;
    case CardKind::Dictionary: return &dictionaries;
    case CardKind::Project: return &projects;
    default: return nullptr;
    }
}

int SlotTables::usable(CardKind kind, const Settings& settings)
{
    switch (kind) {
    case CardKind::Item: return settings.itemSlotsUsable();
    case CardKind::Concept: return settings.conceptSlotsUsable();
    case CardKind::Dictionary: return kDictionarySlots;
    case CardKind::Project: return kProjectSlots;
    default: return 0;
    }
}

void SlotTables::clear()
{
    items.clear();
    concepts.clear();
    dictionaries.clear();
    projects.clear();
}

QPoint WindowCascadePosition(int slot, const Settings& s)
{
    int n = std::max(slot, 1) - 1;
    return {s.createSpotTX + n * s.horizontal, s.createSpotTY + n * s.vertical};
}

}  // namespace qb
