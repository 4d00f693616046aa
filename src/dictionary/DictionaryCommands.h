#pragma once

#include <functional>

class QWidget;

namespace qb {

class TDesktop;

// The keys the desktop serves itself in window (its key preview): Insert runs newWord, "+" and
// "-" step the explode mode (explodeChanged follows), and typing goes to the dictionary locate.
void InstallDictionaryKeys(QWidget& window, std::function<void()> newWord,
                           std::function<void()> explodeChanged);

// "Incremental Dictionary Search": flips the option, through the locate dialog when it shows;
// the new state.
bool ToggleIncrementalSearch();

// Reset Screen's part: every dictionary window on the desktop goes to its first row.
void DictionaryWindowsGoTop(TDesktop& desktop);

}  // namespace qb
