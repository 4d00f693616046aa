#pragma once

#include <vector>

namespace qb {

class Store;
struct CardData;
struct ConceptCardData;

// What one commit pass did, for the desktop that runs it.
struct CommitResult {
    // False when the pass did not start: a commit was already running, the store is not open, a
    // link table could not be opened, or the transaction could not begin ("M2000-3" reported).
    bool ran = false;
    // The pass did not start because another one was running; that one writes the cards.
    bool busy = false;
    // The transaction reached the disk. When false after ran, nothing was written and every card
    // keeps its flags.
    bool committed = false;

    int itemsWritten = 0;
    int itemsRemoved = 0;  // ITEM records deleted (deleted or emptied cards)
    int conceptsWritten = 0;
    int conceptsRemoved = 0;

    // Deleted concept cards that items still use ("qb2145"): Deleted and Hidden are cleared and
    // Marked set; the desktop shows them again and applies their colour.
    std::vector<ConceptCardData*> revived;
    // Cards whose writes were rolled back; they stay Changed for the next commit.
    std::vector<CardData*> failed;
};

// The commit: writes every Changed item and concept card (skipping Unfreeable cards and cards
// whose keywords are being reordered) in the given order, the desktop's child order. Other card
// kinds are passed over. One transaction with a savepoint per card: a card that fails is rolled
// back alone and keeps Changed, the others are written. CommitRunning is set while it runs and
// cleared at the end; the abort flags are cleared at the start.
//
// Messages of the pass are shown after the transaction has ended, so no window is open while the
// tables are locked. The desktop then refreshes its list windows, runs the forced collection and
// redraws the map.
CommitResult CommitCards(const std::vector<CardData*>& cardsInOrder);

// Another program (the CLI, a second start) may have stored a record under the id a new card
// took when it was made. Run inside the transaction, before anything is written: every new card
// (unsaved, and taking part) gets an id that no stored item or concept and no other card of the
// list has, moving down in the generator's steps; the item cards' keyword links follow their
// concept's new id. False when the store cannot tell or no free id was found.
bool ClaimFreeIds(Store& store, const std::vector<CardData*>& cards,
                  bool (*takesPart)(const CardData*));

// Tells the user that edits of cards could not be written and stay on the desktop.
void ReportUnwrittenCards(int cards);

}  // namespace qb
