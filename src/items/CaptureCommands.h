#pragma once

#include "items/Capture.h"

namespace qb {

// Clipboard text made into an item: converted (and put back on the clipboard); unless convert
// only, a new item card of it gets the keyword the user types. An item whose keyword could not
// be added stays stored, and the user is told it has none.
void SaveClpToItem(LineBreaks mode, bool convertOnly);

// The clipboard text appended to qbimport.txt under a dated header, with a comment the user is
// asked for.
void AnnotateClipboard(bool withComment);

}  // namespace qb
