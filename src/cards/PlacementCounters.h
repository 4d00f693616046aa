#pragma once

#include <QPoint>

namespace qb {

// Offsets of the next card that Pop Concepts and Pop Items bring, and of the next inflection
// window; the clearing and sorting commands reset them so that the next cards start at the pop
// spots again.
struct PlacementCounters {
    QPoint popConcepts{0, 0};
    QPoint popItems{0, 0};
    QPoint inflections{0, 0};

    void reset()
    {
        popConcepts = {0, 0};
        popItems = {0, 0};
        inflections = {0, 0};
    }
};

PlacementCounters& placementCounters();

}  // namespace qb
