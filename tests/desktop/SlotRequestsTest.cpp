#include "cards/SlotRequests.h"

#include "FakeCardHost.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

class SlotRequests : public test::StoreFixture {
protected:
    // Asks for item slots and fills each with a card, as the item set-up does.
    int fillItems(int count)
    {
        for (int i = 0; i < count; ++i) {
            Timestamp id = -46000.5L - i * 0.001L;
            SlotAnswer a = GetItemSlot(host, {10, 10}, id, 0);
            if (!a.isNew()) return i;
            ItemCardData& card = host.addItem(id);
            EXPECT_TRUE(host.tables.items.assign(a.slot, card));
        }
        return count;
    }
    int fillConcepts(int count)
    {
        for (int i = 0; i < count; ++i) {
            Timestamp id = -46000.5L - i * 0.001L;
            SlotAnswer a = GetSynWheelSlot(host, {10, 10}, id);
            if (!a.isNew()) return i;
            EXPECT_TRUE(host.tables.concepts.assign(a.slot, host.addConcept(id)));
        }
        return count;
    }

    test::FakeCardHost host;
};

TEST_F(SlotRequests, MachineIndex100RefusesThe101stItemAndThe51stConcept)
{
    messenger.expect(QStringLiteral("qb1753"));
    messenger.expect(QStringLiteral("qb1457"));
    session().settings.machineIndex = 100;
    EXPECT_EQ(fillItems(101), 100);
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.message, QStringLiteral("Too many windows on desktop"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb1753"));
    EXPECT_EQ(messenger.shown[0].request.helpTopic, 40050);
    // The message clears the Esc request; the refusal sets it again so that an explode stops.
    EXPECT_TRUE(session().flags.escapeRequested());
    EXPECT_TRUE(session().flags.abortHeld());

    messenger.clear();
    session().flags.clearEscape();
    session().flags.releaseAbort();
    EXPECT_EQ(fillConcepts(51), 50);
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb1457"));
    EXPECT_TRUE(session().flags.escapeRequested() && session().flags.abortHeld());
}

TEST_F(SlotRequests, MachineIndex35AllowsThirtyFiveItemsAndTheConceptFloorOfTwenty)
{
    messenger.expect(QStringLiteral("qb1753"));
    messenger.expect(QStringLiteral("qb1457"));
    session().settings.machineIndex = 35;
    EXPECT_EQ(fillItems(40), 35);
    EXPECT_EQ(fillConcepts(40), 20);
    EXPECT_EQ(messenger.count(), 2);
}

TEST_F(SlotRequests, AFreedSlotIsTakenAgainFirst)
{
    session().settings.machineIndex = 30;
    ASSERT_EQ(fillItems(5), 5);
    CardData* third = host.tables.items.at(3);
    ASSERT_NE(third, nullptr);
    host.tables.items.release(3, third);
    SlotAnswer a = GetItemSlot(host, {0, 0}, -1.0L, 0);
    EXPECT_EQ(a.result, 3);
}

TEST_F(SlotRequests, AnItemCardOnTheDesktopIsMovedInsteadOfDoubled)
{
    ItemCardData& card = host.addItem(-46001.25L);
    host.tables.items.assign(7, card);
    SlotAnswer a = GetItemSlot(host, {300, 200}, -46001.25L + 5e-12L, 0x00FF00);
    EXPECT_TRUE(a.isExisting());
    EXPECT_EQ(a.slot, 7);
    EXPECT_EQ(a.card, &card);
    EXPECT_EQ(card.pos, QPoint(300, 200));
    ASSERT_EQ(host.refreshed.size(), 1u);
    EXPECT_EQ(host.refreshed[0].second, 0x00FF00);

    // Beyond the item tolerance it is another item.
    SlotAnswer other = GetItemSlot(host, {0, 0}, -46001.25L + 3e-11L, 0);
    EXPECT_TRUE(other.isNew());
    EXPECT_EQ(other.slot, 1);
    EXPECT_EQ(messenger.count(), 0);
}

TEST_F(SlotRequests, AFoundCardWithoutSlotIsReportedAsASystemProblem)
{
    messenger.expect(QStringLiteral("Error - 0 item handle!"));
    host.addItem(-46002.0L);
    SlotAnswer a = GetItemSlot(host, {1, 1}, -46002.0L, 0);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.slot, 0);
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(messenger.plain[0].endsWith(QStringLiteral("\r\nError - 0 item handle!")));
}

