#pragma once

#include "store/Timestamps.h"

#include <QPoint>
#include <QString>

#include <functional>

namespace qb {

// What the item card asks of subsystems that are built apart from it. Each is optional: while
// one is missing the card does without (noted at each).
struct ItemHooks {
    // The word look-up menu for a text selection, at a screen point. Missing: the right press
    // opens the command panel instead.
    std::function<void(const QString& selection, QPoint globalPos)> wordLookup;
    // A flyword of the selected text at a desktop point, linked to the card's touch timestamp.
    // Missing: a double click in the text only selects.
    std::function<void(const QString& text, QPoint desktopPos, Timestamp touch)> makeFlyword;
    // The connections of an item, shown from a desktop point on. Missing: the row does nothing.
    std::function<void(int x, int y, Timestamp itemId)> showConnections;
    // Two items focused one after the other. Missing: nothing is recorded.
    std::function<void(Timestamp previous, Timestamp current)> associate;
    // A new concept card holding the word, at the concept create spot, for a dictionary word that
    // no concept holds yet. Missing: the drop reports "Please drop a second time and select your
    // concept" and adds nothing.
    std::function<void(const QString& word, int wordNo)> newConceptCardForWord;
};

ItemHooks& itemHooks();

// The id of the item card that last got the focus; -1.0 before any did.
Timestamp& lastEnteredItem();

}  // namespace qb
