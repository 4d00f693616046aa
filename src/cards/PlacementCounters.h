#pragma once

#include <QPoint>

namespace qb {

// Offsets of the next card that Pop Concepts and Pop Items bring; the clearing commands reset
// them so that the next pops start at the pop spots again.
struct PlacementCounters {
    QPoint popConcepts{0, 0};
    QPoint popItems{0, 0};

    void reset()
    {
        popConcepts = {0, 0};
        popItems = {0, 0};
    }
};

PlacementCounters& placementCounters();

}  // namespace qb
