#include "PopulateFixture.h"

#include "cards/CardPartsPanel.h"
#include "cards/Collection.h"
#include "cards/PlacementCounters.h"
#include "desktop/DesktopDrop.h"
#include "desktop/PopulateDesktop.h"
#include "desktop/PopulateState.h"
#include "dictionary/DictionaryWindows.h"
#include "dictionary/ExplodeMode.h"
#include "dictionary/Words.h"
#include "items/ItemCardRules.h"
#include "items/ItemCommands.h"
#include "items/ItemHooks.h"
#include "items/ItemRecord.h"
#include "platform/Colors.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace qb;
using qb::test::FakeConceptCard;

namespace {

constexpr Timestamp kFruit = -45000.25;  // apple, pear
constexpr Timestamp kTree = -45001.5;    // apple, oak; touched more recently than the fruit
constexpr Timestamp kRiver = -45002.75;  // river

class PopulateDesktopTest : public test::PopulateFixture {
protected:
    void SetUp() override
    {
        PopulateFixture::SetUp();
        addWord(1, QStringLiteral("apple"));
        addWord(2, QStringLiteral("pear"));
        addWord(3, QStringLiteral("oak"));
        addWord(4, QStringLiteral("river"));
        addWord(5, QStringLiteral("lonely"));
        addConcept(kFruit, {1, 2}, -45100.0);
        addConcept(kTree, {1, 3}, -45200.0);
        addConcept(kRiver, {4}, -45050.0);
        addProject(QStringLiteral("GARDEN"), -45300.0);
    }

    void setMode(ExplodeMode mode) { ASSERT_TRUE(SetExplodeMode(int(mode))); }
    void clearAll()
    {
        ClearCards(*desktop, ClearCommand::Desktop);
        test::flushDeletes();
    }
    std::vector<QPoint> positions(const std::vector<TItem*>& cards) const
    {
        std::vector<QPoint> out;
        for (TItem* c : cards) out.push_back(visiblePos(c));
        return out;
    }
    std::vector<Timestamp> ids(const std::vector<TItem*>& cards) const
    {
        std::vector<Timestamp> out;
        for (TItem* c : cards) out.push_back(c->itemId());
        return out;
    }
    int shownWithCode(const QString& code) const
    {
        int n = 0;
        for (const auto& s : messenger.shown) n += s.request.code == code ? 1 : 0;
        return n;
    }
};

TEST_F(PopulateDesktopTest, AWordOfOneConceptFollowsTheExplodeMode)
{
    const std::vector<Timestamp> made = addItemsOf(kRiver, 4, 3);
    const std::vector<QPoint> diagonal = {{340, 228}, {364, 256}, {388, 284}};

    setMode(ExplodeMode::Off);
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(4, QStringLiteral("river")), {300, 200}));
    ASSERT_EQ(conceptCards().size(), 1u);
    EXPECT_EQ(visiblePos(conceptCards()[0]), QPoint(300, 200));
    EXPECT_TRUE(itemCards().empty());

    for (ExplodeMode mode : {ExplodeMode::On, ExplodeMode::Maximum}) {
        clearAll();
        setMode(mode);
        ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(4, QStringLiteral("river")), {300, 200}));
        ASSERT_EQ(conceptCards().size(), 1u);
        // Newest first, 40 right of and 28 below the concept card, then down the diagonal.
        EXPECT_EQ(ids(itemCards()), made);
        EXPECT_EQ(positions(itemCards()), diagonal);
    }
    // Cards from the store hold what the store holds.
    for (TItem* card : itemCards()) {
        EXPECT_FALSE(card->data().changed);
        ASSERT_EQ(card->item().keywords.size(), 1u);
        EXPECT_EQ(card->item().keywords[0].word, QStringLiteral("river"));
    }
    EXPECT_EQ(populateState().currentConcept, std::optional<Timestamp>(kRiver));
    EXPECT_EQ(messenger.count(), 0);
}

TEST_F(PopulateDesktopTest, AWordOfTwoConceptsBringsItemsOnlyInMaximum)
{
    addItem(-46000.1, QStringLiteral("a fruit"), {{kFruit, 1}});
    addItem(-46000.2, QStringLiteral("a tree"), {{kTree, 1}});

    for (ExplodeMode mode : {ExplodeMode::Off, ExplodeMode::On}) {
        clearAll();
        setMode(mode);
        ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(1, QStringLiteral("apple")), {300, 200}));
        ASSERT_EQ(conceptCards().size(), 2u);
        EXPECT_TRUE(itemCards().empty());
    }

    clearAll();
    setMode(ExplodeMode::Maximum);
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(1, QStringLiteral("apple")), {300, 200}));
    // The tree was touched last: it comes first; the second concept 104 right and 28 down.
    ASSERT_NE(conceptCard(kTree), nullptr);
    ASSERT_NE(conceptCard(kFruit), nullptr);
    EXPECT_EQ(visiblePos(conceptCard(kTree)), QPoint(300, 200));
    EXPECT_EQ(visiblePos(conceptCard(kFruit)), QPoint(404, 228));
    ASSERT_NE(itemCard(-46000.2), nullptr);
    ASSERT_NE(itemCard(-46000.1), nullptr);
    EXPECT_EQ(visiblePos(itemCard(-46000.2)), QPoint(340, 228));
    EXPECT_EQ(visiblePos(itemCard(-46000.1)), QPoint(444, 256));
    // All item cards of one set share the set's colour.
    EXPECT_EQ(itemCard(-46000.1)->focusMark()->fillColor(),
              itemCard(-46000.2)->focusMark()->fillColor());
    EXPECT_EQ(populateState().currentConcept, std::optional<Timestamp>(kFruit));
}

