#pragma once

namespace qb {

class TBillBoard;

// Binds "Send Clipboard To Text &Editor" (F6) and "&File Explorer" to the window's commands and
// lets the external-program starters minimise the window.
void InstallExternalProgramCommands(TBillBoard& window);

}  // namespace qb
