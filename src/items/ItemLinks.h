#pragma once

#include "items/ItemCardData.h"

#include <QString>

namespace qb {

// A keyword's word or a project's name as a card holds it: at most 50 characters, counted in
// code points, so that a project name (at most 38 characters) is always held whole.
QString LinkName(const QString& name);

// Fills the card's keyword links from ITEMKEYS joined with WORD, in Order order. Links whose word
// no longer exists are dropped; more than 24 rows fill the 24 positions and the rest are left
// out. Does nothing (and answers false) while the stop flag is set; on a failed query the card
// keeps the links it had.
bool AddKeys(ItemCardData& card, Timestamp itemId, QString* error = nullptr);
// Fills the card's project links from ITEMURL joined with PROJECT, newest project first (PTS
// order), at most 24. Links to projects that no longer exist are dropped.
bool AddURLs(ItemCardData& card, Timestamp itemId, QString* error = nullptr);

struct KeywordAddition {
    enum Outcome {
        Ignored,   // concept id or word number 0
        Replaced,  // the concept had a link already: its word was replaced in place
        Appended,
        Refused,  // 24 links already ("qb986" was reported)
    };
    Outcome outcome = Ignored;
    // The card got its first keyword while it still had the new-item look: it now has the normal
    // item frame colour and size (set in the data); the widget turns it to its text side and lays
    // it out again.
    bool leftNewItemLook = false;
};

// Adds or replaces the keyword link of a concept on the card.
KeywordAddition AddKeyword(ItemCardData& card, int wordNo, const QString& word,
                           Timestamp conceptId);

// Adds a project link, or rewrites the one with exactly this name. False when the list was full
// ("qb1029" reported) or the name is longer than a link holds (reported, never cut).
bool AddProject(ItemCardData& card, const QString& projectName);

// Removes the link at the 0-based position. Removing the only keyword is refused with "i1221".
// False when nothing changed.
bool RemoveKeyword(ItemCardData& card, int position);
bool RemoveProject(ItemCardData& card, int position);

// The keyword list row under the pointer: the first visible row plus the rows that y covers,
// where the last sixteenth of a row already counts as the next row.
int KeywordRowAt(int y, int rowHeight, int firstVisibleRow);
// Moves the link at from to position to (clamped to the list), shifting those in between
// toward from. Clears beingReordered (the widget may set it when the drag starts, so that a
// commit meanwhile skips the card). True when the order changed.
bool MoveKeyword(ItemCardData& card, int from, int to);

}  // namespace qb
