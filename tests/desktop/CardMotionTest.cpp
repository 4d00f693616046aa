#include "cards/CardMotion.h"

#include "floor/Settings.h"

#include <gtest/gtest.h>

#include <QStringList>

using namespace qb;

namespace {

// A card of 120 x 120 held at its middle, moved right by 2 pixels per step.
struct RightwardDrag {
    CardDrag drag;
    ScrollView view{{0, 0}, {780, 520}, 2000};
    QPoint pointer{700, 300};

    RightwardDrag() { BeginMove(drag, pointer, pointer - QPoint(60, 60), 0); }
    MoveStepResult step(QPoint delta = {2, 0}, bool commit = false)
    {
        pointer += delta;
        MoveStepResult r = MoveStep(drag, pointer, {120, 120}, view, commit);
        view.scroll = r.scroll;
        return r;
    }
};

TEST(CardMove, PastTheRightEdgeScrolls16PerStepUntilWithin16OfTheMaximum)
{
    RightwardDrag d;
    // The card's right edge (642 + 120) is still inside: no scrolling yet.
    EXPECT_EQ(d.step().scroll.x(), 0);
    int scrollingSteps = 0;
    for (int i = 0; i < 400; ++i) {
        int before = d.view.scroll.x();
        MoveStepResult r = d.step();
        EXPECT_EQ(r.visiblePos, d.pointer - QPoint(60, 60));
        if (r.scroll.x() != before) {
            EXPECT_EQ(r.scroll.x() - before, 16);
            ++scrollingSteps;
        }
    }
    const int maximum = 2000 - 780;
    // 0, 16, ... while below maximum - 16: the last step lands on 1216.
    EXPECT_EQ(d.view.scroll.x(), 1216);
    EXPECT_LE(maximum - d.view.scroll.x(), 16);
    EXPECT_EQ(scrollingSteps, 1216 / 16);
    EXPECT_EQ(d.view.scroll.y(), 0);
}

TEST(CardMove, JumpsDoNotChangeTheDirectionAndACommitStopsScrolling)
{
    RightwardDrag d;
    d.step({100, 0});  // a jump: direction stays unknown
    EXPECT_FALSE(d.drag.movingRight);
    EXPECT_EQ(d.view.scroll.x(), 0);
    d.step({1, 0});
    EXPECT_TRUE(d.drag.movingRight);
    EXPECT_EQ(d.view.scroll.x(), 16);
    MoveStepResult during = d.step({1, 0}, true);
    EXPECT_EQ(during.scroll.x(), 16);
    EXPECT_EQ(during.visiblePos, d.pointer - QPoint(60, 60));
    d.step({1, 0});
    EXPECT_EQ(d.view.scroll.x(), 32);
    // Moving back left stops the rightward scroll even while the card is beyond the edge.
    d.step({-1, 0});
    EXPECT_FALSE(d.drag.movingRight);
    EXPECT_EQ(d.view.scroll.x(), 32);
}

TEST(CardMove, AboveTheTopScrollsUpAndLeftOfTheLeftEdgeScrollsLeft)
{
    CardDrag drag;
    ScrollView view{{500, 400}, {780, 520}, 2000};
    BeginMove(drag, {100, 100}, {50, 50}, 0);
    MoveStepResult r = MoveStep(drag, {40, 40}, {120, 120}, view, false);
    EXPECT_EQ(r.visiblePos, QPoint(-10, -10));
    EXPECT_EQ(r.scroll, QPoint(484, 384));
    // Near the origin the scroll position stays at or above 16.
    view.scroll = {16, 16};
    r = MoveStep(drag, {39, 39}, {120, 120}, view, false);
    EXPECT_EQ(r.scroll, QPoint(16, 16));
}

TEST(CardMove, GoingDownPastTheBottomScrollsDown)
{
    CardDrag drag;
    ScrollView view{{0, 0}, {780, 520}, 2000};
    BeginMove(drag, {300, 450}, {240, 400}, 0);
    MoveStepResult r = MoveStep(drag, {300, 452}, {120, 120}, view, false);
    EXPECT_TRUE(drag.movingDown);
    EXPECT_EQ(r.scroll, QPoint(0, 16));
}

TEST(CardSteps, AStepIsDueOnlyAfterMoreThanTheInterval)
{
    Settings s;
    EXPECT_EQ(StepIntervalMs(s), 20);
    s.dragStepSeconds = 0.05;
    EXPECT_EQ(StepIntervalMs(s), 50);
    CardDrag drag;
    drag.lastStepMs = 1000;
    EXPECT_FALSE(StepDue(drag, 1020, 20));
    EXPECT_TRUE(StepDue(drag, 1021, 20));
}

TEST(CardResize, FollowsThePointerButKeepsAUsableMinimum)
{
    CardDrag drag;
    BeginResize(drag, {500, 500}, {120, 120}, 0);
    EXPECT_TRUE(drag.resizing);
    EXPECT_EQ(ResizeStep(drag, {530, 490}), QSize(150, 110));
    EXPECT_EQ(ResizeStep(drag, {0, 0}), kMinimumCardSize);
}

TEST(CardSize, ExpandKeepsTheGrownCardOnTheMonitorUntilShrunkOnce)
{
    Settings s;
    CardData card(CardKind::Base);
    card.pos = {1000, 900};  // desktop position with the desktop scrolled by (100, 100)
    card.size = {120, 120};
    card.altSize = {480, 360};
    ExpandToAlternative(card, {1280, 1024}, {100, 100}, s);
    EXPECT_TRUE(card.expanded);
    EXPECT_EQ(card.size, QSize(480, 360));
    // Visible (900, 800): bottom 1160 > 1024 and right 1380 > 1280.
    EXPECT_EQ(card.pos, QPoint(1280 - 480 - 24 + 100, 1024 - 360 - 28 + 100));
    EXPECT_EQ(card.normalSize, QSize(120, 120));

    card.pos += QPoint(5, 5);
    card.size = {500, 370};
    ShrinkToNormal(card);
    EXPECT_FALSE(card.expanded);
    EXPECT_EQ(card.size, QSize(120, 120));
    EXPECT_EQ(card.altSize, QSize(500, 370));
    EXPECT_EQ(card.altPos, card.pos);

    // Once shrunk, expanding no longer moves the card.
    card.pos = {1000, 900};
    ExpandToAlternative(card, {1280, 1024}, {100, 100}, s);
    EXPECT_EQ(card.pos, QPoint(1000, 900));
    EXPECT_EQ(card.size, QSize(500, 370));
    // A second expand is no change.
    ExpandToAlternative(card, {1280, 1024}, {100, 100}, s);
    EXPECT_EQ(card.normalSize, QSize(120, 120));
}

TEST(CardSize, AGrownCardNeverLeavesTheTopOfTheView)
{
    Settings s;
    CardData card(CardKind::Base);
    card.pos = {10, 500};
    card.altSize = {400, 900};
    ExpandToAlternative(card, {1280, 768}, {0, 0}, s);
    EXPECT_EQ(card.pos, QPoint(10, 0));
}

TEST(PositionKey, SortsByRowsThenLeftToRightAsText)
{
    auto at = [](int x, int y) {
        CardData c(CardKind::Item);
        c.pos = {x, y};
        return c;
    };
    CardData a = at(1500, 20), b = at(30, 400), c = at(900, 20), d = at(5, 1900);
    EXPECT_EQ(PositionKeyText(c), QStringLiteral("     120.10000000"));
    EXPECT_EQ(PositionKeyText(c).size(), 17);
    QStringList keys{PositionKeyText(b), PositionKeyText(d), PositionKeyText(a),
                     PositionKeyText(c)};
    keys.sort();
    EXPECT_EQ(keys, (QStringList{PositionKeyText(c), PositionKeyText(a), PositionKeyText(b),
                                 PositionKeyText(d)}));
    EXPECT_LT(PositionKey(c), PositionKey(a));
}

}  // namespace
