#include "desktop/PackRules.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

TEST(PackRules, ADragOfTwentyPixelsIsAClick)
{
    EXPECT_FALSE(LassoIsDrag({100, 100}, {120, 80}));
    EXPECT_TRUE(LassoIsDrag({100, 100}, {121, 100}));
    EXPECT_TRUE(LassoIsDrag({100, 100}, {100, 79}));
}

TEST(PackRules, TheAnchorFollowsTheDragDirectionAndStaysOffTheEdges)
{
    // Down and right: one card size up and left of the release point.
    LassoArea a = LassoAreaOf({100, 100}, {500, 400}, 213, 190);
    EXPECT_EQ(a.anchor, QPoint(287, 210));
    EXPECT_TRUE(a.holds({101, 399}));
    EXPECT_FALSE(a.holds({100, 200}));
    // Up and left: the release point itself, the corners swapped.
    a = LassoAreaOf({500, 400}, {100, 100}, 213, 190);
    EXPECT_EQ(a.anchor, QPoint(100, 100));
    EXPECT_TRUE(a.holds({101, 399}));
    EXPECT_FALSE(a.holds({500, 200}));
    // A card size back would come too near the left or top edge.
    EXPECT_EQ(LassoAreaOf({0, 0}, {230, 215}, 213, 190).anchor, QPoint(230, 215));
    EXPECT_EQ(LassoAreaOf({0, 0}, {240, 225}, 213, 190).anchor, QPoint(27, 35));
}

TEST(PackRules, PackCardsAreInsideNotHiddenItemsInReadingOrderUpToTheLimit)
{
    std::vector<CardData> cards(5, CardData(CardKind::Item));
    cards[0].pos = {300, 300};
    cards[1].pos = {150, 150};
    cards[2].pos = {95, 200};
    cards[3].pos = {160, 160};
    cards[3].hidden = true;
    cards[4].pos = {600, 150};
    CardData conceptCard(CardKind::Concept);
    conceptCard.pos = {170, 170};
    std::vector<CardData*> all{&cards[0], &cards[1], &cards[2], &cards[3], &cards[4], &conceptCard};
    // The view is scrolled 100 right: card positions are 100 more than view positions.
    const LassoArea area = LassoAreaOf({0, 0}, {400, 400}, 213, 190);
    EXPECT_EQ(PackOf(all, area, {100, 0}), (std::vector<CardData*>{&cards[1], &cards[0]}));
    EXPECT_EQ(PackOf(all, area, {0, 0}), (std::vector<CardData*>{&cards[1], &cards[2], &cards[0]}));
    EXPECT_EQ(PackOf(all, area, {0, 0}, 2), (std::vector<CardData*>{&cards[1], &cards[0]}));
}

TEST(PackRules, OffsetsGrowByFourUpToSixtyFourAndBookPagesFollowEachOther)
{
    std::vector<int> offsets;
    for (int i = 1; i <= 70; ++i) offsets.push_back(PackOffset(i));
    EXPECT_EQ(offsets[0], 4);
    EXPECT_EQ(offsets[14], 60);
    EXPECT_EQ(offsets[15], 64);
    EXPECT_EQ(offsets[69], 64);
    EXPECT_EQ(BookTops({50, 70, 20}), (std::vector<int>{1, 51, 121}));
}

TEST(PackRules, JoinedTextLeavesOutTextsPastTheLimitAndCountsThem)
{
    JoinedText joined(QDateTime(QDate(2026, 12, 8), QTime(9, 5)), 10);
    joined.add(QStringLiteral("abcd"));
    joined.add(QStringLiteral("\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600"));
    joined.add(QStringLiteral("x"));
    joined.add(QStringLiteral("y"));
    EXPECT_TRUE(joined.text().startsWith(QStringLiteral(" ----- ")));
    EXPECT_TRUE(joined.text().endsWith(QStringLiteral(
        " ----- \n\n\n\nabcd\n\n\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600")));
    EXPECT_EQ(joined.leftOut(), 2);
    EXPECT_TRUE(joined.leftOutNote().contains(QStringLiteral("2 card")));
    EXPECT_TRUE(JoinedText(QDateTime(), 10).leftOutNote().isEmpty());
}

}  // namespace
