#pragma once

#include <QtGlobal>

namespace qb {

// Scrolling the outline tree while something is dragged over its top or bottom edge, so that a
// drop can reach nodes out of sight. Positions count every node of the tree in display order.
struct TreeDragScroll {
    int furthestTop = 5;  // the furthest first visible node reached since the last layout
    qint64 lastStepMs = -1;
};
constexpr int kDragScrollEdge = 14;     // pixels from the top or bottom edge
constexpr int kDragScrollMinNodes = 8;  // smaller trees fit the window
constexpr qint64 kDragScrollPauseMs = 100;

// The node to show first for a drag at y in a window of that height, or -1 to leave the tree.
int DragScrollTarget(TreeDragScroll& state, int nodeCount, int firstVisible, int y, int height,
                     qint64 nowMs);

}  // namespace qb
