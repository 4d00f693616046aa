#include "cards/Collection.h"

#include "FakeCardHost.h"
#include "cards/PlacementCounters.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

class Collection : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        session().hooks.updateItems = [this] { ++commits; };
        session().hooks.reschedule = [this](Timestamp id) { rescheduled.push_back(id); };
    }

    ItemCardData& item(Timestamp id, int slot)
    {
        ItemCardData& c = host.addItem(id);
        host.tables.items.assign(slot, c);
        return c;
    }

    test::FakeCardHost host;
    int commits = 0;
    std::vector<Timestamp> rescheduled;
};

TEST_F(Collection, FreesHiddenCardsEmptiesTheirSlotsAndReschedulesOnRequest)
{
    ItemCardData& kept = item(-1.1L, 1);
    ItemCardData& dropped = item(-1.2L, 2);
    ItemCardData& rescheduledCard = item(-1.3L, 3);
    ConceptCardData& conceptCard = host.addConcept(-2.0L);
    host.tables.concepts.assign(4, conceptCard);
    CardData& dict = host.addKind(CardKind::Dictionary);
    host.tables.dictionaries.assign(1, dict);
    CardData& flyword = host.addKind(CardKind::Flyword);
    dropped.hidden = rescheduledCard.hidden = conceptCard.hidden = dict.hidden = flyword.hidden =
        true;
    rescheduledCard.rescheduleOnCollect = true;
    dropped.rescheduleOnCollect = false;

    Collect(host, false);
    EXPECT_TRUE(host.alive(&kept));
    EXPECT_EQ(host.owned.size(), 1u);
    EXPECT_EQ(host.tables.items.occupied(), 1);
    EXPECT_EQ(host.tables.items.at(1), &kept);
    EXPECT_EQ(host.tables.concepts.occupied(), 0);
    EXPECT_EQ(host.tables.dictionaries.occupied(), 0);
    ASSERT_EQ(rescheduled.size(), 1u);
    EXPECT_EQ(rescheduled[0], -1.3L);
    EXPECT_EQ(host.eventRuns, 5);  // events run after every freed card
    EXPECT_EQ(host.focusAways, 1);
    EXPECT_EQ(messenger.plain.size(), 0u);
}

TEST_F(Collection, ACardThatCannotBeFreedStaysUnfreeableAndIsSkippedAfterwards)
{
    messenger.expect(QStringLiteral("M838"));
    ItemCardData& first = item(-1.1L, 1);
    ItemCardData& stuck = item(-1.2L, 2);
    ItemCardData& after = item(-1.3L, 3);
    first.hidden = stuck.hidden = after.hidden = true;
    host.refuse.insert(&stuck);

    Collect(host, true);
    EXPECT_FALSE(host.alive(&first));
    EXPECT_TRUE(host.alive(&stuck));
    EXPECT_TRUE(stuck.unfreeable);
    // The collection stopped at the stuck card.
    EXPECT_TRUE(host.alive(&after));
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(messenger.plain[0].endsWith(QStringLiteral("M838")));

    // The next collection passes the stuck card by without another message.
    messenger.clear();
    Collect(host, true);
    EXPECT_FALSE(host.alive(&after));
    EXPECT_TRUE(host.alive(&stuck));
    EXPECT_EQ(messenger.plain.size(), 0u);
    EXPECT_EQ(host.tables.items.at(2), &stuck);
}

TEST_F(Collection, AWidgetAddedWhileEventsRunIsNoCardLeftUnfreed)
{
    ItemCardData& first = item(-1.1L, 1);
    ItemCardData& second = item(-1.2L, 2);
    first.hidden = second.hidden = true;
    host.duringEvents = [this] { ++host.otherChildren; };

    Collect(host, true);
    EXPECT_TRUE(host.owned.empty());
    EXPECT_FALSE(messenger.saw(QStringLiteral("M838")));
}

TEST_F(Collection, CardsWithUnwrittenEditsAreNeverFreedAndDroppedOnesShowAgain)
{
    host.scrollPos = QPoint(0, 0);
    host.visible = QSize(800, 600);
    ItemCardData& edited = item(-1.1L, 1);
    ItemCardData& deleted = item(-1.2L, 2);
    ConceptCardData& conceptCard = host.addConcept(-2.0L);
    CardData& flyword = host.addKind(CardKind::Flyword);
    edited.pos = QPoint(1500, 1500);
    deleted.deleted = true;
    for (CardData* c : host.cards()) c->changed = c->hidden = true;

    Collect(host, true);
    EXPECT_TRUE(host.alive(&edited) && host.alive(&deleted) && host.alive(&conceptCard));
    EXPECT_FALSE(host.alive(&flyword)) << "only the commit's own cards wait for it";

    EXPECT_EQ(KeepUnwrittenCards(host), 3);
    EXPECT_FALSE(edited.hidden);
    EXPECT_TRUE(QRect(QPoint(0, 0), host.visible).intersects(QRect(edited.pos, edited.size)));
    EXPECT_FALSE(conceptCard.hidden);
    EXPECT_TRUE(deleted.hidden) << "a deleted card stays away until the next commit deletes it";
}

