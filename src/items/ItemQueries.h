#pragma once

#include "store/Timestamps.h"

#include <optional>

namespace qb {

// The ITS of an item; none when there is no such item or the query fails.
std::optional<Timestamp> ItemTimestamp(Timestamp itemId);

// The stored id nearest to a typed one (ids are printed with 15 significant digits), within
// 1e-7; none when no item lies that close.
std::optional<Timestamp> FindItemId(double typedId);

}  // namespace qb
