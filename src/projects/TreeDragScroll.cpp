#include "projects/TreeDragScroll.h"

#include <algorithm>

namespace qb {

int DragScrollTarget(TreeDragScroll& state, int nodeCount, int firstVisible, int y, int height,
                     qint64 nowMs)
{
    if (state.lastStepMs >= 0 && nowMs - state.lastStepMs < kDragScrollPauseMs) return -1;
    state.lastStepMs = nowMs;
    if (nodeCount < kDragScrollMinNodes || firstVisible < 0) return -1;
    if (y < kDragScrollEdge) return firstVisible > 0 ? std::max(0, firstVisible - 2) : -1;
    if (y > height - kDragScrollEdge && nodeCount - 1 - firstVisible > 4) {
        const int next = std::min(nodeCount - 1, std::max(firstVisible + 1, state.furthestTop));
        state.furthestTop = std::max(state.furthestTop, next);
        return next;
    }
    return -1;
}

}  // namespace qb
