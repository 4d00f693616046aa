#pragma once

#include "store/Timestamps.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace qb {

class CardHost;
struct CardData;
struct ItemCardData;

// The order of a project's items. An item's ITS orders the items of every project it is linked
// to, so each project keeps a snapshot of its items' ITS values in PRJORDR (rows with ITS below
// zero are the snapshot) and writes them back into ITEM before its items are read.

// What the project order needs of the desktop program. Set in shell/Wiring.cpp.
struct ProjectHooks {
    // Places the project's items on the desktop as a project drop does, at most limit cards.
    std::function<void(const QString& project, int limit)> placeItems;
};
ProjectHooks& projectHooks();

constexpr int kReverseCollectLimit = 100;

// The ITS a card at this desktop position (scroll positions included) gets: base + 0.001 x
// (top / 2000 + left / 2 000 000). Higher cards come first; a pixel of height weighs as much as
// 1000 pixels of left.
Timestamp ProjectOrderStamp(QPoint desktopPos, Timestamp base);

enum class ProjectLink { Rewritten, Appended, Refused };
// Gives the card its order stamp (pendingTS, written by the next commit) and links it to the
// project. A card with 24 projects already keeps its stamp but gets no link ("qb3949X").
ProjectLink AddProjectUpdate(ItemCardData& card, const QString& project, Timestamp base);

// Takes the project's snapshot: its rows below zero are replaced by the current ITS of every
// linked item, in one transaction (a failure leaves the old snapshot). The changed cards are
// committed first (the desktop's commit, or commit when given). False, with "Failed to save
// Advanced Project series 7415", when the commit left cards unwritten or the snapshot failed.
bool SaveProjectOrder(const QString& project, const std::function<bool()>& commit = {});

// Restores the project's saved order: every snapshot row's ITS goes back into ITEM. Without a
// snapshot, the first one is taken and no item changes. The read and the writes are one
// transaction: a failure leaves every ITS as it was.
bool AdvPrjQ_update(const QString& project);

// AdvPrjQ_update for one project after another (an outline document): the statements are
// prepared once for the whole run.
class ProjectOrderRestore {
public:
    ProjectOrderRestore();
    ~ProjectOrderRestore();
    bool restore(const QString& project);

private:
    struct Statements;
    std::unique_ptr<Statements> st_;
};

// "Add Desktop/Reorder": every item card that is not hidden gets its order stamp from its place
// and is linked to the project; the cards are committed and the order saved. Then the question
// whether to clear the desktop.
bool CollectDesk(CardHost& host, const QString& project);

// The same for a pack: its item cards, in pack order, get their order stamps and the link; the
// cards are committed and the order saved. A stamp grows with the card's place in the pack, so
// cards stacked on one spot keep the pack's order. No question about clearing the desktop.
bool CollectPack(CardHost& host, const std::vector<CardData*>& pack, const QString& project);

// Unlinks the project from the desktop: its items are placed (at most 100), then every item card
// that is not hidden loses its last link to the project. The links go when the cards are saved.
// Returns how many cards were unlinked.
int ReverseCollectDesk(CardHost& host, const QString& project);

// The ids of the project's items in the order a project drop shows them (after AdvPrjQ_update).
std::vector<Timestamp> ProjectItemIds(const QString& project, QString* error = nullptr);

namespace projectordermessages {
inline constexpr char kMaxDetail[] = "Max no of detail objects per main object exceeded";
inline constexpr char kSaveFailed[] = "Failed to save Advanced Project series 7415";
inline constexpr char kRestoreFailed[] =
    "Failed to locate project order info. Avoid using special characters in project names.";
inline constexpr char kNoRows[] = "AdvPrjQ_update. 2543. RowsAffected = 0";
inline constexpr char kClearQuestion[] = "Clear desktop to get items in order at next drop";
}  // namespace projectordermessages

}  // namespace qb