TEST_F(SlotRequests, AConceptCardIsFoundWithinItsCoarserToleranceAndBroughtToFront)
{
    ConceptCardData& card = host.addConcept(-46003.5L);
    host.tables.concepts.assign(2, card);
    SlotAnswer a = GetSynWheelSlot(host, {40, 50}, -46003.5L + 5e-8L);
    EXPECT_TRUE(a.isExisting());
    EXPECT_EQ(a.slot, 2);
    EXPECT_EQ(card.pos, QPoint(40, 50));
    ASSERT_EQ(host.fronted.size(), 1u);
    EXPECT_TRUE(GetSynWheelSlot(host, {0, 0}, -46003.5L + 2e-7L).isNew());
}

TEST_F(SlotRequests, ACardThatCouldNotBeFreedIsNeverFoundAgain)
{
    ItemCardData& dead = host.addItem(-46004.0L);
    host.tables.items.assign(1, dead);
    dead.unfreeable = true;
    dead.hidden = true;
    SlotAnswer a = GetItemSlot(host, {0, 0}, -46004.0L, 0);
    EXPECT_TRUE(a.isNew());
    EXPECT_EQ(a.slot, 2);
}

TEST_F(SlotRequests, WindowTablesHoldTenDictionariesAndFifteenProjects)
{
    messenger.expect(QStringLiteral("qb3127"));
    messenger.expect(QStringLiteral("qb3160"));
    for (int i = 1; i <= 10; ++i) {
        int slot = GetWindowSlot(host, CardKind::Dictionary);
        ASSERT_EQ(slot, i);
        host.tables.dictionaries.assign(slot, host.addKind(CardKind::Dictionary));
    }
    EXPECT_EQ(GetWindowSlot(host, CardKind::Dictionary), 0);
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb3127"));
    EXPECT_TRUE(session().flags.abortHeld());

    for (int i = 1; i <= 15; ++i)
        host.tables.projects.assign(GetWindowSlot(host, CardKind::Project),
                                    host.addKind(CardKind::Project));
    EXPECT_EQ(GetWindowSlot(host, CardKind::Project), 0);
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("qb3160"));
    EXPECT_EQ(GetWindowSlot(host, CardKind::Flyword), 0);
}

TEST_F(SlotRequests, NewWindowsCascadeFromTheCreateSpot)
{
    const Settings& s = session().settings;
    EXPECT_EQ(WindowCascadePosition(1, s), QPoint(220, 102));
    EXPECT_EQ(WindowCascadePosition(3, s), QPoint(268, 158));
    session().settings.horizontal = 10;
    session().settings.createSpotTY = 0;
    EXPECT_EQ(WindowCascadePosition(4, session().settings), QPoint(250, 84));
}

TEST(SlotTable, AssignRefusesATakenSlotAndReleaseOnlyEmptiesItsOwnCard)
{
    SlotTable table(3);
    CardData a(CardKind::Item), b(CardKind::Item);
    EXPECT_TRUE(table.assign(2, a));
    EXPECT_EQ(a.slot, 2);
    EXPECT_FALSE(table.assign(2, b));
    EXPECT_FALSE(table.assign(4, b));
    table.release(2, &b);
    EXPECT_EQ(table.at(2), &a);
    EXPECT_EQ(table.firstEmpty(), 1);
    EXPECT_EQ(table.firstEmpty(1), 1);
    table.assign(1, b);
    EXPECT_EQ(table.firstEmpty(2), 0);
    EXPECT_EQ(table.firstEmpty(99), 3);
    table.release(2, &a);
    EXPECT_EQ(table.occupied(), 1);
}

}  // namespace
