#pragma once

class QObject;

namespace qb {

class TBillBoard;

// Binds the dictionary's main-window commands (new word, new concept, dictionary windows, the
// dictionary locate, the explode mode, the word lists), its keys on the desktop (Insert, F10,
// "+", "-", typing into the locate), the drop of words on the desktop, and fills in the
// dictionary's hooks and the dictionary windows' part of the window layout.
void InstallDictionaryCommands(TBillBoard& window);

// The menu's check marks and the tool bar's indicator for the current explode mode.
void RefreshExplodeMarks(TBillBoard& window);

}  // namespace qb