TEST_F(PopulateDesktopTest, AnItemKeywordBringsOnlyItsConceptCard)
{
    addItemsOf(kFruit, 1, 2);
    setMode(ExplodeMode::Maximum);
    ASSERT_TRUE(FormDragDrop(*desktop, keyword(kFruit, 2, QStringLiteral("pear")), {150, 120}));
    ASSERT_EQ(conceptCards().size(), 1u);
    FakeConceptCard* card = conceptCards()[0];
    EXPECT_EQ(visiblePos(card), QPoint(150, 120));
    EXPECT_TRUE(itemCards().empty());
    // The card holds the concept's words, most recently touched first, and is not changed.
    ASSERT_EQ(card->conceptData().words.size(), 2u);
    EXPECT_FALSE(card->data().changed);
    EXPECT_EQ(card->height(), 2 * kConceptRowHeight + kConceptFrameHeight);
    // A keyword whose concept is gone brings nothing.
    EXPECT_TRUE(FormDragDrop(*desktop, keyword(-7.5, 9, QStringLiteral("ghost")), {10, 10}));
    EXPECT_EQ(conceptCards().size(), 1u);
}

TEST_F(PopulateDesktopTest, AConceptCardWordBringsTheItemsInTheCardsColour)
{
    const std::vector<Timestamp> made = addItemsOf(kRiver, 4, 3);
    ASSERT_TRUE(FormDragDrop(*desktop, keyword(kRiver, 4, QStringLiteral("river")), {600, 500}));
    FakeConceptCard* source = conceptCard(kRiver);
    ASSERT_NE(source, nullptr);
    const QColor mark = source->focusMark()->fillColor();

    ASSERT_TRUE(
        FormDragDrop(*desktop, conceptWord(kRiver, 4, QStringLiteral("river"), source), {100, 50}));
    EXPECT_EQ(conceptCards().size(), 1u);
    EXPECT_EQ(ids(itemCards()), made);
    EXPECT_EQ(positions(itemCards()), (std::vector<QPoint>{{128, 50}, {152, 78}, {176, 106}}));
    for (TItem* card : itemCards()) EXPECT_EQ(card->focusMark()->fillColor(), mark);
    EXPECT_EQ(CurrentGroupColor(), mark);

    // Compact packs: the same drop lays the cards 2 and 2 apart; the cards are moved, not doubled.
    populateState().compactPacks = true;
    ASSERT_TRUE(
        FormDragDrop(*desktop, conceptWord(kRiver, 4, QStringLiteral("river"), source), {100, 50}));
    EXPECT_EQ(positions(itemCards()), (std::vector<QPoint>{{128, 50}, {130, 52}, {132, 54}}));
}

TEST_F(PopulateDesktopTest, LongSetsPileUpAtTheEdgeOfTheDesktop)
{
    addItemsOf(kRiver, 4, 80);
    ASSERT_TRUE(FormDragDrop(*desktop, conceptWord(kRiver, 4, QStringLiteral("river"), nullptr),
                             {100, 50}));
    const std::vector<TItem*> cards = itemCards();
    ASSERT_EQ(cards.size(), 80u);
    EXPECT_EQ(visiblePos(cards[59]), QPoint(128 + 59 * 24, 50 + 59 * 28));
    EXPECT_EQ(visiblePos(cards[60]).y(), 1720);
    EXPECT_EQ(visiblePos(cards[79]), QPoint(1720, 1720));
    EXPECT_EQ(visiblePos(cards[78]), QPoint(1720, 1720));
}

TEST_F(PopulateDesktopTest, AWordWithoutConceptBecomesAStoredConceptCard)
{
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(5, QStringLiteral("lonely")), {300, 200}));
    ASSERT_EQ(conceptCards().size(), 1u);
    FakeConceptCard* card = conceptCards()[0];
    EXPECT_EQ(visiblePos(card), QPoint(300, 200));
    ASSERT_EQ(card->conceptData().words.size(), 1u);
    EXPECT_EQ(card->conceptData().words[0].word, QStringLiteral("lonely"));
    // Stored at once: the commit has written the DICT row and cleared the card's mark.
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DICT WHERE WNo = 5")).toInt(), 1);
    EXPECT_FALSE(card->data().changed);
    EXPECT_LT(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE WNo = 5")).toDouble(), -40000.0);
    EXPECT_EQ(CurrentDrag().wordNo, 5);

    // Dropped again: the same card comes back to the drop point.
    card->move(700, 600);
    card->syncFromGeometry();
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(5, QStringLiteral("lonely")), {300, 200}));
    ASSERT_EQ(conceptCards().size(), 1u);
    EXPECT_EQ(conceptCards()[0], card);
    EXPECT_EQ(visiblePos(card), QPoint(300, 200));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DICT WHERE WNo = 5")).toInt(), 1);
}

