#include "items/ItemHooks.h"

#include "session/Session.h"

namespace qb {

namespace {

struct ItemHookState {
    ItemHooks hooks;
    Timestamp lastEntered = -1.0L;
};

}  // namespace

ItemHooks& itemHooks() { return session().part<ItemHookState>().hooks; }

Timestamp& lastEnteredItem() { return session().part<ItemHookState>().lastEntered; }

}  // namespace qb
