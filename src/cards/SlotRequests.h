#pragma once

#include "cards/CardHost.h"

#include <QPoint>

namespace qb {

// The answer of a slot request: a new slot (result > 0, the slot to create the card in), an
// existing card (result 0, card and its slot), or no slot (result -1, the user has been told).
struct SlotAnswer {
    int result = -1;
    int slot = 0;
    CardData* card = nullptr;

    bool isNew() const { return result > 0; }
    bool isExisting() const { return result == 0; }
};

// A slot for the card of an item at desktop position pos. An existing card of the item is
// moved there, refreshed and coloured with color (when not 0) instead.
SlotAnswer GetItemSlot(CardHost& host, QPoint pos, Timestamp itemId, int color);
// A slot for the card of a concept; an existing card is moved to pos and brought to the front.
SlotAnswer GetSynWheelSlot(CardHost& host, QPoint pos, Timestamp conceptId);
// A slot for a new dictionary window (CardKind::Dictionary) or project window
// (CardKind::Project); 0 when the table is full (the user has been told).
int GetWindowSlot(CardHost& host, CardKind kind);

namespace slotmessages {
inline constexpr char kTooMany[] = "Too many windows on desktop";
inline constexpr char kItemCode[] = "qb1753";
inline constexpr char kConceptCode[] = "qb1457";
inline constexpr char kDictionaryCode[] = "qb3127";
inline constexpr char kProjectCode[] = "qb3160";
constexpr int kHelp = 40050;
}  // namespace slotmessages

// "Too many windows on desktop" with the code of the kind's table, and the abort flags set.
void ReportSlotTableFull(CardKind kind);

// Sets the Esc request and the held abort, so that a running explode stops.
void SetAbortFlags();
void ClearAbortFlags();

}  // namespace qb
