#pragma once

#include <QPoint>
#include <functional>
#include <vector>

#include "store/Timestamps.h"

namespace qb {

class TDesktop;
struct DragPayload;

// What happens to something of the program dropped on the empty desktop. The dictionary serves
// its own words here until the desktop's full drop handler takes over by setting this; the
// handler gets the drop point in desktop coordinates and answers whether it took the drop.
using DesktopDropHandler =
    std::function<bool(TDesktop& desktop, const DragPayload& payload, QPoint desktopPos)>;
DesktopDropHandler& desktopDropHandler();

// A dictionary or inflection word dropped on the desktop: a word without a concept gets a new
// concept card holding it (a dictionary word's is written at once); a word with concepts brings
// their cards down a diagonal from the drop point. A dictionary word's usage is renewed. Other
// drops are not taken.
bool DropWordOnDesktop(TDesktop& desktop, const DragPayload& payload, QPoint desktopPos);

// The concept cards of a set down the diagonal from a point of the visible part of the desktop:
// each card (Horizontal + ConceptWinExtraOffsetHoriz) right of and Vertical below the one before.
// Stops when the held abort is set (a full concept table sets it). The items of the concepts come
// with the desktop's populate routines.
void DevelopConceptsOnDiagonal(TDesktop& desktop, const std::vector<Timestamp>& concepts,
                               QPoint visiblePos);

// Lets the desktop take the program's drops and hand them to the handler above.
void AcceptDropsOnDesktop(TDesktop& desktop);

}  // namespace qb
