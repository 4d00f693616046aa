#include "items/EmptyCardsCheck.h"

#include "dictionary/ConceptCardData.h"
#include "floor/Messages.h"
#include "items/ItemCardData.h"
#include "session/Session.h"

namespace qb {

namespace {

void bringBack(CardData& card)
{
    card.hidden = false;
    card.marked = true;
}

}  // namespace

EmptyCardsFinding CheckEmptyItems(const std::vector<CardData*>& cards)
{
    EmptyCardsFinding finding;
    for (CardData* card : cards) {
        auto* conceptCard = dynamic_cast<ConceptCardData*>(card);
        if (!conceptCard || conceptCard->deleted || !conceptCard->words.empty()) continue;
        bringBack(*conceptCard);
        finding.conceptWithoutWord = conceptCard;
        session().inconsistency = true;
        ShowInfo(QStringLiteral("Concept card with no word attached found"),
                 QStringLiteral("qb1050"), kInformation, 40020);
        break;
    }
    for (CardData* card : cards) {
        auto* item = dynamic_cast<ItemCardData*>(card);
        if (!item || item->deleted || !item->keywords.empty()) continue;
        bringBack(*item);
        finding.itemWithoutKeyword = item;
        finding.itemsHaveKeywords = false;
        session().inconsistency = true;
        ShowInfo(
            QStringLiteral("Item with no keyword(concept) attached found - Please add a keyword"),
            QStringLiteral("qb1199"), kError, 40020);
        break;
    }
    return finding;
}

}  // namespace qb