TEST_F(PopulateDesktopTest, AWordWithoutConceptDroppedOnAnItemGetsItsConceptCardFirst)
{
    addItem(-46000.1, QStringLiteral("a note"), {{kRiver, 4}});
    desktop->scrollTo(100, 50);
    TItem* card = Pick1Item(*desktop, {200, 200}, -46000.1, 0, 0, 0, false).card;
    ASSERT_NE(card, nullptr);
    card->DropOn(ItemPart::Keys, dictionaryWord(5, QStringLiteral("lonely")), QPoint(20, 20));
    ASSERT_EQ(conceptCards().size(), 1u);
    const Settings& s = session().settings;
    EXPECT_EQ(visiblePos(conceptCards()[0]), QPoint(s.createSpotSX, s.createSpotSY));
    ASSERT_EQ(card->item().keywords.size(), 2u);
    EXPECT_EQ(card->item().keywords[1].word, QStringLiteral("lonely"));
    EXPECT_TRUE(sameId(card->item().keywords[1].conceptId,
                       conceptCards()[0]->conceptData().conceptId, kConceptIdTolerance));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DICT WHERE WNo = 5")).toInt(), 1);
}

TEST_F(PopulateDesktopTest, AnInflectionWordWithoutConceptIsNotCommitted)
{
    DragPayload form = dictionaryWord(5, QStringLiteral("lonely"));
    form.source = DragPayload::Source::InflectionWord;
    ASSERT_TRUE(FormDragDrop(*desktop, form, {300, 200}));
    ASSERT_EQ(conceptCards().size(), 1u);
    EXPECT_TRUE(conceptCards()[0]->data().changed);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DICT WHERE WNo = 5")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE WNo = 5")).toDouble(), -1.0);
}

TEST_F(PopulateDesktopTest, AProjectBringsItsItemsAndTheirTextsToTheClipboard)
{
    messenger.expect(QStringLiteral("qb1223"));
    for (int k = 0; k < 5; ++k)
        addItem(-46000.1 - k, QStringLiteral("garden note %1").arg(k), {{kRiver, 4}},
                {QStringLiteral("GARDEN")}, -46300.0 - k);
    addItem(-46010.0, QStringLiteral("not in the project"), {{kRiver, 4}});
    messenger.answer(MessageButton::No);
    ASSERT_TRUE(FormDragDrop(*desktop, project(QStringLiteral("GARDEN")), {100, 100}));
    ASSERT_EQ(itemCards().size(), 5u);
    // Most recently touched first.
    EXPECT_EQ(itemCards()[0]->itemId(), -46004.1);
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("GARDEN   "))) << text.toStdString();
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(text.contains(QStringLiteral("\n\ngarden note %1").arg(k)));
    EXPECT_FALSE(text.contains(QStringLiteral("not in the project")));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Display Project as text")));

    clearAll();
    messenger.clear();
    session().settings.quiet = true;
    ASSERT_TRUE(FormDragDrop(*desktop, project(QStringLiteral("GARDEN")), {100, 100}));
    EXPECT_EQ(itemCards().size(), 5u);
    EXPECT_EQ(messenger.count(), 0);

    // A project without items: "Nothing found", only a beep in quiet mode.
    addProject(QStringLiteral("EMPTY"), -45301.0);
    ASSERT_TRUE(FormDragDrop(*desktop, project(QStringLiteral("EMPTY")), {100, 100}));
    EXPECT_EQ(messenger.beeps, 1);
    session().settings.quiet = false;
    ASSERT_TRUE(FormDragDrop(*desktop, project(QStringLiteral("EMPTY")), {100, 100}));
    EXPECT_EQ(shownWithCode(QStringLiteral("qb1223")), 1);
}

TEST_F(PopulateDesktopTest, ASetReadsAtMost200Rows)
{
    session().settings.machineIndex = 200;
    addItemsOf(kRiver, 4, 250);
    setMode(ExplodeMode::On);
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(4, QStringLiteral("river")), {0, 0}));
    EXPECT_EQ(itemCards().size(), 200u);
    EXPECT_EQ(messenger.count(), 0);
    EXPECT_FALSE(session().flags.abortHeld());
}

