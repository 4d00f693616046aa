#pragma once

#include "store/Timestamps.h"

#include <QPoint>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace qb {

class TItem;
struct ItemCardData;

// What the item card asks of subsystems that are built apart from it. Each is optional: while
// one is missing the card does without (noted at each). Who sets each is noted too.
struct ItemHooks {
    // Sends the card's item to XML target 1-3 ("XMLSend<n>"). Missing: no send rows. Set in
    // shell/Wiring.cpp.
    std::function<void(int target, const ItemCardData& card)> sendAsXml;
    // The word look-up menu for a card's text selection, at a screen point. Missing: the right
    // press opens the command panel instead. Set in shell/Wiring.cpp.
    std::function<void(TItem& card, const QString& selection, QPoint globalPos)> wordLookup;
    // A flyword of the selected text at a desktop point, linked to the card's touch timestamp.
    // Missing: a double click in the text only selects. Not set yet: the flywords will.
    std::function<void(const QString& text, QPoint desktopPos, Timestamp touch)> makeFlyword;
    // The connections of an item, shown from a desktop point on. Missing: the row does nothing.
    // Set in shell/Wiring.cpp.
    std::function<void(int x, int y, Timestamp itemId)> showConnections;
    // Two items focused one after the other. Missing: nothing is recorded. Set in
    // shell/Wiring.cpp.
    std::function<void(Timestamp previous, Timestamp current)> associate;
    // A new concept card holding the word, at the concept create spot, for a dictionary word that
    // no concept holds yet. Missing: the drop reports "Please drop a second time and select your
    // concept" and adds nothing. Set in shell/Wiring.cpp.
    std::function<void(const QString& word, int wordNo)> newConceptCardForWord;
    // The tool bar's date stamp, which starts a new item's text. Missing: empty. Set in
    // shell/Wiring.cpp.
    std::function<QString()> dateStampText;
    // The menus' check marks for the card-side-up mode. Missing: none. Set in shell/Wiring.cpp.
    std::function<void(int mode)> showCardSideMarks;
    // True until the main window's first activation, while cards only come up and no focus
    // means an association. Missing: false. Set in shell/Wiring.cpp.
    std::function<bool()> startingUp;
    // Turns the main window's hints on (a card got its date hint). Set in shell/Wiring.cpp.
    std::function<void()> showHints;
    // The commit wrote or removed these items (the text search's index reads them again).
    // Missing: the index finds the change itself, at a higher cost. Set in shell/Wiring.cpp and
    // by quillbox-cli.
    std::function<void(const std::vector<Timestamp>& items)> itemsWritten;
    // Files from the file manager dropped on the card: the card's new text, or nothing when the
    // file was refused or the user said no. Missing: such drops are not taken. Set in
    // shell/Wiring.cpp.
    std::function<std::optional<QString>(const QStringList& paths, const QString& cardText)>
        droppedFiles;
};

ItemHooks& itemHooks();

// The id of the item card that last got the focus; -1.0 before any did.
Timestamp& lastEnteredItem();

}  // namespace qb
