#pragma once

#include <QPoint>

namespace qb {

// Offsets of the next card that Pop Concepts and Pop Items bring, of the next inflection window,
// and the flyword cascade; the clearing and sorting commands reset them so that the next cards
// start at their spots again.
struct PlacementCounters {
    QPoint popConcepts{0, 0};
    QPoint popItems{0, 0};
    QPoint inflections{0, 0};
    int flywords = 0;  // flywords made since the last reset; each stands further down the cascade

    void reset()
    {
        popConcepts = {0, 0};
        popItems = {0, 0};
        flywords = 0;
        inflections = {0, 0};
    }
};

PlacementCounters& placementCounters();

}  // namespace qb