TEST_F(PopulateDesktopTest, AFullItemTableStopsTheSetAndSetsTheAbortFlags)
{
    addItemsOf(kRiver, 4, 130);
    setMode(ExplodeMode::On);
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(4, QStringLiteral("river")), {0, 0}));
    // MachineIndex 100: a hundred item cards, then the table is full.
    EXPECT_EQ(itemCards().size(), 100u);
    EXPECT_EQ(shownWithCode(QStringLiteral("qb1753")), 1);
    EXPECT_EQ(shownWithCode(QStringLiteral("Oldslot=0")), 1);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Too many windows on desktop")));
    EXPECT_TRUE(session().flags.escapeRequested());
    EXPECT_TRUE(session().flags.abortHeld());
    // The run has ended: the desktop takes input again.
    EXPECT_FALSE(session().commitRunning.raised());
    EXPECT_TRUE(desktop->takesInput());

    // Closed with Enter, whose release comes in between two cards and clears the Esc request:
    // the set still stops.
    ClearCards(*desktop, ClearCommand::Desktop);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    messenger.clear();
    messenger.afterEachMessage = [] { QTimer::singleShot(0, [] { KeyReleaseFlags(); }); };
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(4, QStringLiteral("river")), {0, 0}));
    messenger.afterEachMessage = nullptr;
    EXPECT_TRUE(messenger.saw(QStringLiteral("Too many windows on desktop")));
    EXPECT_EQ(itemCards().size(), 100u);
    EXPECT_EQ(shownWithCode(QStringLiteral("qb1753")), 1);
    EXPECT_EQ(shownWithCode(QStringLiteral("Oldslot=0")), 1);
    EXPECT_TRUE(session().flags.abortHeld());

    // While the held abort stands, a concept set does not start.
    int groupColor = 0;
    const size_t concepts = conceptCards().size();
    DevelopSynWheelSet(*desktop, {kFruit}, {500, 500}, kNoItemToSkip, false, groupColor);
    EXPECT_EQ(conceptCards().size(), concepts);
    // A new drop clears it.
    ASSERT_TRUE(FormDragDrop(*desktop, keyword(kFruit, 1, QStringLiteral("apple")), {500, 500}));
    EXPECT_NE(conceptCard(kFruit), nullptr);
}

TEST_F(PopulateDesktopTest, AFullConceptTableStopsTheSet)
{
    messenger.expect(QStringLiteral("qb1457"));
    messenger.expect(QStringLiteral("qb1576"));
    session().settings.machineIndex = 35;  // 17 concept slots, raised to 20
    for (int i = 0; i < 25; ++i) addConcept(-45500.0 - i, {5}, -45600.0 - i);
    setMode(ExplodeMode::Off);
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(5, QStringLiteral("lonely")), {0, 0}));
    EXPECT_EQ(conceptCards().size(), 20u);
    EXPECT_EQ(shownWithCode(QStringLiteral("qb1457")), 1);
    EXPECT_EQ(shownWithCode(QStringLiteral("qb1576")), 1);
    EXPECT_TRUE(session().flags.abortHeld());
}

TEST_F(PopulateDesktopTest, EscDuringASetStopsItAndKeepsTheCardsMade)
{
    addItemsOf(kRiver, 4, 60);
    // The user presses Esc once five cards are there.
    int made = 0;
    struct Watcher : QObject {
        std::function<void()> onChild;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::ChildAdded) onChild();
            return false;
        }
    } watcher;
    watcher.onChild = [&] {
        if (++made != 5) return;
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != window.get()) target = window.get();
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        QCoreApplication::postEvent(
            target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier));
    };
    desktop->surface()->installEventFilter(&watcher);
    setMode(ExplodeMode::On);
    ASSERT_TRUE(FormDragDrop(*desktop, dictionaryWord(4, QStringLiteral("river")), {0, 0}));
    desktop->surface()->removeEventFilter(&watcher);

    const size_t cards = itemCards().size();
    EXPECT_GE(cards, 4u);
    EXPECT_LE(cards, 6u);
    EXPECT_EQ(populateState().escPresses, 1);
    // The release took the Esc request; the held abort keeps the next concept set from starting.
    EXPECT_TRUE(session().flags.abortHeld());
    EXPECT_FALSE(session().commitRunning.raised());
    EXPECT_TRUE(desktop->takesInput());
}

TEST_F(PopulateDesktopTest, LoadedCardsAreShadedByTheirAge)
{
    const double now = today();
    addItem(-46000.1, QStringLiteral("today"), {{kRiver, 4}}, {}, -(now - 0.0));
    addItem(-46000.2, QStringLiteral("six days"), {{kRiver, 4}}, {}, -(now - 6.01));
    addItem(-46000.3, QStringLiteral("sixty days"), {{kRiver, 4}}, {}, -(now - 60.0));

    session().settings.ageFadeAwayInMonths = 1;
    ASSERT_TRUE(
        FormDragDrop(*desktop, conceptWord(kRiver, 4, QStringLiteral("river"), nullptr), {0, 0}));
    ASSERT_EQ(itemCards().size(), 3u);
    for (TItem* card : itemCards())
        EXPECT_EQ(card->item().normalColor, session().settings.itemFrameColor);

    clearAll();
    session().settings.ageFadeAwayInMonths = 12;
    ASSERT_TRUE(
        FormDragDrop(*desktop, conceptWord(kRiver, 4, QStringLiteral("river"), nullptr), {0, 0}));
    const std::vector<std::pair<Timestamp, int>> expected = {
        {-46000.1, 192}, {-46000.2, 217}, {-46000.3, 240}};
    for (const auto& [id, grey] : expected) {
        TItem* card = itemCard(id);
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->item().normalColor, GreyColor(grey)) << grey;
        EXPECT_EQ(card->currentColor(), QColor(grey, grey, grey));
        EXPECT_EQ(card->focusMark()->fillColor(), QColor(grey, grey, grey));
    }
}

