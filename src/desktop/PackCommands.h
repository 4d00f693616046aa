#pragma once

#include "cards/CardData.h"
#include "items/Associations.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <vector>

class QMenu;

namespace qb {

class TDesktop;
class TItem;

// What the pack menu asks of the projects and the shell. Each is optional: a missing one leaves
// its entry out. Set in shell/Wiring.cpp.
struct PackHooks {
    // The current project's name; empty for none (no "Add to" entry).
    std::function<QString()> currentProject;
    // The new project dialog; the new project's name when one was made.
    std::function<QString()> newProject;
    // Links the pack's cards to the project in pack order and saves the order.
    std::function<void(TDesktop&, const std::vector<CardData*>& pack, const QString& project)>
        collectPack;
    // The clipboard's text in the text editor.
    std::function<void()> editor;
};
PackHooks& packHooks();

// The cards of the last lasso or "Stack Book Text", in pack order (cards freed since left out).
std::vector<TItem*> CurrentPack();

// The lasso on the desktop's background: a left drag of more than 20 pixels gathers the item
// cards inside it into a pack; a plain left click brings back an associated item.
void InstallLasso(TDesktop& desktop);

// A plain click on the empty desktop at a point of its visible part: one of the items associated
// with the item entered last comes up there, when one is free.
void ShowAssociatedItem(TDesktop& desktop, QPoint at, const RandomBelow& random = {});
// One tick of the rescheduling timer: every ScheduledItemsTimeOut ticks a queued item returns
// near the top left corner of the visible desktop.
void TimerReSchedTimer(TDesktop& desktop, const RandomBelow& random = {});

// The pack menu at a point of the visible desktop (it deletes itself when closed).
QMenu* OpenPackMenu(TDesktop& desktop, QPoint at);
// The pack's cards stacked at a desktop position, each a little further right and down.
void MovePack(TDesktop& desktop, QPoint location);
// "Remove" and "Remove Other".
void RemovePack(TDesktop& desktop);
void PackCrop(TDesktop& desktop);

// "&Book Mode": every item card on the desktop (or the pack's only) as one column of pages.
void BookEncode(TDesktop& desktop, bool packOnly = false);
// "Stack &Book Text" and "Clear Book Te&xt".
void StackBookText(TDesktop& desktop);
void ClearBookText(TDesktop& desktop);

namespace packmessages {
inline constexpr char kLassoFailed[] = "BBoxMouseUp failed";
inline constexpr char kBookFailed[] = "BookEncode failed";
inline constexpr char kStackFailed[] = "StackBooktext failed";
inline constexpr char kCropFailed[] = "PackCrop failed";
}  // namespace packmessages

}  // namespace qb
