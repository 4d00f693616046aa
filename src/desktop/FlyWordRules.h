#pragma once

#include "store/Timestamps.h"

#include <QPoint>
#include <QString>

#include <functional>

namespace qb {

// A flyword's text: trimmed, lower-cased, at most 50 characters (a letter outside the basic
// plane is never cut in two).
inline constexpr int kFlywordTextLimit = 50;
// Text handed to a new flyword is cut to this many characters before it is cleaned.
inline constexpr int kFlywordSourceLimit = 120;
QString FlywordWordText(const QString& text);

// Where the next flyword made from (x, y) stands: the program-wide counter c (raised by one)
// places it at x + 10c - 100, y + 28c - 100, no coordinate below 5. The counter goes back to 0
// with the placement counters (clearing cards, sorting).
QPoint NextFlywordPosition(QPoint from);

// What the flywords need from above the desktop. Set by the shell's wiring.
struct FlywordHooks {
    // CleanFileName keeping blanks; missing: the text stays as it is.
    std::function<QString(const QString& text)> cleanText;
    // The tool bar's "Find text", which proposes the clipboard's first word.
    std::function<void()> findText;
    // The clipboard's text is replaced.
    std::function<void(const QString& text)> setClipboardText;
};
FlywordHooks& flywordHooks();

}  // namespace qb