TEST_F(PopulateDesktopTest, PicturesShapeTheirCardsAndARefusedOneLeavesItsTextShownAndStored)
{
    messenger.expect(QStringLiteral("qb3689"));
    addItem(-46000.1, QStringLiteral(""), {{kRiver, 4}}, {}, -46400.0);
    addItem(-46000.2, QStringLiteral("broken picture"), {{kRiver, 4}}, {}, -46399.0);
    addItem(-46000.3, QStringLiteral("broken too"), {{kRiver, 4}}, {}, -46398.0);
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1 WHERE IT = ?2"),
         {PictureToStoredBytes(picture), -46000.1});
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1 WHERE IT IN (?2, ?3)"),
         {QByteArray("not a picture"), -46000.2, -46000.3});

    ASSERT_TRUE(
        FormDragDrop(*desktop, conceptWord(kRiver, 4, QStringLiteral("river"), nullptr), {0, 0}));
    TItem* shown = itemCard(-46000.1);
    ASSERT_NE(shown, nullptr);
    // In text mode a card with a picture shows it, sized to it.
    EXPECT_EQ(shown->contentsUp(), ctxImage);
    EXPECT_EQ(shown->size(), QSize(130, 108));
    EXPECT_TRUE(shown->item().hasPicture);

    // A picture the decoder refuses: the card shows its text, says why, and the set goes on;
    // the user is told once, and the stored bytes are the commit's to leave alone.
    for (Timestamp id : {-46000.2L, -46000.3L}) {
        TItem* broken = itemCard(id);
        ASSERT_NE(broken, nullptr);
        EXPECT_TRUE(broken->isVisible());
        EXPECT_FALSE(broken->data().unfreeable);
        EXPECT_TRUE(broken->item().pictureUnread);
        EXPECT_EQ(broken->contentsUp(), ctxText);
        EXPECT_TRUE(broken->toolTip().contains(QStringLiteral("not shown")));
    }
    EXPECT_EQ(shownWithCode(QStringLiteral("qb3689")), 1);
    EXPECT_FALSE(session().flags.abortHeld());
}

