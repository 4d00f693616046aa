#pragma once

#include "search/LookupMenuRules.h"

#include <QPoint>
#include <QString>

#include <functional>

class QMenu;

namespace qb {

class TItem;

namespace search {

// The word look-up on a right press in an item card's selected text: the selection's look-up
// text goes to the clipboard and the menu of BuildLookupMenu opens at the point; the entry chosen
// acts on the card. findText is the tool bar's Find text. A selection without a look-up text
// opens the card's command panel.
void ShowLookupMenu(TItem& card, const QString& selection, QPoint globalPos,
                    const std::function<void()>& findText);

// The menu's widget for a look-up (entries named as the menu items); tests look at it before it
// opens.
void FillLookupMenu(QMenu& menu, const LookupMenu& lookup);

}  // namespace search
}  // namespace qb