TEST_F(Collection, ABaseCardIsFreedWithTheUnknownKindMessage)
{
    messenger.expect(QStringLiteral("M831"));
    CardData& base = host.addKind(CardKind::Base);
    base.hidden = true;
    Collect(host, true);
    EXPECT_TRUE(host.owned.empty());
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_TRUE(messenger.plain[0].endsWith(QStringLiteral("M831")));
}

TEST_F(Collection, WaitsForKeywordsUnlessForcedAndNeverRunsWhileClosing)
{
    bool keywords = false;
    session().hooks.checkEmptyItems = [&] { return keywords; };
    ItemCardData& c = item(-1.0L, 1);
    c.hidden = true;
    Collect(host, false);
    EXPECT_TRUE(host.alive(&c));
    session().flags.beginClosing();
    Collect(host, true);
    EXPECT_TRUE(host.alive(&c));
    session().flags.reset();
    keywords = true;
    Collect(host, false);
    EXPECT_FALSE(host.alive(&c));
}

TEST_F(Collection, GarbageCollectCommitsCollectsAndRedrawsTheMap)
{
    bool keywords = false;
    session().hooks.checkEmptyItems = [&] { return keywords; };
    item(-1.0L, 1).hidden = true;

    GarbageCollect(host, false);
    EXPECT_EQ(commits, 0);
    EXPECT_EQ(host.owned.size(), 1u);
    EXPECT_EQ(host.mapRedraws, 1);

    GarbageCollect(host, true);
    EXPECT_EQ(commits, 1);
    EXPECT_TRUE(host.owned.empty());

    session().commitRunning.raise();
    GarbageCollect(host, true);
    EXPECT_EQ(commits, 1);
    EXPECT_EQ(host.mapRedraws, 2);
}

TEST_F(Collection, GarbageCollectReportsAFailureAndGoesOn)
{
    messenger.expect(QStringLiteral("Garbage collect general failiure"));
    session().hooks.updateItems = [] { throw std::runtime_error("disk"); };
    GarbageCollect(host, true);
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0], QStringLiteral("Garbage collect general failiure"));
}

TEST_F(Collection, GeneralUpdateRunsOnlyOnADirtyDesktop)
{
    item(-1.0L, 1).hidden = true;
    GeneralUpdate(host, true);
    EXPECT_EQ(commits, 0);
    EXPECT_EQ(host.owned.size(), 1u);
    session().desktopDirty = true;
    GeneralUpdate(host, true);
    EXPECT_EQ(commits, 1);
    EXPECT_TRUE(host.owned.empty());
    EXPECT_FALSE(session().desktopDirty);
}

TEST_F(Collection, ItemsNotMarkedKeepsMarkedCardsAndAllItemsTakesThemToo)
{
    ItemCardData& plain = item(-1.1L, 1);
    ItemCardData& marked = item(-1.2L, 2);
    marked.marked = true;
    ConceptCardData& conceptCard = host.addConcept(-2.0L);
    placementCounters().popItems = {48, 56};

    ClearCards(host, ClearCommand::ItemsNotMarked);
    EXPECT_FALSE(host.alive(&plain));
    EXPECT_TRUE(host.alive(&marked));
    EXPECT_TRUE(host.alive(&conceptCard));
    EXPECT_EQ(placementCounters().popItems, QPoint(0, 0));

    ClearCards(host, ClearCommand::AllItems);
    EXPECT_FALSE(host.alive(&marked));
    EXPECT_TRUE(host.alive(&conceptCard));
    EXPECT_EQ(host.tables.items.occupied(), 0);
}

