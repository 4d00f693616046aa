#include "cards/BaseCard.h"

#include "cards/CardPartsPanel.h"
#include "cards/Collection.h"
#include "cards/Desktop.h"
#include "cards/DesktopMapPanel.h"
#include "cards/TowerCard.h"
#include "items/ItemCardData.h"
#include "platform/IniFile.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "shell/Wiring.h"
#include "support/StoreFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QStandardItemModel>

using namespace qb;

namespace {

// An item card whose close and free rules the test decides.
class TestCard : public TBasPanel {
public:
    TestCard(TDesktop& d, Timestamp id) : TBasPanel(d, makeData(id)) {}
    static std::unique_ptr<CardData> makeData(Timestamp id)
    {
        auto data = std::make_unique<ItemCardData>();
        data->itemId = id;
        // With a keyword, so that the item check lets collections run.
        data->keywords.push_back({-1.5L, 1, QStringLiteral("word")});
        return data;
    }
    bool CanHide() const override { return canHide; }
    bool IsEmpty() const override { return empty; }
    bool PrepareFree() override { return freeable; }

    bool canHide = true;
    bool empty = false;
    bool freeable = true;
};

void mouse(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button,
           Qt::MouseButtons buttons = Qt::NoButton)
{
    QPointF local = w->mapFromGlobal(QPointF(global));
    QMouseEvent e(type, local, QPointF(global), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void click(QWidget* w, QPoint local, Qt::MouseButton button)
{
    QPoint g = w->mapToGlobal(local);
    mouse(w, QEvent::MouseButtonPress, g, button, button);
    mouse(w, QEvent::MouseButtonRelease, g, button);
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class BaseCard : public test::StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        desktop = std::make_unique<TDesktop>();
        WireDesktop();
        desktop->resize(800, 600);
        desktop->show();
        session().hooks.reschedule = [this](Timestamp id) { rescheduled.push_back(id); };
    }
    void TearDown() override
    {
        desktop.reset();
        flushDeletes();
        StoreFixture::TearDown();
    }
    TestCard* card(Timestamp id, QPoint pos = {50, 50})
    {
        auto* c = new TestCard(*desktop, id);
        c->move(pos);
        c->show();
        return c;
    }

    std::unique_ptr<TDesktop> desktop;
    std::vector<Timestamp> rescheduled;
};

TEST_F(BaseCard, RightClickOnTheCloseSignDropsForReschedulingLeftClickOnlyDrops)
{
    TestCard* right = card(-3.25L);
    TestCard* left = card(-3.5L, {300, 50});
    click(right->closeSign(), {5, 5}, Qt::RightButton);
    click(left->closeSign(), {5, 5}, Qt::LeftButton);

    EXPECT_TRUE(right->data().hidden);
    EXPECT_FALSE(right->isVisible());
    EXPECT_TRUE(right->data().rescheduleOnCollect);
    EXPECT_TRUE(left->data().hidden);
    EXPECT_FALSE(left->data().rescheduleOnCollect);
    EXPECT_TRUE(session().desktopDirty);
    // The right button's release must not open the desktop's pop-up menu.
    EXPECT_TRUE(desktop->takePopupSuppression());
    EXPECT_FALSE(desktop->popupSuppressed());

    Collect(*desktop, true);
    ASSERT_EQ(rescheduled.size(), 1u);
    EXPECT_EQ(rescheduled[0], -3.25L);
    EXPECT_TRUE(desktop->cardWidgets().isEmpty());
}

TEST_F(BaseCard, ACardThatMayNotBeHiddenIsDeletedWhenEmptyAndOtherwiseKept)
{
    TestCard* withText = card(-4.0L);
    withText->canHide = false;
    withText->empty = false;
    click(withText->closeSign(), {3, 3}, Qt::LeftButton);
    EXPECT_TRUE(withText->isVisible());
    EXPECT_FALSE(withText->data().hidden);
    EXPECT_FALSE(withText->data().deleted);
    EXPECT_FALSE(session().desktopDirty);

    withText->empty = true;
    click(withText->closeSign(), {3, 3}, Qt::LeftButton);
    EXPECT_TRUE(withText->data().deleted);
    EXPECT_TRUE(withText->data().changed);
    EXPECT_TRUE(withText->data().hidden);
    EXPECT_FALSE(withText->isVisible());
}

TEST_F(BaseCard, AnUnfreeableCardStaysInvisibleOnTheDesktopAndIsSkipped)
{
    messenger.expect(QStringLiteral("M838"));
    TestCard* stuck = card(-5.0L);
    QPointer<TestCard> other = card(-5.5L, {200, 200});
    desktop->takeSlot(*stuck, 1);
    desktop->takeSlot(*other, 2);
    stuck->freeable = false;
    stuck->HideCard();

    Collect(*desktop, true);
    EXPECT_TRUE(messenger.plain.size() == 1 && messenger.plain[0].endsWith(QStringLiteral("M838")));
    EXPECT_TRUE(stuck->data().unfreeable);
    EXPECT_EQ(stuck->parentWidget(), desktop->surface());
    EXPECT_FALSE(stuck->isVisible());

    other->HideCard();
    Collect(*desktop, true);
    flushDeletes();
    EXPECT_TRUE(other.isNull());
    EXPECT_EQ(desktop->cardWidgets(), QList<TBasPanel*>{stuck});
    EXPECT_EQ(desktop->slotTables().items.at(2), nullptr);
    EXPECT_EQ(desktop->slotTables().items.at(1), &stuck->data());
    EXPECT_EQ(messenger.plain.size(), 1u);
    // Nor can a slot request find it again.
    EXPECT_TRUE(desktop->GetItemSlot({0, 0}, -5.0L, 0).isNew());
}

TEST_F(BaseCard, MovingFollowsThePointerInTimedStepsAndAutoScrolls)
{
    TestCard* c = card(-6.0L, {500, 100});
    const QPoint start = c->mapToGlobal(QPoint(60, 60));
    session().flags.requestEscape();
    session().flags.holdAbort();
    session().commitRunning.raise();
    mouse(c, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(c->drag().moving);

    // Not yet due: the card waits.
    clock.advanceMs(10);
    mouse(c, QEvent::MouseMove, start + QPoint(30, 10), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(c->pos(), QPoint(500, 100));
    clock.advanceMs(11);
    mouse(c, QEvent::MouseMove, start + QPoint(30, 10), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(c->pos(), QPoint(530, 110));
    EXPECT_EQ(c->data().pos, QPoint(530, 110));

    // A commit is running (the flag is still raised): no scrolling past the edge.
    QPoint p = start + QPoint(250, 10);
    clock.advanceMs(21);
    mouse(c, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(desktop->scrollX(), 0);
    session().commitRunning.lower();
    for (int i = 1; i <= 3; ++i) {
        clock.advanceMs(21);
        p += QPoint(2, 0);
        mouse(c, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
    }
    EXPECT_EQ(desktop->scrollX(), 48);
    // The card stays under the pointer while the desktop scrolls beneath it.
    EXPECT_EQ(c->mapToGlobal(QPoint(60, 60)), p);
    EXPECT_EQ(c->pos(), QPoint(500 + 256, 110) + QPoint(48, 0));

    session().commitRunning.raise();
    mouse(c, QEvent::MouseButtonRelease, p, Qt::LeftButton);
    EXPECT_FALSE(c->drag().moving);
    EXPECT_FALSE(session().flags.escapeRequested() || session().flags.abortHeld() ||
                 session().commitRunning.raised());
}

TEST_F(BaseCard, TheCornerResizesAndThePartsFollow)
{
    TestCard* c = card(-7.0L, {40, 40});
    QPoint g = c->corner()->mapToGlobal(QPoint(8, 8));
    mouse(c->corner(), QEvent::MouseButtonPress, g, Qt::RightButton, Qt::RightButton);
    EXPECT_FALSE(c->drag().resizing);
    mouse(c->corner(), QEvent::MouseButtonRelease, g, Qt::RightButton);
    mouse(c->corner(), QEvent::MouseButtonPress, g, Qt::LeftButton, Qt::LeftButton);
    clock.advanceMs(25);
    mouse(c->corner(), QEvent::MouseMove, g + QPoint(80, 30), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(c->size(), QSize(200, 150));
    EXPECT_EQ(c->data().size, QSize(200, 150));
    EXPECT_FALSE(c->data().layoutValid);
    clock.advanceMs(25);
    mouse(c->corner(), QEvent::MouseButtonRelease, g + QPoint(100, 50), Qt::LeftButton);
    EXPECT_EQ(c->size(), QSize(220, 170));
    EXPECT_FALSE(c->drag().resizing);

    EXPECT_EQ(c->corner()->geometry(), QRect(220 - 18, 170 - 18, 17, 17));
    EXPECT_EQ(c->closeSign()->geometry(), QRect(220 - 28, 2, 27, 10));
    EXPECT_EQ(c->kindLabel()->geometry(), QRect(220 - 42 - 5 - 17, 170 - 12, 42, 11));
    EXPECT_EQ(c->backSpot()->geometry(), QRect(1, 170 - 13, 13, 12));
    EXPECT_EQ(c->focusMark()->geometry(), QRect(5, 1, 18, 12));
}

TEST_F(BaseCard, CornerAndCloseSignPaintTheirStripes)
{
    TestCard* c = card(-8.0L);
    c->setCardColor(0x0000FF);  // red card
    QImage corner = c->corner()->grab().toImage();
    EXPECT_EQ(corner.pixelColor(16, 1), QColor(Qt::white));         // x + y = 17, c = 0
    EXPECT_EQ(corner.pixelColor(16, 2), QColor(0x80, 0x80, 0x80));  // x + y = 18, c = 1
    EXPECT_EQ(corner.pixelColor(16, 3), QColor(Qt::red));           // c = 2: the card shows through
    EXPECT_EQ(corner.pixelColor(15, 5), QColor(Qt::white));         // c = 3

    c->closeSign()->setPointClr(Qt::yellow);
    QImage sign = c->closeSign()->grab().toImage();
    EXPECT_EQ(sign.pixelColor(10, 1), QColor(Qt::yellow));
    EXPECT_EQ(sign.pixelColor(10, 2), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(sign.pixelColor(10, 8), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(sign.pixelColor(10, 9), QColor(Qt::red));
    EXPECT_EQ(sign.pixelColor(10, 0), QColor(Qt::red));
}

TEST_F(BaseCard, DoubleClickMarksTheCardInItsMarkedColour)
{
    TestCard* c = card(-9.0L);
    EXPECT_EQ(c->currentColor(), QColor(0xA4, 0xC8, 0xF0));
    mouse(c, QEvent::MouseButtonDblClick, c->mapToGlobal(QPoint(60, 60)), Qt::LeftButton,
          Qt::LeftButton);
    EXPECT_TRUE(c->data().marked);
    EXPECT_TRUE(c->data().changed);
    EXPECT_EQ(c->currentColor(), QColor(0, 0, 0x80));
    EXPECT_EQ(c->backSpot()->color(), QColor(0, 0, 0x80));
    c->CardDblClick();
    EXPECT_FALSE(c->data().marked);
    EXPECT_EQ(c->currentColor(), QColor(0xA4, 0xC8, 0xF0));
}

TEST_F(BaseCard, FocusShowsTheMarkAndLeavingAChangedCardDirtiesTheDesktop)
{
    TestCard* a = card(-10.0L);
    TestCard* b = card(-10.5L, {300, 300});
    QApplication::setActiveWindow(desktop.get());
    a->setFocus();
    QCoreApplication::processEvents();
    if (!a->hasFocus()) GTEST_SKIP() << "the platform gives no keyboard focus";
    EXPECT_TRUE(a->focusMark()->isVisible());
    a->data().changed = true;
    b->setFocus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(a->focusMark()->isVisible());
    EXPECT_TRUE(b->focusMark()->isVisible());
    EXPECT_TRUE(session().desktopDirty);
}

TEST_F(BaseCard, HotSpotsFollowTheirOptionToggles)
{
    TestCard* low = card(-11.0L, {10, 10});
    TestCard* high = card(-11.5L, {20, 20});
    auto order = [this] { return desktop->cardWidgets(); };
    ASSERT_EQ(order().last(), high);

    low->CloseSignMouseMove({});
    EXPECT_EQ(order().last(), high);
    session().settings.useBringToFrontCorner = true;
    mouse(low->closeSign(), QEvent::MouseMove, low->closeSign()->mapToGlobal(QPoint(3, 3)),
          Qt::NoButton);
    EXPECT_EQ(order().last(), low);

    const QList<TBasPanel*> before = order();
    low->BackSpotMouseMove({});
    EXPECT_EQ(order(), before);
    session().settings.useSendBackCorner = true;
    // Send to back keeps the card above other children of the desktop (pictures).
    auto* wallpaper = new QLabel(desktop->surface());
    wallpaper->lower();
    mouse(low->backSpot(), QEvent::MouseMove, low->backSpot()->mapToGlobal(QPoint(3, 3)),
          Qt::NoButton);
    EXPECT_EQ(order().first(), low);
    EXPECT_EQ(desktop->surface()->children().first(), wallpaper);
}

TEST_F(BaseCard, ToggleSizeSwitchesBetweenTheTwoSizes)
{
    TestCard* c = card(-12.0L, {100, 100});
    c->resize(130, 110);
    c->ToggleSize();
    EXPECT_TRUE(c->data().expanded);
    EXPECT_EQ(c->size(), QSize(213, 190));
    c->resize(300, 200);
    c->ToggleSize();
    EXPECT_FALSE(c->data().expanded);
    EXPECT_EQ(c->size(), QSize(130, 110));
    EXPECT_EQ(c->data().altSize, QSize(300, 200));
    EXPECT_EQ(c->data().altPos, QPoint(100, 100));
}

TEST_F(BaseCard, UndoRecentDeletesBringsBackDeletedCardsUntilTheyAreCollected)
{
    TestCard* c = card(-13.0L);
    desktop->takeSlot(*c, 1);
    c->DeleteCard();
    EXPECT_FALSE(c->isVisible());
    EXPECT_EQ(UndoRecentDeletes(*desktop), 1);
    EXPECT_TRUE(c->isVisible());
    EXPECT_FALSE(c->data().deleted || c->data().hidden);

    QPointer<TestCard> gone = c;
    c->DeleteCard();
    // A commit that writes the delete, then the collection that Update Changes ends with.
    session().hooks.updateItems = [c] { c->data().changed = false; };
    GarbageCollect(*desktop, true);
    flushDeletes();
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(UndoRecentDeletes(*desktop), 0);
}

TEST_F(BaseCard, ClearingMarksCardsThatStayVisibleUntilTheCollectionFreesThem)
{
    bool keywords = false;
    session().hooks.checkEmptyItems = [&] { return keywords; };
    TestCard* c = card(-14.0L);
    ClearCards(*desktop, ClearCommand::AllItems);
    EXPECT_TRUE(c->data().hidden);
    EXPECT_TRUE(c->isVisible());
    keywords = true;
    QPointer<TestCard> watched = c;
    GarbageCollect(*desktop, false);
    flushDeletes();
    EXPECT_TRUE(watched.isNull());
}

TEST_F(BaseCard, SlotRequestsFindCardsOnTheDesktopAndMoveThem)
{
    TestCard* c = card(-15.0L, {10, 10});
    ASSERT_TRUE(desktop->takeSlot(*c, 4));
    desktop->scrollTo(100, 50);
    SlotAnswer a = desktop->GetItemSlot(desktop->toDesktop({20, 30}), -15.0L, 0x00FFFF);
    EXPECT_TRUE(a.isExisting());
    EXPECT_EQ(a.slot, 4);
    EXPECT_EQ(c->pos(), QPoint(120, 80));
    EXPECT_EQ(c->currentColor(), QColor(0xFF, 0xFF, 0));
    EXPECT_EQ(desktop->findCard(CardKind::Item, -15.0L), c);
    EXPECT_EQ(desktop->findCard(CardKind::Concept, -15.0L), nullptr);
    EXPECT_EQ(desktop->cardsOf<TBasPanel>().size(), 1);
    EXPECT_EQ(desktop->windowCascadePosition(2), QPoint(244 + 100, 130 + 50));
    EXPECT_EQ(session().hooks.scroll(), QPoint(100, 50));
}

TEST_F(BaseCard, TheMapIsRedrawnAfterCollectionsAndScrollsOnPress)
{
    TDesktopMap map(*desktop);
    desktop->setMap(&map);
    TestCard* c = card(-16.0L, {1000, 400});
    desktop->takeSlot(*c, 1);
    map.redraw();
    EXPECT_EQ(map.image().pixelIndex(15, 6), 6);
    c->HideCard();
    GarbageCollect(*desktop, false);
    EXPECT_EQ(map.image().pixelIndex(15, 6), 2);

    mouse(&map, QEvent::MouseButtonPress, map.mapToGlobal(QPoint(28, 25)), Qt::LeftButton,
          Qt::LeftButton);
    const QSize v = desktop->visibleSize();
    EXPECT_EQ(desktop->scroll(), QPoint(2000 - v.width(), 2000 - v.height()));
}

TEST_F(BaseCard, ClearDesktopHookFreesEveryCard)
{
    card(-17.0L);
    auto* tower = new TTower(*desktop, std::make_unique<CardData>(CardKind::Dictionary));
    desktop->takeSlot(*tower, 1);
    session().hooks.clear();
    flushDeletes();
    EXPECT_TRUE(desktop->cardWidgets().isEmpty());
    EXPECT_EQ(desktop->slotTables().dictionaries.occupied(), 0);
}

TEST_F(BaseCard, TowerLaysItsGridOutAndGoesToTheTop)
{
    messenger.expect(QStringLiteral("T150"));
    desktop->scrollTo(30, 20);
    auto* tower = new TTower(*desktop, std::make_unique<CardData>(CardKind::Dictionary));
    tower->show();
    EXPECT_EQ(tower->geometry(), QRect(430, 60, 220, 360));
    EXPECT_EQ(tower->grid()->geometry(), QRect(5, 14, 210, 332));
    EXPECT_EQ(tower->grid()->horizontalHeader()->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(tower->grid()->horizontalHeader()->font().pixelSize(), 11);

    EXPECT_FALSE(tower->GoTop());
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.message, QStringLiteral("GoTop failed"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("T150"));
    EXPECT_EQ(messenger.shown[0].request.helpTopic, 40060);

    QStandardItemModel model(50, 2);
    tower->setModel(&model);
    tower->grid()->setCurrentIndex(model.index(30, 1));
    EXPECT_TRUE(tower->GoTop());
    EXPECT_EQ(tower->grid()->currentIndex(), model.index(0, 1));

    // An expanded tower keeps its resized size as the alternative size.
    tower->ToggleSize();
    QPoint g = tower->corner()->mapToGlobal(QPoint(5, 5));
    tower->CornerMouseDown(Qt::LeftButton, g);
    clock.advanceMs(30);
    tower->CornerMouseMove(g + QPoint(-20, -10));
    EXPECT_EQ(tower->grid()->geometry(), QRect(5, 14, tower->width() - 10, tower->height() - 28));
    EXPECT_EQ(tower->data().altSize, tower->size());
    tower->setModel(nullptr);
}

TEST_F(BaseCard, DesktopCommandsServeTheClearMenuUndoAndHotSpots)
{
    desktop.reset();
    TBillBoard window;  // installs the desktop commands itself
    TDesktop& d = *window.desktop();
    CommandRegistry& commands = window.commands();
    for (const char* name :
         {cmd::ClearConcepts, cmd::ClearItemsNotMarked, cmd::ClearAllItems, cmd::ClearInflections,
          cmd::ClearFlywords, cmd::ClearAllUnmarked, cmd::ClearAllCards, cmd::ClearDesktop,
          cmd::UndoRecentDeletes, cmd::HotSpotBringToFront, cmd::HotSpotSendToBack})
        EXPECT_TRUE(commands.isBound(QString::fromLatin1(name))) << name;
    ASSERT_NE(d.map(), nullptr);
    EXPECT_EQ(d.map()->parentWidget(), window.mapHost());
    EXPECT_EQ(window.mapHost()->findChildren<TDesktopMap*>().size(), 1)
        << "one map, however often installed";

    auto* marked = new TestCard(d, -18.0L);
    auto* plain = new TestCard(d, -18.5L);
    marked->data().marked = true;
    QPointer<TestCard> watched = plain;
    commands.trigger(QString::fromLatin1(cmd::ClearItemsNotMarked));
    flushDeletes();
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(d.cardWidgets().size(), 1);

    marked->DeleteCard();
    commands.trigger(QString::fromLatin1(cmd::UndoRecentDeletes));
    EXPECT_FALSE(marked->data().deleted);

    EXPECT_FALSE(session().settings.useBringToFrontCorner);
    commands.trigger(QString::fromLatin1(cmd::HotSpotBringToFront));
    EXPECT_TRUE(session().settings.useBringToFrontCorner);
    EXPECT_TRUE(commands.action(QString::fromLatin1(cmd::HotSpotBringToFront))->isChecked());
    IniFile ini(session().iniPath());
    EXPECT_TRUE(
        ini.readBool(QStringLiteral("APPEARANCE"), QStringLiteral("UseBringtofrontcorner"), false));
    commands.trigger(QString::fromLatin1(cmd::HotSpotSendToBack));
    EXPECT_TRUE(session().settings.useSendBackCorner);
}

}  // namespace
