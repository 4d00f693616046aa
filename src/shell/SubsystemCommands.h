#pragma once

namespace qb {

class TBillBoard;

// Lets every subsystem bind its main-window commands and fill in its hooks; called once at the
// end of the main window's construction.
void InstallSubsystemCommands(TBillBoard& window);

}  // namespace qb
