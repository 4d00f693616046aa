#pragma once

#include <QString>

namespace qb {

// How much a dropped word brings onto the desktop. Kept as [FUNCTIONS] ItemExpansionOnDrop.
enum class ExplodeMode : int { Off = -1, On = 0, Maximum = 1 };

// What the menu and the toolbar indicator show for the mode.
struct ExplodeIndicator {
    ExplodeMode checked = ExplodeMode::On;  // the menu entry with the check mark
    QString text;                           // "OFF", "ON", "MAX"; empty with the pictures
    bool plusPicture = false;
    bool minusPicture = false;
};

ExplodeMode explodeMode();
// SetExplodeMode: -1, 0 or 1. Any other value says "Setexplode error" and changes nothing.
bool SetExplodeMode(int value);
ExplodeIndicator explodeIndicator();
// F10 and a click on the indicator: On -> Maximum -> Off -> On.
void ToggleDisplays();
// "+" on the desktop: Maximum, or On when it is Maximum already. "-": Off.
void ExplodePlusKey();
void ExplodeMinusKey();
// Whether the items of the concepts are laid out too, for a word in that many concepts.
bool explodeItemsFor(int conceptCount);

// Options > "&Merge Words In Concept Window": only then does a concept card offer the merge.
bool mergeWordsOption();
bool ToggleMergeWordsOption();

}  // namespace qb
