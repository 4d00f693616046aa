#pragma once

#include "cards/DragPayload.h"

#include <QPoint>

namespace qb {

class TDesktop;

// Where a drop on the desktop landed: the desktop itself (the point is in coordinates of its
// visible part) or the wallpaper or desktop image, whose coordinates are desktop coordinates.
enum class DropPlace { Desktop, Picture };

// The drop handler of the desktop (FormDragDrop): commits and frees dropped cards first, then
// explodes what was dropped: a dictionary or inflection word into its concepts (a word without
// one becomes a new concept card), an item keyword into its concept card, a project into its
// items (their texts go to the clipboard), a concept card's word into the concept's items.
// False when the drop was refused (a run or a commit in progress) or its source is not one the
// desktop takes.
bool FormDragDrop(TDesktop& desktop, const DragPayload& payload, QPoint point,
                  DropPlace place = DropPlace::Desktop);

// Real drags: the desktop surface accepts whatever is dragged over it (except while a run or a
// commit is in progress) and hands drops to FormDragDrop.
void InstallDesktopDrops(TDesktop& desktop);

}  // namespace qb
