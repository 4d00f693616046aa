#pragma once

#include <functional>

class QWidget;

namespace qb {

class TBillBoard;
class TDesktop;

// What populating needs of a desktop: the drops, the keys of the window that holds it (Esc,
// Home, the flags every key press and release clears), the lock that enables it again, and the
// hooks the other subsystems call (an item card's Connections, the locate dialog's concepts, a
// dictionary word without concept dropped on an item card). resetScreen is what Home does.
void InstallPopulateDesktop(TDesktop& desktop, QWidget* keyWindow, std::function<void()> resetScreen);

// The main window's part: the above, and Pop Concepts (F4) and Pop Items (F5).
void InstallPopulateCommands(TBillBoard& window);

}  // namespace qb
