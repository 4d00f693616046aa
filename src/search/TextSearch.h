#pragma once

#include "search/TextMatch.h"
#include "store/Timestamps.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace qb {

class CardHost;
struct CardData;

namespace search {

class ItemTextIndex;

// The dialog's search types, in its numbering.
enum class SearchType : int { ItemTexts = 0, ConceptsAndItems = 1, DesktopItems = 2 };

// How the item phase reads the store: through the trigram index for texts of three characters or
// more, except that on a large store the first texts are walked and a text found in more than a
// quarter of them goes on being walked; always through the index (tests hold it against the
// walk); or always every item text in turn (the reference the index must agree with).
enum class ItemWalk { Indexed, IndexOnly, Literal };

struct SearchRequest {
    QString text;  // at most 50 characters; the dialog passes SearchTextFromInput(input)
    MatchMode mode = MatchMode::Embedded;
    SearchType type = SearchType::ItemTexts;
    bool picturesOnly = false;  // only items with a picture; with an empty text, all of them
    bool fromDialog = true;     // "Nothing found" is reported only then
    ItemWalk walk = ItemWalk::Indexed;
};

// A concept found through a word that holds the text.
struct ConceptHit {
    QString word;
    int wordNo = 0;
    Timestamp conceptId = 0;
    int found = 0;  // concepts found so far, this one included
};

// An item whose text holds the search text (or any item, in the all-pictures search).
struct ItemHit {
    Timestamp itemId = 0;
    Timestamp its = 0;         // the item's ITS; in the desktop phase the card's item id
    TextHit at;                // start and length 0: a hit without a position
    bool unreadable = false;   // its stored text could not be read; it is left as it is
    CardData* card = nullptr;  // desktop phase: the card that holds the text
    int found = 0;             // items found so far, this one included
};

// Where the desktop comes in. Empty members do nothing, except stopNow, which asks "Stop now?"
// (Yes by default) through the messenger, and processEvents, which lets the messenger's events
// through.
struct SearchCallbacks {
    // Set up the concept card at the next cursor step and lay out its items.
    std::function<void(const ConceptHit&)> conceptFound;
    // Show the item card at the next cursor step with the highlight (Pick1Item). The item phase
    // counts from 1 again (found), so the first item hit is where the cursor starts afresh.
    std::function<void(const ItemHit&)> itemFound;
    std::function<bool()> stopNow;
    std::function<void()> processEvents;
};

struct SearchOutcome {
    bool ran = false;  // false: an empty text without the all-pictures search
    int conceptsFound = 0;
    int itemsFound = 0;
    bool userStopped = false;  // Yes to "Stop now?" in the item or desktop phase
    bool escaped = false;      // Esc ended the search
    bool resumed = false;      // started after the resume point
    bool usedIndex = false;    // the item phase read the trigram index
};

// The text and the place in the walk at which the user last stopped: the item phase's order is
// (ITS, row), with no ITS first, so items that share an ITS (all -1.0 after Clear All Time
// Stamps, or two made in one second) are told apart by their row; the desktop phase keeps the
// card's item id in its. Nothing stopped: its 1.0.
struct ResumePoint {
    QString text;
    Timestamp its = 1.0;
    bool itsNull = false;
    long long rowId = 0;
    bool exists() const { return its != 1.0L || itsNull || rowId != 0; }
    void clear() { *this = ResumePoint(); }
};

// What the search keeps for the run (a session part).
struct SearchState {
    SearchState();
    ~SearchState();
    ResumePoint resume;
    QStringList history;
    // The trigram index of the open store directory; made on first use.
    std::unique_ptr<ItemTextIndex> index;
    // False: the item phase always walks (a store directory the index cannot be written to).
    bool indexEnabled = true;
    // The index is being built beside the program: searches walk, noted writes wait.
    bool indexBuilding = false;
    // Below this many texts either way is quick, and the index is always taken; above it, the
    // first probeTexts texts in the walk's order are read before the index is asked.
    long long chooseWalkFromTexts = 2000;
    int probeTexts = 200;
    long long knownTexts = -1;  // the store's size as the probe saw it; -1: not looked up
};
SearchState& searchState();
// The index of the current store directory (made when the directory changed).
ItemTextIndex& itemTextIndex();

// The search itself, after the dialog (or the inflection window) gave its text and options:
// the concept phase (type 1), then the item phase (types 0 and 1) or the desktop phase (type 2,
// over the item cards of host in child order). CommitRunning is raised while it runs. The
// caller commits pending edits before, and holds the desktop's input around it.
// Reports "Nothing found" or the Esc end as stated, and keeps or clears the resume point.
SearchOutcome RunTextSearch(const SearchRequest& request, const SearchCallbacks& callbacks,
                            CardHost* host = nullptr);

// The commit's note that it wrote or removed these items (the index re-reads them).
void NoteItemsWritten(const std::vector<Timestamp>& items);
// Brings the index up to date now when noted writes wait and no transaction is open (after the
// CLI's own transaction, or at once after the desktop's commit).
void UpdateItemTextIndex();

namespace messages {
inline constexpr char kStopNow[] = "Stop now?";
constexpr int kStopNowHelp = 40050;
inline constexpr char kNothingFound[] = "Nothing found";
inline constexpr char kNothingFoundCode[] = "qb2852";
inline constexpr char kTerminated[] =
    "The program terminated the current operation on your request.";
inline constexpr char kTerminatedCode[] = "qb2849";
inline constexpr char kUnreadable[] =
    "Text damaged or to long to be loadedDBMemoUpload.loadmemo fails ";
}  // namespace messages

}  // namespace search
}  // namespace qb
