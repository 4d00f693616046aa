#pragma once

#include "cards/CardHost.h"

namespace qb {

// Cards leave the desktop in two steps: a command marks them Hidden, and a collection frees
// every hidden card. Each function has a form for an explicit desktop and one for the desktop
// of the running program (which does nothing when there is none).

// Frees every hidden card (not when closing; unless forced, not while an item card lacks a
// keyword). A card that cannot be freed is marked Unfreeable and stops the collection. An item or
// concept card whose edits the store has not taken yet is never freed: it waits for a commit.
void Collect(CardHost& host, bool force);
void Collect(bool force);
// Commits (forced, or when every item has a keyword) and collects; nothing while a commit runs.
void GarbageCollect(CardHost& host, bool force);
void GarbageCollect(bool force);
// GarbageCollect when a card changed since the last collection.
void GeneralUpdate(CardHost& host, bool force);
void GeneralUpdate(bool force);

// The clearing commands of the Clear menu and the tool bar.
enum class ClearCommand {
    Concepts,        // concept cards not marked
    ItemsNotMarked,  // item cards not marked
    AllItems,        // every item card
    Inflections,     // inflection windows
    Flywords,
    AllUnmarked,  // item and concept cards not marked
    AllCards,     // item and concept cards, inflection windows and flywords
    Desktop,      // every card, windows included
};
// Whether a command drops this card.
bool ClearedBy(ClearCommand command, const CardData& card);
void ClearCards(CardHost& host, ClearCommand command);
void ClearCards(ClearCommand command);

// An item or concept card that holds edits the commit writes (Changed, not Unfreeable).
bool AwaitsCommit(const CardData& card);
// After a commit that left edits unwritten: each such card that was dropped shows again, moved
// into the visible part of the desktop when it lies outside; a deleted card stays away and is
// deleted by the next commit. Returns how many cards still hold unwritten edits.
int KeepUnwrittenCards(CardHost& host);

// Brings back every deleted card that has not been freed yet; returns how many came back.
int UndoRecentDeletes(CardHost& host);

namespace collectmessages {
inline constexpr char kUnknownKind[] = "M831";
inline constexpr char kNotFreed[] = "M838";
inline constexpr char kGeneral[] = "Garbage collect general failiure";
inline constexpr char kClearing[] = "Problems with clearing";
inline constexpr char kClearAll[] = "ClearAllSI geberal failiure";
}  // namespace collectmessages

}  // namespace qb