TEST_F(PopulateDesktopTest, DropsWhileARunOrCommitIsInProgressAreRefused)
{
    addItemsOf(kRiver, 4, 2);
    session().commitRunning.raise();
    EXPECT_FALSE(FormDragDrop(*desktop, dictionaryWord(4, QStringLiteral("river")), {0, 0}));
    EXPECT_TRUE(conceptCards().empty());
    EXPECT_TRUE(itemCards().empty());

    // A real drag is not accepted meanwhile either.
    QMimeData mime;
    mime.setData(DragPayload::mimeType(), dictionaryWord(4, QStringLiteral("river")).encode());
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(desktop->surface(), &enter);
    EXPECT_FALSE(enter.isAccepted());

    session().commitRunning.lower();
    QDragEnterEvent again(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(desktop->surface(), &again);
    EXPECT_TRUE(again.isAccepted());
    QDragLeaveEvent leave;
    QApplication::sendEvent(desktop->surface(), &leave);

    // Sources the desktop does not take are left alone.
    DragPayload files;
    files.source = DragPayload::Source::Files;
    EXPECT_FALSE(FormDragDrop(*desktop, files, {0, 0}));
    // A flyword goes to the flywords once they take it.
    DragPayload fly;
    fly.source = DragPayload::Source::Flyword;
    fly.word = QStringLiteral("note");
    EXPECT_FALSE(FormDragDrop(*desktop, fly, {5, 6}));
    QPoint flywordAt;
    populateState().hooks.flywordDrop = [&](const DragPayload&, QPoint at) {
        flywordAt = at;
        return true;
    };
    EXPECT_TRUE(FormDragDrop(*desktop, fly, {5, 6}));
    EXPECT_EQ(flywordAt, QPoint(5, 6));
}

TEST_F(PopulateDesktopTest, ARealDropLandsInDesktopCoordinates)
{
    desktop->scrollTo(500, 400);
    ASSERT_EQ(desktop->scroll(), QPoint(500, 400));
    QMimeData mime;
    mime.setData(DragPayload::mimeType(), keyword(kRiver, 4, QStringLiteral("river")).encode());
    // The surface's point (900, 700) is the visible point (400, 300).
    QDragEnterEvent enter(QPoint(900, 700), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(desktop->surface(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(900, 700), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(desktop->surface(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QCoreApplication::processEvents();
    ASSERT_EQ(conceptCards().size(), 1u);
    EXPECT_EQ(visiblePos(conceptCards()[0]), QPoint(400, 300));
    EXPECT_EQ(conceptCards()[0]->pos(), QPoint(900, 700));

    // On a picture, a point left of the scroll position is said to be negative; the drop goes on.
    ASSERT_TRUE(FormDragDrop(*desktop, keyword(kFruit, 1, QStringLiteral("apple")), {450, 500},
                             DropPlace::Picture));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Formdragdrop coordinates negative")));
    EXPECT_NE(conceptCard(kFruit), nullptr);
}

TEST_F(PopulateDesktopTest, PopItemsStepsOnUntilAClear)
{
    addItem(-46000.1, QStringLiteral("newest"), {{kRiver, 4}}, {}, -46400.0);
    addItem(-46000.2, QStringLiteral("second"), {{kRiver, 4}}, {}, -46399.0);
    addItem(-46000.3, QStringLiteral("third"), {{kRiver, 4}}, {}, -46398.0);
    addItem(-46000.4, QStringLiteral("fourth"), {{kRiver, 4}}, {}, -46397.0);
    for (int i = 0; i < 3; ++i) PopItems(*desktop);
    EXPECT_EQ(ids(itemCards()), (std::vector<Timestamp>{-46000.1, -46000.2, -46000.3}));
    EXPECT_EQ(positions(itemCards()), (std::vector<QPoint>{{216, 92}, {240, 120}, {264, 148}}));
    // Pop Items frames nothing and takes the item frame colour for the focus mark.
    EXPECT_EQ(itemCards()[0]->focusMark()->fillColor(),
              colors::toQColor(session().settings.itemFrameColor));

    ClearCards(*desktop, ClearCommand::ItemsNotMarked);
    test::flushDeletes();
    ASSERT_TRUE(itemCards().empty());
    EXPECT_EQ(placementCounters().popItems, QPoint());
    PopItems(*desktop);
    ASSERT_EQ(itemCards().size(), 1u);
    EXPECT_EQ(visiblePos(itemCards()[0]), QPoint(216, 92));

    // The newest item's card dropped but not yet freed is shown again, and the next one comes.
    TItem* newest = itemCard(-46000.1);
    ASSERT_NE(newest, nullptr);
    newest->data().hidden = true;
    newest->hide();
    PopItems(*desktop);
    EXPECT_FALSE(newest->data().hidden);
    EXPECT_TRUE(newest->isVisible());
    EXPECT_EQ(ids(itemCards()), (std::vector<Timestamp>{-46000.1, -46000.2}));
    EXPECT_EQ(visiblePos(itemCard(-46000.2)), QPoint(240, 120));
}

TEST_F(PopulateDesktopTest, PopConceptsBringsTheNextConceptNotOnTheDesktop)
{
    PopConcepts(*desktop);
    PopConcepts(*desktop);
    // Most recently touched first: the tree, then the fruit.
    ASSERT_NE(conceptCard(kTree), nullptr);
    ASSERT_NE(conceptCard(kFruit), nullptr);
    EXPECT_EQ(visiblePos(conceptCard(kTree)), QPoint(248, 92));
    EXPECT_EQ(visiblePos(conceptCard(kFruit)), QPoint(272, 120));
    PopConcepts(*desktop);
    PopConcepts(*desktop);
    EXPECT_EQ(conceptCards().size(), 3u);
    EXPECT_TRUE(CheckSWExist(*desktop, kRiver));
    conceptCard(kRiver)->data().deleted = true;
    EXPECT_FALSE(CheckSWExist(*desktop, kRiver));
}

TEST_F(PopulateDesktopTest, AnItemWithoutKeywordIsANormalCard)
{
    addItem(-46000.1, QStringLiteral("no keyword"), {}, {}, -46400.0);
    addItem(-46000.2, QStringLiteral("fine"), {{kRiver, 4}}, {}, -46399.0);
    PopItems(*desktop);
    PopItems(*desktop);
    ASSERT_EQ(itemCards().size(), 2u);
    EXPECT_EQ(shownWithCode(QStringLiteral("QB1703")), 0);
    EXPECT_FALSE(session().flags.stopped());

    // Its keyword list says that it has none instead of staying blank.
    TItem* bare = itemCard(-46000.1);
    ASSERT_NE(bare, nullptr);
    bare->setContentsUp(ctxKeys);
    const QImage list = bare->keyList()->grab().toImage();
    bool drawn = false;
    for (int y = 0; y < list.height() && !drawn; ++y)
        for (int x = 0; x < list.width() && !drawn; ++x)
            drawn = list.pixel(x, y) != list.pixel(0, 0);
    EXPECT_TRUE(drawn);

    clearAll();
    EXPECT_TRUE(Pick1Item(*desktop, {40, 40}, -46000.1, 0, 0, 0, false).card);
    EXPECT_EQ(shownWithCode(QStringLiteral("QB3742")), 0);
    EXPECT_FALSE(session().flags.stopped());
}

TEST_F(PopulateDesktopTest, Pick1ItemWithARefusedPictureShowsTheTextAndGoesOn)
{
    messenger.expect(QStringLiteral("qb3689"));
    addItem(-46000.1, QStringLiteral("broken picture"), {{kRiver, 4}});
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1 WHERE IT = ?2"),
         {QByteArray("not a picture"), -46000.1});
    const PlacedItemCard placed = Pick1Item(*desktop, {40, 40}, -46000.1, 0, 0, 0, false);
    ASSERT_NE(placed.card, nullptr);
    EXPECT_TRUE(placed.card->isVisible());
    EXPECT_TRUE(placed.card->item().pictureUnread);
    EXPECT_EQ(placed.card->textEditor()->toPlainText(), QStringLiteral("broken picture"));
    EXPECT_EQ(shownWithCode(QStringLiteral("QB3742")), 0);
    EXPECT_FALSE(session().flags.stopped());
}

TEST_F(PopulateDesktopTest, AHitDeepInALongTextIsSelectedByCharactersAndScrolledIntoSight)
{
    QString text;
    for (int line = 0; line < 200; ++line) text += QStringLiteral("\U0001D538 line %1\n").arg(line);
    text += QStringLiteral("the needle");
    addItem(-46000.1, text);
    // The hit counts characters: every line's letter outside the basic plane counts once.
    const int start = int(text.toUcs4().size()) - 6 + 1;
    const PlacedItemCard placed = Pick1Item(*desktop, {60, 70}, -46000.1, 0, start, 6, false);
    ASSERT_NE(placed.card, nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(placed.card->textEditor()->textCursor().selectedText(), QStringLiteral("needle"));
    EXPECT_GT(placed.card->textEditor()->verticalScrollBar()->value(), 0);
}

TEST_F(PopulateDesktopTest, Pick1ItemFramesMarksAndSelectsTheHit)
{
    messenger.expect(QStringLiteral("qb1753"));
    messenger.expect(QStringLiteral("qb3668"));
    addItem(-46000.1, QStringLiteral("find the needle here"), {{kRiver, 4}});
    const PlacedItemCard placed = Pick1Item(*desktop, {60, 70}, -46000.1, 255, 10, 6, true);
    ASSERT_NE(placed.card, nullptr);
    EXPECT_EQ(visiblePos(placed.card), QPoint(60, 70));
    EXPECT_TRUE(placed.card->data().marked);
    EXPECT_EQ(placed.card->item().normalColor, 255);
    EXPECT_EQ(placed.card->textEditor()->textCursor().selectedText(), QStringLiteral("needle"));
    EXPECT_EQ(placed.card->focusMark()->fillColor(), QColor(Qt::black));
    // Found again: moved, not doubled.
    const PlacedItemCard again = Pick1Item(*desktop, {300, 70}, -46000.1, 0, 0, 0, false);
    EXPECT_EQ(again.card, placed.card);
    EXPECT_EQ(itemCards().size(), 1u);
    EXPECT_EQ(visiblePos(placed.card), QPoint(300, 70));

    // A full table: "qb3668" after the table's own message, and the abort flags.
    session().settings.machineIndex = 30;
    for (int k = 0; k < 31; ++k) addItem(-46100.0 - k, QStringLiteral("p%1").arg(k), {{kRiver, 4}});
    for (int k = 0; k < 31; ++k) Pick1Item(*desktop, {10, 10}, -46100.0 - k, 0, 0, 0, false);
    EXPECT_EQ(itemCards().size(), 30u);
    EXPECT_EQ(shownWithCode(QStringLiteral("qb3668")), 1);
    EXPECT_TRUE(session().flags.abortHeld());
}

TEST_F(PopulateDesktopTest, ConnectionsBringTheConceptsOfAnItemAndTheirOtherItems)
{
    const Timestamp self = -46500.5;
    addItem(self, QStringLiteral("the item"), {{kRiver, 4}, {kFruit, 1}, {kTree, 3}});
    addItem(-46001.0, QStringLiteral("river old"), {{kRiver, 4}}, {}, -46450.0);
    addItem(-46002.0, QStringLiteral("river young"), {{kRiver, 4}}, {}, -46460.0);
    addItem(-46003.0, QStringLiteral("fruit"), {{kFruit, 2}});
    setMode(ExplodeMode::Maximum);
    PlacedItemCard placed = Pick1Item(*desktop, {50, 50}, self, 0, 0, 0, false);
    ASSERT_NE(placed.card, nullptr);
    TItem* card = placed.card;

    card->carryOut(QStringLiteral("Connections"), ItemPart::Frame);
    const int x = 50 + card->width() + 10;
    ASSERT_EQ(conceptCards().size(), 3u);
    EXPECT_EQ(visiblePos(conceptCard(kRiver)), QPoint(x, 50));
    EXPECT_EQ(visiblePos(conceptCard(kFruit)), QPoint(x + 104, 78));
    EXPECT_EQ(visiblePos(conceptCard(kTree)), QPoint(x + 208, 106));
    // Oldest first; the item itself stays where it is and the cards after it move up.
    EXPECT_EQ(visiblePos(itemCard(-46001.0)), QPoint(x + 40, 78));
    EXPECT_EQ(visiblePos(itemCard(-46002.0)), QPoint(x + 64, 106));
    EXPECT_EQ(visiblePos(itemCard(-46003.0)), QPoint(x + 144, 106));
    EXPECT_EQ(visiblePos(card), QPoint(50, 50));
    EXPECT_EQ(itemCards().size(), 4u);
    EXPECT_FALSE(populateState().loading);
}

TEST_F(PopulateDesktopTest, TheLocateDialogsConceptsUseTheSameLayout)
{
    addItemsOf(kRiver, 4, 2);
    ASSERT_TRUE(FreeWordDrop(4));
    ASSERT_EQ(conceptCards().size(), 1u);
    const Settings& s = session().settings;
    EXPECT_EQ(visiblePos(conceptCards()[0]), QPoint(s.createSpotSX, s.createSpotSY));
    EXPECT_EQ(itemCards().size(), 2u);
}

TEST_F(PopulateDesktopTest, KeysOfTheDesktopWindow)
{
    session().commitRunning.raise();
    desktop->setTakesInput(false);
    pressKey(Qt::Key_Escape);
    EXPECT_TRUE(session().flags.abortHeld());
    EXPECT_FALSE(session().flags.escapeRequested());  // the release took it
    EXPECT_FALSE(session().commitRunning.raised());
    EXPECT_TRUE(desktop->takesInput());

    pressKey(Qt::Key_Home);
    EXPECT_EQ(resets, 1);
    // In an item's text Home moves the cursor instead.
    addItem(-46000.1, QStringLiteral("text"), {{kRiver, 4}});
    PlacedItemCard placed = Pick1Item(*desktop, {10, 10}, -46000.1, 0, 0, 0, false);
    ASSERT_NE(placed.card, nullptr);
    window->activateWindow();
    placed.card->textEditor()->setFocus();
    if (QApplication::focusWidget() == placed.card->textEditor()) {
        pressKey(Qt::Key_Home);
        EXPECT_EQ(resets, 1);
    }
}

TEST_F(PopulateDesktopTest, ARunTakesNoPointerInputAndNoFocusUntilItEnds)
{
    addItem(-46000.1, QStringLiteral("a text long enough to click into"), {{kRiver, 4}});
    PlacedItemCard placed = Pick1Item(*desktop, {10, 10}, -46000.1, 0, 0, 0, false);
    ASSERT_NE(placed.card, nullptr);
    QPlainTextEdit* text = placed.card->textEditor();
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    text->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), text);
    auto wheelDown = [&] {
        const QPointF at(50, 50);
        QWheelEvent wheel(at, desktop->viewport()->mapToGlobal(at), {}, QPoint(0, -120),
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(desktop->viewport(), &wheel);
    };
    const QPoint inText(60, text->cursorRect().center().y());
    {
        PopulateRun run;
        EXPECT_FALSE(desktop->takesInput());
        // The focus left the card when the run began, and the program cannot give it back.
        EXPECT_FALSE(placed.card->isAncestorOf(QApplication::focusWidget()));
        text->setFocus();
        EXPECT_NE(QApplication::focusWidget(), text);
        wheelDown();
        EXPECT_EQ(desktop->scrollY(), 0);
        QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, inText);
        EXPECT_EQ(text->textCursor().position(), 0);
    }
    EXPECT_TRUE(desktop->takesInput());
    wheelDown();
    EXPECT_GT(desktop->scrollY(), 0);
    desktop->scrollTo(0, 0);
    QTest::mouseClick(text->viewport(), Qt::LeftButton, {}, inText);
    EXPECT_GT(text->textCursor().position(), 0);
    EXPECT_EQ(QApplication::focusWidget(), text);
}

TEST_F(PopulateDesktopTest, ARunHoldsTheDesktopsInputAndStartsTheLock)
{
    addItemsOf(kRiver, 4, 3);
    std::vector<bool> seen;
    struct Watcher : QObject {
        TDesktop* desktop;
        std::vector<bool>* seen;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::ChildAdded)
                seen->push_back(desktop->takesInput() || !session().commitRunning.raised());
            return false;
        }
    } watcher;
    watcher.desktop = desktop;
    watcher.seen = &seen;
    desktop->surface()->installEventFilter(&watcher);
    ASSERT_TRUE(
        FormDragDrop(*desktop, conceptWord(kRiver, 4, QStringLiteral("river"), nullptr), {0, 0}));
    desktop->surface()->removeEventFilter(&watcher);
    ASSERT_FALSE(seen.empty());
    for (bool enabledOrIdle : seen) EXPECT_FALSE(enabledOrIdle);
    EXPECT_TRUE(desktop->takesInput());
    EXPECT_TRUE(populateState().lock.isActive());
    EXPECT_EQ(populateState().lock.interval(), 10000);
}

}  // namespace
