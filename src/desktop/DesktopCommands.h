#pragma once

class QWidget;

namespace qb {

class TDesktop;
class TDesktopMap;

// Puts a desktop map into host (appended to its layout when it has one, else centred in it) and
// lets the desktop redraw it after every collection.
TDesktopMap* InstallDesktopMap(TDesktop& desktop, QWidget* host);

}  // namespace qb