TEST_F(Collection, ItemClearingDoesNothingDuringACommitWhileOthersOnlyMark)
{
    ItemCardData& c = item(-1.1L, 1);
    ConceptCardData& conceptCard = host.addConcept(-2.0L);
    session().commitRunning.raise();
    ClearCards(host, ClearCommand::AllItems);
    EXPECT_FALSE(c.hidden);
    ClearCards(host, ClearCommand::AllCards);
    EXPECT_FALSE(c.hidden);
    ClearCards(host, ClearCommand::Concepts);
    EXPECT_TRUE(conceptCard.hidden);
    EXPECT_TRUE(host.alive(&conceptCard));  // left to the next collection
    session().commitRunning.lower();
    Collect(host, true);
    EXPECT_FALSE(host.alive(&conceptCard));
}

TEST_F(Collection, EachCommandDropsItsOwnKinds)
{
    struct Case {
        ClearCommand command;
        std::vector<CardKind> dropped;
    };
    const std::vector<CardKind> kinds = {CardKind::Item,       CardKind::Concept,
                                         CardKind::Inflection, CardKind::Flyword,
                                         CardKind::Dictionary, CardKind::Project};
    const std::vector<Case> cases = {
        {ClearCommand::Concepts, {CardKind::Concept}},
        {ClearCommand::Inflections, {CardKind::Inflection}},
        {ClearCommand::Flywords, {CardKind::Flyword}},
        {ClearCommand::AllUnmarked, {CardKind::Item, CardKind::Concept}},
        {ClearCommand::AllCards,
         {CardKind::Item, CardKind::Concept, CardKind::Inflection, CardKind::Flyword}},
        {ClearCommand::Desktop, kinds},
    };
    for (const Case& c : cases) {
        for (CardKind kind : kinds) {
            CardData card(kind);
            bool expected = std::find(c.dropped.begin(), c.dropped.end(), kind) != c.dropped.end();
            EXPECT_EQ(ClearedBy(c.command, card), expected)
                << int(c.command) << " kind " << int(kind);
            card.marked = true;
            bool spared =
                c.command == ClearCommand::Concepts || c.command == ClearCommand::AllUnmarked;
            EXPECT_EQ(ClearedBy(c.command, card), expected && !spared)
                << int(c.command) << " marked " << int(kind);
        }
    }
}

TEST_F(Collection, AllCardsClearsTheAbortStateAndSparesWindows)
{
    item(-1.0L, 1);
    CardData& project = host.addKind(CardKind::Project);
    host.addKind(CardKind::Inflection);
    session().flags.requestEscape();
    session().flags.holdAbort();
    placementCounters().popConcepts = {24, 28};
    ClearCards(host, ClearCommand::AllCards);
    EXPECT_FALSE(session().flags.escapeRequested());
    EXPECT_FALSE(session().flags.abortHeld());
    EXPECT_EQ(host.owned.size(), 1u);
    EXPECT_TRUE(host.alive(&project));
    EXPECT_EQ(host.allCleared, 1);
    EXPECT_EQ(placementCounters().popConcepts, QPoint(0, 0));
}

TEST_F(Collection, ClearDesktopFreesEveryCardEvenWithoutKeywords)
{
    session().hooks.checkEmptyItems = [] { return false; };
    host.addItem(-1.0L, false);
    host.addKind(CardKind::Dictionary);
    ClearCards(host, ClearCommand::Desktop);
    EXPECT_TRUE(host.owned.empty());
    EXPECT_EQ(host.focusAways, 4);  // only the two collections move the focus
    EXPECT_GE(commits, 1);
}

TEST_F(Collection, UndoRecentDeletesBringsBackDeletedCardsNotYetFreed)
{
    ItemCardData& deleted = item(-1.1L, 1);
    ItemCardData& dropped = item(-1.2L, 2);
    ItemCardData& dead = item(-1.3L, 3);
    deleted.deleted = deleted.hidden = deleted.changed = true;
    dropped.hidden = true;
    dead.deleted = dead.hidden = dead.unfreeable = true;

    EXPECT_EQ(UndoRecentDeletes(host), 2);
    EXPECT_FALSE(deleted.deleted);
    EXPECT_FALSE(deleted.hidden);
    EXPECT_TRUE(deleted.changed);  // the next commit writes it as it is
    EXPECT_TRUE(dropped.hidden);
    // A card that could not be freed comes back as well, still skipped by commits.
    EXPECT_FALSE(dead.hidden);
    EXPECT_TRUE(dead.unfreeable);
    ASSERT_EQ(host.visibleCalls.size(), 2u);
    EXPECT_EQ(host.visibleCalls[0].first, &deleted);
    EXPECT_EQ(host.visibleCalls[1].first, &dead);

    deleted.deleted = deleted.hidden = true;
    deleted.changed = false;  // the commit has deleted it
    Collect(host, true);
    EXPECT_EQ(UndoRecentDeletes(host), 0);
}

}  // namespace
