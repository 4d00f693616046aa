#include "items/ItemHooks.h"

namespace qb {

ItemHooks& itemHooks()
{
    static ItemHooks hooks;
    return hooks;
}

Timestamp& lastEnteredItem()
{
    static Timestamp id = -1.0L;
    return id;
}

}  // namespace qb
