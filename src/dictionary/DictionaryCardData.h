#pragma once

#include "cards/CardData.h"

namespace qb {

class DictionaryWindowHost;

// The plain data of a dictionary window: the framework's card data and the window it belongs to,
// so that the dictionary rules reach a window through its slot in the dictionary-window table.
struct DictionaryCardData : CardData {
    DictionaryCardData() : CardData(CardKind::Dictionary) {}

    DictionaryWindowHost* window = nullptr;
};

}  // namespace qb
