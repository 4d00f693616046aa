#pragma once

#include "cards/CardHost.h"
#include "dictionary/ConceptCardData.h"
#include "items/ItemCardData.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace qb::test {

// A desktop without widgets: cards are plain data in child order.
class FakeCardHost : public CardHost {
public:
    template <class T> T& add(std::unique_ptr<T> card)
    {
        T& ref = *card;
        owned.push_back(std::move(card));
        return ref;
    }
    ItemCardData& addItem(Timestamp id, bool withKeyword = true)
    {
        auto card = std::make_unique<ItemCardData>();
        card->itemId = id;
        card->text = QStringLiteral("text");
        if (withKeyword) card->keywords.push_back({-1.5L, 1, QStringLiteral("word")});
        ItemCardData& ref = add(std::move(card));
        return ref;
    }
    ConceptCardData& addConcept(Timestamp id)
    {
        auto card = std::make_unique<ConceptCardData>();
        card->conceptId = id;
        card->words.push_back({1, QStringLiteral("word")});
        return add(std::move(card));
    }
    CardData& addKind(CardKind kind) { return add(std::make_unique<CardData>(kind)); }

    std::vector<CardData*> cards() const override
    {
        std::vector<CardData*> r;
        for (const auto& c : owned) r.push_back(c.get());
        return r;
    }
    int childCount() const override { return int(owned.size()) + otherChildren; }
    SlotTables& slotTables() override { return tables; }
    QPoint scroll() const override { return scrollPos; }
    QSize visibleSize() const override { return visible; }
    bool freeCard(CardData& card) override
    {
        if (refuse.count(&card)) return false;
        freedOrder.push_back(&card);
        owned.erase(std::remove_if(owned.begin(), owned.end(),
                                   [&](const auto& c) { return c.get() == &card; }),
                    owned.end());
        return true;
    }
    void setCardVisible(CardData& card, bool v) override { visibleCalls.push_back({&card, v}); }
    void moveCard(CardData& card, QPoint pos) override { card.pos = pos; }
    void bringToFront(CardData& card) override { fronted.push_back(&card); }
    void refreshFoundItem(CardData& card, int color) override
    {
        refreshed.push_back({&card, color});
    }
    void focusAway() override { ++focusAways; }
    void processEvents() override
    {
        ++eventRuns;
        if (duringEvents) duringEvents();
    }
    void redrawMap() override { ++mapRedraws; }
    void allCardsCleared() override { ++allCleared; }

    bool alive(const CardData* card) const
    {
        return std::any_of(owned.begin(), owned.end(),
                           [&](const auto& c) { return c.get() == card; });
    }

    std::vector<std::unique_ptr<CardData>> owned;
    std::set<const CardData*> refuse;
    std::vector<const CardData*> freedOrder;
    std::vector<std::pair<CardData*, bool>> visibleCalls;
    std::vector<CardData*> fronted;
    std::vector<std::pair<CardData*, int>> refreshed;
    int otherChildren = 2;  // wallpaper and desktop image
    std::function<void()> duringEvents;
    SlotTables tables;
    QPoint scrollPos;
    QSize visible{780, 520};
    int focusAways = 0;
    int eventRuns = 0;
    int mapRedraws = 0;
    int allCleared = 0;
};

}  // namespace qb::test
