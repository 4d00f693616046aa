#include "cards/CardHost.h"

namespace qb {

namespace {
CardHost* theHost = nullptr;
}

CardHost* cardHost() { return theHost; }
void setCardHost(CardHost* host) { theHost = host; }

std::optional<Timestamp> itemIdOf(const CardData& card) { return card.shownItemId(); }

std::optional<Timestamp> conceptIdOf(const CardData& card) { return card.shownConceptId(); }

CardData* findItemCard(const std::vector<CardData*>& cards, Timestamp itemId)
{
    for (CardData* card : cards) {
        if (card->unfreeable) continue;
        auto id = itemIdOf(*card);
        if (id && sameId(*id, itemId, kItemIdTolerance)) return card;
    }
    return nullptr;
}

CardData* findConceptCard(const std::vector<CardData*>& cards, Timestamp conceptId)
{
    for (CardData* card : cards) {
        if (card->unfreeable) continue;
        auto id = conceptIdOf(*card);
        if (id && sameId(*id, conceptId, kConceptIdTolerance)) return card;
    }
    return nullptr;
}

std::vector<CardData*> cardsOfKind(const std::vector<CardData*>& cards, CardKind kind)
{
    std::vector<CardData*> result;
    for (CardData* card : cards)
        if (card->kind == kind) result.push_back(card);
    return result;
}

}  // namespace qb
