#pragma once

#include "backup/Maintenance.h"

namespace qb {

class TDesktop;

// "&Find Damaged Items" on the desktop: each batch's cards at 120 + 10 k, framed in the item
// frame colour.
DamagedItemsOutcome FindDamagedItemsOnDesktop(TDesktop& desktop);

}  // namespace qb
