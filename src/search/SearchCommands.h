#pragma once

#include "search/TextSearch.h"

#include <optional>

class QMainWindow;

namespace qb {

class TDesktop;
class TFind_Word;

namespace search {

// The frame colour of a hit card (stored form of #A4A400).
constexpr int kHitColor = 10789888;

// The text search on the desktop: commits the edited cards, asks the Find dialog (or takes the
// given request), keeps the desktop from taking input while it runs (a 10-second timer gives it
// back whatever happens), and lays out the hits at the placing cursor. toolBarHeight: the main
// window's tool bar, the cursor starts below it.
SearchOutcome ItemTextSearch(TDesktop& desktop, int toolBarHeight,
                             const std::optional<SearchRequest>& given = std::nullopt);
// The tool bar's button: the dialog opens with an empty input.
SearchOutcome FindTextFromToolBar(TDesktop& desktop, int toolBarHeight);
// Utilities > Clear Find Entries.
void ClearFindEntries();
// Builds a missing or outdated text index beside the program, showing its progress in window's
// status line; searches walk the texts until it is ready. Stopped when the program ends.
void BuildTextIndexBeside(QMainWindow* window);

}  // namespace search
}  // namespace qb
