#pragma once

class QWidget;

namespace qb {

class TBillBoard;
class TDesktop;
class TDesktopMap;

// Binds the main-window commands the card framework serves (the Clear menu and buttons, Undo
// Recent Deletes, the two hot-spot toggles), makes the logo panel the desktop's focus sink and
// puts the desktop map into the tool bar.
void InstallDesktopCommands(TBillBoard& window);

// Puts a desktop map into host (appended to its layout when it has one, else centred in it) and
// lets the desktop redraw it after every collection.
TDesktopMap* InstallDesktopMap(TDesktop& desktop, QWidget* host);

}  // namespace qb
