#include "PopulateFixture.h"

#include "desktop/PackCommands.h"
#include "desktop/PackRules.h"
#include "desktop/PopulateDesktop.h"
#include "items/Associations.h"
#include "items/ItemCardRules.h"
#include "items/ItemHooks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

using namespace qb;

namespace {

class PackCommands : public test::PopulateFixture {
protected:
    void SetUp() override
    {
        PopulateFixture::SetUp();
        InstallLasso(*desktop);
        addWord(7, QStringLiteral("plan"));
        addConcept(kConcept, {7});
    }
    TItem* card(Timestamp id, const QString& text, QPoint at)
    {
        addItem(id, text, {{kConcept, 7}});
        return Pick1Item(*desktop, at, id, 0, 0, 0, false).card;
    }
    void drag(QPoint from, QPoint to)
    {
        QWidget* surface = desktop->surface();
        QTest::mousePress(surface, Qt::LeftButton, {}, from);
        QTest::mouseMove(surface, (from + to) / 2);
        QTest::mouseMove(surface, to);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
    }
    static constexpr Timestamp kConcept = -45000.5L;
    QMenu* packMenu() const { return desktop->findChild<QMenu*>(QStringLiteral("PackMenu")); }
};

TEST_F(PackCommands, ALassoStacksItsCardsInReadingOrderAndOffersThePackMenu)
{
    TItem* lower = card(-46000.1L, QStringLiteral("lower"), {300, 300});
    TItem* upper = card(-46000.2L, QStringLiteral("upper"), {400, 120});
    TItem* outside = card(-46000.3L, QStringLiteral("outside"), {700, 120});
    drag({100, 100}, {600, 500});

    EXPECT_EQ(CurrentPack(), (std::vector<TItem*>{upper, lower}));
    const QPoint anchor(600 - session().settings.itemWidth, 500 - session().settings.itemHeight);
    EXPECT_EQ(visiblePos(upper), anchor + QPoint(4, 4));
    EXPECT_EQ(visiblePos(lower), anchor + QPoint(8, 8));
    EXPECT_EQ(visiblePos(outside), QPoint(700, 120));
    const QString clip = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(clip.endsWith(QStringLiteral("\n\nupper\n\nlower"))) << clip.toStdString();

    QMenu* menu = packMenu();
    ASSERT_TRUE(menu);
    QStringList entries;
    for (QAction* a : menu->actions()) entries << a->text();
    EXPECT_EQ(entries,
              (QStringList{QStringLiteral("Remove"), QStringLiteral("Remove Other"),
                           QStringLiteral("Bookmode"), QStringLiteral("Upper Right Corner"),
                           QStringLiteral("Lower Left Corner")}));
    menu->actions().at(3)->trigger();
    EXPECT_EQ(upper->data().pos, QPoint(674, 34));
    EXPECT_EQ(lower->data().pos, QPoint(678, 38));
    menu->actions().at(1)->trigger();
    EXPECT_TRUE(outside->data().hidden);
    EXPECT_FALSE(upper->data().hidden);
    menu->close();
}

TEST_F(PackCommands, AShortDragBringsBackAnItemReadWithTheLastOne)
{
    const Timestamp read = -46000.1L, partner = -46000.2L;
    card(read, QStringLiteral("read"), {300, 300});
    addItem(partner, QStringLiteral("partner"));
    ASSERT_TRUE(StoreAssociation(read, partner, clock.now()));
    lastEnteredItem() = read;

    session().settings.associatedCards = false;
    drag({100, 100}, {115, 120});
    EXPECT_FALSE(itemCard(partner));
    session().settings.associatedCards = true;
    drag({100, 100}, {115, 120});
    ASSERT_TRUE(itemCard(partner));
    EXPECT_EQ(visiblePos(itemCard(partner)), QPoint(115, 120));
    EXPECT_TRUE(CurrentPack().empty());
    EXPECT_FALSE(packMenu());
}

TEST_F(PackCommands, BookModeStacksPagesAsHighAsTheirWrappedLines)
{
    TItem* shortText = card(-46000.1L, QStringLiteral("one line"), {300, 100});
    const QString words = QString(60, QLatin1Char('w'));
    TItem* longText = card(-46000.2L, words + QLatin1Char(' ') + words, {100, 300});
    BookEncode(*desktop);
    const Settings& s = session().settings;
    EXPECT_TRUE(shortText->inBook());
    EXPECT_EQ(shortText->width(), s.bookWidth);
    EXPECT_EQ(shortText->data().pos, QPoint(s.bookLeft, 1));
    EXPECT_EQ(longText->data().pos, QPoint(s.bookLeft, 1 + shortText->height()));
    const int line = QFontMetrics(shortText->textEditor()->font()).height();
    EXPECT_EQ(shortText->height(), BookPageHeight(line, 1));
    EXPECT_GT(longText->height(), BookPageHeight(line, 1));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith(
        QStringLiteral("one line\n\n") + longText->textEditor()->toPlainText()));

    StackBookText(*desktop);
    EXPECT_EQ(shortText->data().pos, QPoint(264, 324));
    EXPECT_FALSE(shortText->inBook());
    BookEncode(*desktop);
    ClearBookText(*desktop);
    test::flushDeletes();
    EXPECT_TRUE(itemCards().empty());
}

TEST_F(PackCommands, AQueuedItemReturnsNearTheTopLeftAtItsTick)
{
    const Timestamp id = addItem(-46000.1L, QStringLiteral("queued"));
    session().settings.scheduledItemsTimeOut = 2;
    ASSERT_TRUE(ScheduleItem(id));
    auto three = [](int bound) { return bound > 3 ? 3 : 0; };
    TimerReSchedTimer(*desktop, three);
    EXPECT_FALSE(itemCard(id));
    TimerReSchedTimer(*desktop, three);
    ASSERT_TRUE(itemCard(id));
    EXPECT_EQ(visiblePos(itemCard(id)), QPoint(15, 43));
    EXPECT_TRUE(ScheduledItems().empty());
}

}  // namespace
