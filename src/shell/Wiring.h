#pragma once

#include <functional>

class QWidget;

namespace qb {

class TBillBoard;
class TDesktop;

// Every hook, callback and main-window command that connects the subsystems to each other and
// to the main window is assigned here, each in one place. The main window's constructor calls
// WireMainWindow once, after its menus and tool bar are built.
void WireMainWindow(TBillBoard& window);

// The parts for a desktop that stands without the main window (tests, benchmarks).
// The desktop hooks: clearing the desktop and its scroll position, served by the current desktop.
void WireDesktop();
// The item cards' part: the commit and empty-card hooks, the found-card handler, the desktop
// picture (hidden when every card is cleared).
void WireItemDesktop(TDesktop& desktop);
// Populating: the drops, the keys of keyWindow (Home runs resetScreen), the lock on the desktop,
// an item's Connections and the locate dialog's concepts. A dictionary word without a concept
// dropped on an item card becomes a concept card through the dictionary's placeConceptCard hook.
void WirePopulateDesktop(TDesktop& desktop, QWidget* keyWindow, std::function<void()> resetScreen);

}  // namespace qb
