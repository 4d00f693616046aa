#include "cards/DesktopMap.h"

#include "floor/Settings.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

CardData cardAt(CardKind kind, QPoint pos, QSize size)
{
    CardData c(kind);
    c.pos = pos;
    c.size = size;
    return c;
}

TEST(DesktopMap, PaintsEachVisibleCardInItsKindOverTheBackground)
{
    Settings s;
    CardData item = cardAt(CardKind::Item, {1000, 400}, {213, 190});
    CardData conceptCard = cardAt(CardKind::Concept, {0, 0}, {160, 72});
    CardData hidden = cardAt(CardKind::Project, {1500, 1500}, {220, 360});
    hidden.hidden = true;
    QImage map = DrawDesktopMap({&item, &conceptCard, &hidden}, s);

    ASSERT_EQ(map.format(), QImage::Format_Indexed8);
    EXPECT_EQ(map.size(), QSize(29, 26));
    // Item at (1000, 400) 213 x 190: x 14..16, y 5..7.
    EXPECT_EQ(DesktopMapRect(item), QRect(14, 5, 3, 3));
    for (int y = 5; y <= 7; ++y)
        for (int x = 14; x <= 16; ++x) EXPECT_EQ(map.pixelIndex(x, y), 6) << x << "," << y;
    EXPECT_EQ(map.pixelIndex(13, 6), 2);
    EXPECT_EQ(map.pixelIndex(17, 6), 2);
    EXPECT_EQ(map.pixelIndex(15, 8), 2);
    EXPECT_EQ(map.pixelIndex(0, 0), 3);
    EXPECT_EQ(map.pixelIndex(21, 19), 2);             // the hidden project window is not drawn
    EXPECT_EQ(map.color(2), qRgb(0x40, 0x80, 0x80));  // MapBackgrColor 8421440
    EXPECT_EQ(map.color(3), qRgb(0xA4, 0xC8, 0xF0));
    EXPECT_EQ(map.color(0), qRgb(0x00, 0xFF, 0xFF));
}

TEST(DesktopMap, LaterCardsPaintOverEarlierOnesAndTheBottomRowIsReached)
{
    Settings s;
    CardData under = cardAt(CardKind::Item, {100, 100}, {400, 400});
    CardData over = cardAt(CardKind::Flyword, {200, 200}, {80, 30});
    CardData bottom = cardAt(CardKind::Dictionary, {1850, 1900}, {220, 100});
    QImage map = DrawDesktopMap({&under, &over, &bottom}, s);
    EXPECT_EQ(map.pixelIndex(2, 2), 8);
    EXPECT_EQ(map.pixelIndex(1, 1), 6);
    // A card near the bottom right corner still shows, clipped to the map.
    EXPECT_EQ(map.pixelIndex(28, 24), 4);
    EXPECT_EQ(map.pixelIndex(25, 23), 4);
}

TEST(DesktopMap, APressScrollsToThatPointKeptWithinTheScrollRange)
{
    const QSize visible(780, 520);
    EXPECT_EQ(DesktopMapScroll({0, 0}, visible), QPoint(0, 0));
    EXPECT_EQ(DesktopMapScroll({10, 5}, visible), QPoint(689, 384));
    // The bottom-right corner scrolls to the maximum, not beyond.
    EXPECT_EQ(DesktopMapScroll({28, 25}, visible), QPoint(2000 - 780, 2000 - 520));
    EXPECT_EQ(DesktopMapScroll({29, 26}, visible), QPoint(1220, 1480));
    EXPECT_EQ(DesktopMapScroll({-3, -3}, visible), QPoint(0, 0));
    // A view larger than the desktop cannot scroll at all.
    EXPECT_EQ(DesktopMapScroll({20, 20}, {2500, 2500}), QPoint(0, 0));
}

}  // namespace
