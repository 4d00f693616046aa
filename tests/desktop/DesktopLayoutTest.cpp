#include "desktop/DesktopLayout.h"

#include "FakeCardHost.h"
#include "cards/Collection.h"
#include "cards/PlacementCounters.h"
#include "desktop/FlyWordRules.h"
#include "floor/Settings.h"
#include "session/Session.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

class DesktopLayout : public test::StoreFixture {
protected:
    DesktopLayout() : StoreFixture(false) {}

    CardData& at(CardKind kind, QPoint pos, QSize size = {120, 120})
    {
        CardData& card = host.addKind(kind);
        card.pos = pos;
        card.size = size;
        return card;
    }

    test::FakeCardHost host;
    LayoutCardActions actions;
    const LayoutScreen screen{QSize(1024, 768), 30};
};

TEST_F(DesktopLayout, DiagonalStepsShareEightyPercentOfTheFreeScreenAndNeverFallBelowTwo)
{
    EXPECT_EQ(DiagonalSteps(10, screen, session().settings), QPoint(57, 31));
    EXPECT_EQ(DiagonalSteps(400, screen, session().settings), QPoint(2, 2));
    EXPECT_EQ(DiagonalSteps(0, screen, session().settings), QPoint(0, 0));
}

TEST_F(DesktopLayout, FortyItemsShrinkTwiceAndTileSevenPerRow)
{
    const QSize area(1024, 768 - 8);
    const TileFit fit = FitTiles(TileStartCell(TileKind::Items, session().settings), 40, area);
    EXPECT_EQ(fit.cell, QSize(136, 121));
    EXPECT_EQ(fit.rows * fit.columns, 42);

    const std::vector<QPoint> places = TilePositions(40, fit.cell, area.width(), {0, 0});
    ASSERT_EQ(places.size(), 40u);
    EXPECT_EQ(places[0], QPoint(0, 4));
    EXPECT_EQ(places[6], QPoint(6 * 136, 4));
    EXPECT_EQ(places[7], QPoint(0, 4 + 121));
    EXPECT_EQ(places[39], QPoint(4 * 136, 4 + 5 * 121));
}

TEST_F(DesktopLayout, ACellWiderThanTheAreaEndsTheRowsInsteadOfLoopingForever)
{
    EXPECT_TRUE(TilePositions(3, QSize(1100, 100), 1024, {0, 0}).empty());
}

TEST_F(DesktopLayout, ReadingOrderGoesByTopAndOnlyThenLeftToRight)
{
    CardData& right = at(CardKind::Item, {900, 300});
    CardData& left = at(CardKind::Item, {10, 300});
    CardData& higherFarRight = at(CardKind::Item, {1900, 299});
    CardData& low = at(CardKind::Item, {0, 1800});
    const std::vector<CardData*> order = ReadingOrder(host.cards(), {0, 0});
    const std::vector<CardData*> expected{&higherFarRight, &left, &right, &low};
    EXPECT_EQ(order, expected);
}

TEST_F(DesktopLayout, TheCursorStaysUntilASortOrASearchGivesItAMode)
{
    PlacingCursor& cursor = placingCursor();
    cursor.x = 50;
    cursor.y = 60;
    OrderCardsPos(host, screen, 24, 28);
    EXPECT_EQ(cursor.mode, 0);
    EXPECT_EQ(QPoint(cursor.x, cursor.y), QPoint(50, 60));
}

TEST_F(DesktopLayout, TheDownRightDiagonalStartsAgainAtTheTopLinePast1720)
{
    PlacingCursor cursor;
    cursor.start(1, 300, 1700);
    const CursorFrame frame{QPoint(0, 10), 42, 30, 24};
    OrderCardsPos(cursor, 57, 31, frame);
    EXPECT_EQ(QPoint(cursor.x, cursor.y), QPoint(357, 1731));
    OrderCardsPos(cursor, 57, 31, frame);
    EXPECT_EQ(QPoint(cursor.x, cursor.y), QPoint(414, 42));
}

TEST_F(DesktopLayout, SortStacksThenLaysItemsDownTheDiagonalInReadingOrder)
{
    host.scrollPos = {100, 200};
    const Settings& s = session().settings;
    const QSize standard(s.itemWidth, s.itemHeight);
    CardData& second = at(CardKind::Item, {400, 500}, standard);
    CardData& first = at(CardKind::Item, {900, 450}, QSize(300, 80));
    CardData& conceptCard = at(CardKind::Concept, {10, 10});
    CardData& project = at(CardKind::Project, {5, 5});
    placementCounters().popItems = {48, 56};

    SortCards(host, actions, screen, 57, 31, true);

    const QPoint top(s.generalOffsetSideBorder, s.generalOffsetTopBorder + 30);
    EXPECT_EQ(first.pos, host.scrollPos + top);
    EXPECT_EQ(second.pos, host.scrollPos + top + QPoint(57, 31));
    EXPECT_EQ(first.size, standard) << "an odd-sized item card is set to the standard size";
    EXPECT_EQ(conceptCard.pos, host.scrollPos + QPoint(s.generalOffsetSideBorder,
                                                       768 - s.generalOffsetBottomBorder - 170));
    EXPECT_EQ(project.pos, QPoint(5, 5));
    EXPECT_EQ(placingCursor().mode, 1);
    EXPECT_EQ(placementCounters().popItems, QPoint(0, 0));
    // The stack brings the conceptCard card to the front before the standard item; the odd one is
    // only raised on its diagonal.
    ASSERT_GE(host.fronted.size(), 2u);
    EXPECT_EQ(host.fronted[0], &conceptCard);
    EXPECT_EQ(host.fronted[1], &second);
}

TEST_F(DesktopLayout, TileExtendedCoversTheWholeDesktopAndMovesOnlyTheAskedKind)
{
    host.scrollPos = {300, 400};
    const Settings& s = session().settings;
    CardData& a = at(CardKind::Item, {50, 700});
    CardData& b = at(CardKind::Item, {20, 600});
    CardData& conceptCard = at(CardKind::Concept, {10, 10});

    Tile(host, actions, screen, TileKind::Items, true);

    EXPECT_EQ(b.pos, QPoint(0, 4));
    EXPECT_EQ(a.pos, QPoint(s.itemWidth, 4));
    EXPECT_EQ(a.size, QSize(s.itemWidth, s.itemHeight));
    EXPECT_EQ(conceptCard.pos, QPoint(10, 10));
}

}  // namespace

namespace {

TEST_F(DesktopLayout, FlywordsCascadeFromThePopSpotUntilCardsAreClearedOrSorted)
{
    const QPoint spot(400, 64);
    // The first stands 100 left of and above the spot, its top raised to 5.
    EXPECT_EQ(NextFlywordPosition(spot), QPoint(300, 5));
    EXPECT_EQ(NextFlywordPosition(spot), QPoint(310, 5));
    EXPECT_EQ(NextFlywordPosition(spot), QPoint(320, 20));
    // Clearing flywords alone keeps the cascade going.
    ClearCards(host, ClearCommand::Flywords);
    EXPECT_EQ(NextFlywordPosition(spot), QPoint(330, 48));
    ClearCards(host, ClearCommand::Concepts);
    EXPECT_EQ(NextFlywordPosition(spot), QPoint(300, 5));
    NextFlywordPosition(spot);
    SortCards(host, actions, screen, 57, 31, true);
    EXPECT_EQ(NextFlywordPosition(spot), QPoint(300, 5));
}

}  // namespace
