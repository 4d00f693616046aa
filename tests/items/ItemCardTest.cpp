#include "ItemCardFixture.h"

#include "cards/CardPartsPanel.h"
#include "cards/Collection.h"
#include "items/ItemHooks.h"
#include "items/SelectConceptDialog.h"
#include "platform/Colors.h"
#include "platform/FileNames.h"
#include "session/ExecFile.h"
#include "support/ModalDriver.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QUrl>

#include <sqlite3.h>

#include <tuple>

using namespace qb;
using test::flushDeletes;

namespace {

constexpr Timestamp kItem = -46001.04L;
constexpr Timestamp kOther = -46002.04L;

class ItemCard : public test::ItemCardFixture {
protected:
    // The sides a card shows after each of n clicks on its frame.
    std::vector<ContentsTypes> clicks(TItem* card, int n)
    {
        std::vector<ContentsTypes> sides;
        for (int i = 0; i < n; ++i) {
            clickFrame(card);
            sides.push_back(card->contentsUp());
        }
        return sides;
    }
    static QImage picture(int w, int h, QColor c = QColor(200, 40, 40))
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(c);
        return image;
    }
};

using Sides = std::vector<ContentsTypes>;

TEST_F(ItemCard, ClicksOnTheFrameFlipThroughTheFourCycles)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    ASSERT_EQ(card->contentsUp(), ctxText);

    session().settings.quickFlip = false;
    EXPECT_EQ(clicks(card, 4), (Sides{ctxKeys, ctxCombined, ctxUrls, ctxText}));

    session().settings.quickFlip = true;
    EXPECT_EQ(clicks(card, 2), (Sides{ctxCombined, ctxText}));
    card->setContentsUp(ctxKeys);
    EXPECT_EQ(clicks(card, 2), (Sides{ctxCombined, ctxText}));
    card->setContentsUp(ctxUrls);
    EXPECT_EQ(clicks(card, 1), (Sides{ctxText}));

    card->setPicture(picture(40, 30));
    card->setContentsUp(ctxText);
    EXPECT_EQ(clicks(card, 3), (Sides{ctxCombined, ctxImage, ctxText}));
    EXPECT_FALSE(card->pictureShown());
    card->setContentsUp(ctxUrls);
    EXPECT_EQ(clicks(card, 1), (Sides{ctxImage}));
    EXPECT_TRUE(card->pictureShown());
    EXPECT_TRUE(card->picturePanel()->isVisible());

    session().settings.quickFlip = false;
    card->setContentsUp(ctxText);
    EXPECT_EQ(clicks(card, 5), (Sides{ctxKeys, ctxCombined, ctxUrls, ctxImage, ctxText}));
}

TEST_F(ItemCard, APressThatMovesTheCardDoesNotFlipItAndARightPressToggleTheSize)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    const QPoint before = card->pos();
    clickFrame(card, QPoint(6, 0));
    EXPECT_EQ(card->contentsUp(), ctxText);
    EXPECT_EQ(card->pos(), before + QPoint(6, 0));
    clickFrame(card, QPoint(5, 5));
    EXPECT_EQ(card->contentsUp(), ctxKeys) << "less than 6 pixels still flips";

    mouse(card, QEvent::MouseButtonPress, QPoint(card->width() / 2, 6), Qt::RightButton);
    mouse(card, QEvent::MouseButtonRelease, QPoint(card->width() / 2, 6), Qt::RightButton);
    EXPECT_TRUE(card->data().expanded);
    EXPECT_EQ(card->size(), QSize(480, 360));
    EXPECT_EQ(card->contentsUp(), ctxText);
    EXPECT_EQ(card->textEditor()->font().family(), QStringLiteral("Courier New"));
    EXPECT_TRUE(card->textEditor()->font().bold());
    EXPECT_EQ(card->textEditor()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // A double click in a list toggles back.
    card->setContentsUp(ctxKeys);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5),
                    QPointF(card->keyList()->viewport()->mapToGlobal(QPoint(5, 5))), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(card->keyList()->viewport(), &dbl);
    EXPECT_FALSE(card->data().expanded);
    EXPECT_EQ(card->size(), QSize(213, 190));
    EXPECT_EQ(card->textEditor()->font().family(), QStringLiteral("Times New Roman"));
    EXPECT_FALSE(card->textEditor()->font().bold());
}

TEST_F(ItemCard, NormalAndCombinedLayoutsAndTheDivider)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    card->resize(400, 300);
    card->Layout();
    EXPECT_EQ(card->textEditor()->geometry(), QRect(5, 14, 390, 272));
    EXPECT_EQ(card->textEditor()->font().pointSize(), 11);
    EXPECT_FALSE(card->keyList()->isVisible());

    card->setContentsUp(ctxCombined);
    EXPECT_TRUE(card->keyList()->isVisible());
    EXPECT_TRUE(card->urlList()->isVisible());
    EXPECT_TRUE(card->divider()->isVisible());
    // 390 x .70, 272 x .85; the project strip below keeps whole rows and gives the rest up.
    const TURLListBox* strip = card->urlList();
    const int row = strip->count() ? strip->sizeHintForRow(0) : 0;
    const int spare = row ? (41 - 2 * strip->frameWidth()) % row : 0;
    EXPECT_EQ(card->textEditor()->geometry(), QRect(5, 14, 273, 231 + spare));
    EXPECT_EQ(card->keyList()->geometry(), QRect(278, 14, 117, 231 + spare));
    EXPECT_EQ(strip->geometry(), QRect(5, 245 + spare, 390, 41 - spare));
    EXPECT_EQ(card->divider()->geometry().topLeft(), QPoint(268, 240 + spare));

    // Dragged to the middle of the card, text and keywords are about equally wide.
    card->DropDivider(QPoint(200, 150));
    const int text = card->textEditor()->width();
    const int keys = card->keyList()->width();
    EXPECT_LE(std::abs(text - keys), 2) << text << " / " << keys;
    EXPECT_EQ(card->divider()->geometry().topLeft(),
              QPoint(text - 5, card->textEditor()->height() + 9));
}

// The lists of a card on its text side are made when first shown: links changed before then
// still show, in the place the side gives them, with the current entry kept across a refresh.
TEST_F(ItemCard, ListsMadeLateShowTheDataWhereTheSidePutsThem)
{
    TItem* asked = makeCard(kItem + 1, QStringLiteral("other"), QPoint(300, 40));
    ASSERT_TRUE(asked->textEditor()->isVisible());
    EXPECT_FALSE(asked->keyList()->isVisible()) << "asked for, not shown";
    EXPECT_EQ(asked->keyList()->geometry(), asked->textEditor()->geometry());

    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    card->item().keywords.push_back({kItem, 7, QStringLiteral("late")});
    card->item().projects = {QStringLiteral("ALPS")};
    card->DataChanged();
    card->setContentsUp(ctxUrls);
    ASSERT_TRUE(card->urlList()->isVisible());
    EXPECT_FALSE(card->keyList()->isVisible());
    EXPECT_FALSE(card->textEditor()->isVisible());
    EXPECT_EQ(card->urlList()->geometry(), card->textEditor()->geometry());
    EXPECT_EQ(card->urlList()->item(0)->text(), QStringLiteral("ALPS"));
    const int keys = card->keyList()->count();
    EXPECT_EQ(card->keyList()->item(keys - 1)->text(), QStringLiteral("late"));
    card->keyList()->setCurrentRow(keys - 1);
    card->DataChanged();
    EXPECT_EQ(card->keyList()->currentRow(), keys - 1);
}

TEST_F(ItemCard, TheCombinedProjectStripShowsWholeRows)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    card->item().projects = {QStringLiteral("ALPS"), QStringLiteral("GARDEN"),
                             QStringLiteral("HOUSE")};
    card->resize(400, 300);
    card->setContentsUp(ctxCombined);
    card->DataChanged();
    const TURLListBox* strip = card->urlList();
    const int row = strip->sizeHintForRow(0);
    ASSERT_GT(row, 0);
    EXPECT_EQ((strip->height() - 2 * strip->frameWidth()) % row, 0)
        << strip->height() << " / " << row;
    // The text above takes the pixels the strip gave up; the strip still ends where it did.
    EXPECT_EQ(card->textEditor()->geometry().bottom() + 1, strip->y());
    EXPECT_EQ(strip->geometry().bottom(), 285);
}

TEST_F(ItemCard, ANewCardIsWideUntilItsFirstKeyword)
{
    const Timestamp id = NewItem(-1, -1, QColor(Qt::red), false);
    ASSERT_NE(id, 0);
    auto cards = desktop->cardsOf<TItem>();
    ASSERT_EQ(cards.size(), 1);
    TItem* card = cards.first();
    EXPECT_EQ(card->itemId(), id);
    EXPECT_EQ(card->size(), QSize(400, 190));
    EXPECT_EQ(card->pos(), QPoint(128, 128));
    EXPECT_EQ(card->data().normalColor, session().settings.newItemColor);
    EXPECT_TRUE(card->data().changed);
    EXPECT_EQ(card->focusMark()->fillColor(), QColor(Qt::red));
    EXPECT_EQ(card->corner()->pointClr(), QColor(Qt::red));

    card->setContentsUp(ctxKeys);
    card->DropOn(ItemPart::Keys, conceptWord(kConceptC, 4, QStringLiteral("river")),
                 QPoint(20, 20));
    EXPECT_EQ(card->size(), QSize(213, 190));
    EXPECT_EQ(card->data().normalColor, session().settings.itemFrameColor);
    EXPECT_EQ(card->contentsUp(), ctxText);
    ASSERT_EQ(card->keyList()->count(), 1);
    EXPECT_EQ(card->keyList()->item(0)->text(), QStringLiteral("river"));

    card->resize(300, 250);
    card->DropOn(ItemPart::Keys, conceptWord(kConceptA, 2, QStringLiteral("pomme")),
                 QPoint(20, 20));
    EXPECT_EQ(card->size(), QSize(300, 250)) << "only the first keyword resizes";
}

TEST_F(ItemCard, ADictionaryWordOfTwoConceptsAsksWhichAndASecondWordReplacesInPlace)
{
    TItem* card = makeCard(kItem, QStringLiteral("text"));
    card->item().keywords = {{kConceptC, 4, QStringLiteral("river")}};
    card->refreshLists();

    test::ModalDriver driver;
    QStringList listed;
    QString title;
    int firstSelected = -2;
    driver.then([&](QWidget* w) {
        auto* dialog = qobject_cast<SelectConceptDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        for (int i = 0; i < dialog->list()->count(); ++i) listed << dialog->list()->item(i)->text();
        firstSelected = dialog->list()->currentRow();
        dialog->list()->setCurrentRow(1);
        dialog->okButton()->click();
    });
    card->DropOn(ItemPart::Text, dictionaryWord(1, QStringLiteral("apple")), QPoint(30, 30));
    EXPECT_EQ(driver.handled(), 1);
    EXPECT_EQ(title, QStringLiteral("SELECT CONCEPT"));
    EXPECT_EQ(listed,
              (QStringList{QStringLiteral("apple, computer"), QStringLiteral("apple, pomme")}));
    EXPECT_EQ(firstSelected, 0);
    ASSERT_EQ(card->item().keyCount(), 2);
    EXPECT_TRUE(sameId(card->item().keywords[1].conceptId, kConceptA, 1e-7L));
    EXPECT_EQ(card->item().keywords[1].word, QStringLiteral("apple"));

    // "pomme" holds only concept A: it takes apple's place, no dialog.
    card->DropOn(ItemPart::Keys, dictionaryWord(2, QStringLiteral("pomme")), QPoint(30, 30));
    EXPECT_EQ(driver.handled(), 1);
    ASSERT_EQ(card->item().keyCount(), 2);
    EXPECT_EQ(card->item().keywords[1].word, QStringLiteral("pomme"));
    EXPECT_EQ(card->item().keywords[1].wordNo, 2);
    EXPECT_EQ(card->keyList()->item(1)->text(), QStringLiteral("pomme"));

    // Closing the selection without OK adds nothing.
    driver.then([](QWidget* w) { w->close(); });
    card->DropOn(ItemPart::Urls, dictionaryWord(1, QStringLiteral("apple")), QPoint(30, 30));
    EXPECT_EQ(driver.handled(), 2);
    EXPECT_EQ(card->item().keyCount(), 2);
    EXPECT_TRUE(driver.strays.isEmpty());
}

TEST_F(ItemCard, ADictionaryWordWithoutConceptAsksForASecondDropUntilItHasOne)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    card->DropOn(ItemPart::Text, dictionaryWord(5, QStringLiteral("orphan")), QPoint(30, 30));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Please drop a second time and select your concept")));
    EXPECT_EQ(card->item().keyCount(), 2);

    // Once the concept side makes a concept for the word, the drop takes it.
    const Timestamp made = -45999.5L;
    itemHooks().newConceptCardForWord = [&](const QString& word, int wordNo) {
        EXPECT_EQ(word, QStringLiteral("orphan"));
        addConcept(made, {wordNo});
    };
    messenger.clear();
    card->DropOn(ItemPart::Text, dictionaryWord(5, QStringLiteral("orphan")), QPoint(30, 30));
    EXPECT_FALSE(messenger.saw(QStringLiteral("Please drop")));
    ASSERT_EQ(card->item().keyCount(), 3);
    EXPECT_TRUE(sameId(card->item().keywords[2].conceptId, made, 1e-7L));
}

TEST_F(ItemCard, AKeywordDroppedWithinItsOwnListMovesThere)
{
    TItem* card = makeCard(kItem, QStringLiteral("text"));
    card->item().keywords = {{kConceptA, 1, QStringLiteral("apple")},
                             {kConceptC, 4, QStringLiteral("river")},
                             {kConceptB, 3, QStringLiteral("computer")}};
    card->refreshLists();
    card->setContentsUp(ctxKeys);
    TKeyListBox* list = card->keyList();
    const QPoint first = list->visualItemRect(list->item(0)).center();
    mouse(list->viewport(), QEvent::MouseButtonPress, first, Qt::LeftButton);
    mouse(list->viewport(), QEvent::MouseButtonRelease, first, Qt::LeftButton);
    EXPECT_EQ(card->keywordDragStart(), 0);

    DragPayload drag;
    drag.source = DragPayload::Source::ItemKeyword;
    drag.sourceCard = &card->data();
    drag.position = 0;
    const QPoint third =
        list->viewport()->mapTo(card, list->visualItemRect(list->item(2)).center());
    card->DropOn(ItemPart::Keys, drag, third);
    QStringList order;
    for (const KeywordLink& k : card->item().keywords) order << k.word;
    EXPECT_EQ(order, (QStringList{QStringLiteral("river"), QStringLiteral("computer"),
                                  QStringLiteral("apple")}));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("apple"));
    EXPECT_TRUE(card->data().changed);
    EXPECT_FALSE(card->data().beingReordered);

    UpdateItems();
    auto rows =
        this->rows(QStringLiteral("SELECT WNo FROM ITEMKEYS WHERE IT = ?1 ORDER BY \"Order\""),
                   {double(kItem)});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0].toInt(), 4);
    EXPECT_EQ(rows[2][0].toInt(), 1);

    // A keyword of another card dropped on this list changes nothing here.
    TItem* other = makeKeyedCard(kOther, QStringLiteral("other"), {400, 40});
    drag.sourceCard = &other->data();
    card->setKeywordDragStart(0);
    card->DropOn(ItemPart::Keys, drag, third);
    EXPECT_EQ(card->item().keywords[0].word, QStringLiteral("river"));
}

TEST_F(ItemCard, UndoRecentDeletesBeforeTheCommitKeepsTheItem)
{
    addItem(kItem, QStringLiteral("kept text"), {{kConceptA, 1}}, {QStringLiteral("GARDEN")});
    PlacedItemCard placed = PlaceItemCard(*desktop, kItem, QPoint(50, 50));
    ASSERT_NE(placed.card, nullptr);
    TItem* card = placed.card;

    messenger.answer(MessageButton::No);
    card->DeleteCard();
    EXPECT_TRUE(card->isVisible());
    EXPECT_FALSE(card->data().deleted);

    messenger.answer(MessageButton::Yes);
    card->DeleteCard();
    EXPECT_TRUE(
        messenger.saw(QStringLiteral("Ok to delete this item definitely? (\"kept text\") ")));
    EXPECT_FALSE(card->isVisible());
    EXPECT_TRUE(card->data().deleted);

    EXPECT_EQ(UndoRecentDeletes(*desktop), 1);
    EXPECT_TRUE(card->isVisible());
    UpdateItems();
    flushDeletes();
    EXPECT_EQ(scalar(QStringLiteral("SELECT TX FROM ITEM")).toString(),
              QStringLiteral("kept text"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMKEYS")).toInt(), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Project FROM ITEMURL")).toString(),
              QStringLiteral("GARDEN"));
    EXPECT_EQ(desktop->cardsOf<TItem>().size(), 1);

    // Without the undo the commit deletes it and frees the card.
    messenger.answer(MessageButton::Yes);
    card->DeleteCard();
    UpdateItems();
    flushDeletes();
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMKEYS")).toInt(), 0);
    EXPECT_TRUE(desktop->cardsOf<TItem>().isEmpty());
}

TEST_F(ItemCard, TheCommandPanelShowsTheRowsOfTheSideUpAndCarriesThemOut)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("first line\nsecond"));
    QGuiApplication::clipboard()->setText(QStringLiteral("no picture"));
    panelChoice(card, ItemPart::Text, nullptr);
    EXPECT_EQ(lastRows, (QStringList{"ClipBoard", "CombinedView", "Keywords", "Projects", "Image",
                                     "Delete", "Drop"}));
    EXPECT_TRUE(lastCaption.startsWith(QStringLiteral("Item created ")));

    // Keywords, with a keyword selected: its own rows and caption; Unhook removes it.
    card->setContentsUp(ctxKeys);
    card->keyList()->setCurrentRow(1);
    const QString command = panelChoice(card, ItemPart::Keys, [](TMyPopUpMenu& p) {
        p.chooseCommand(QStringLiteral("RemoveKey"));
    });
    EXPECT_EQ(lastRows, (QStringList{"CombinedView", "Projects", "GoText", "Image", "ClipBoard",
                                     "RemoveKey", "Delete", "Drop"}));
    EXPECT_EQ(lastCaption, QStringLiteral("Keyword: river"));
    EXPECT_EQ(command, QStringLiteral("RemoveKey"));
    ASSERT_EQ(card->item().keyCount(), 1);
    EXPECT_EQ(card->keyList()->count(), 1);
    // The last keyword stays.
    card->keyList()->setCurrentRow(0);
    card->carryOut(QStringLiteral("RemoveKey"), ItemPart::Keys);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Delete of the only remaining keyword not allowed")));
    EXPECT_EQ(card->item().keyCount(), 1);

    // Projects: the name to the clipboard in lower case, and unhooking the last project is fine.
    card->setContentsUp(ctxUrls);
    card->urlList()->setCurrentRow(0);
    card->carryOut(QStringLiteral("ClipBoard"), ItemPart::Urls);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("garden"));
    card->carryOut(QStringLiteral("RemoveURL"), ItemPart::Urls);
    EXPECT_EQ(card->item().projCount(), 0);

    // The text side copies the selection, or the whole text.
    card->carryOut(QStringLiteral("GoText"), ItemPart::Keys);
    card->carryOut(QStringLiteral("ClipBoard"), ItemPart::Text);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("first line\nsecond"));

    // Connections with the extra features, once per opening, at the card's right.
    session().settings.extraFeatures = true;
    QPoint asked;
    itemHooks().showConnections = [&](int x, int y, Timestamp id) {
        asked = QPoint(x, y);
        EXPECT_TRUE(sameId(id, kItem, 1e-11L));
    };
    for (int i = 0; i < 2; ++i)
        panelChoice(card, ItemPart::Text, [](TMyPopUpMenu& p) {
            EXPECT_EQ(p.temporaryRowCount(), 1);
            p.chooseCommand(QStringLiteral("Connections"));
        });
    EXPECT_EQ(lastRows.count(QStringLiteral("Connections")), 1);
    EXPECT_EQ(asked, card->visiblePos() + QPoint(card->width() + 10, 0));

    // The delete row reads as the item's while open; unknown names are ignored.
    QString label;
    panelChoice(card, ItemPart::Text,
                [&](TMyPopUpMenu& p) { label = p.rowLabel(QStringLiteral("Delete")); });
    EXPECT_EQ(label, QStringLiteral("&Delete Item"));
    card->carryOut(QStringLiteral("Rename"), ItemPart::Text);
    EXPECT_EQ(card->contentsUp(), ctxText);

    // "Drop" hides the card; "Keywords" on the keyword side goes back to the text.
    card->setContentsUp(ctxKeys);
    card->carryOut(QStringLiteral("Keywords"), ItemPart::Keys);
    EXPECT_EQ(card->contentsUp(), ctxText);
    card->carryOut(QStringLiteral("Drop"), ItemPart::Text);
    EXPECT_TRUE(card->data().hidden);
    EXPECT_FALSE(card->isVisible());
}

TEST_F(ItemCard, TheCloseSignDropsKeepsOrDeletesByWhatTheCardHolds)
{
    TItem* keyed = makeKeyedCard(kItem, QStringLiteral("text"));
    keyed->CloseSignMouseDown(Qt::LeftButton, QPoint());
    EXPECT_TRUE(keyed->data().hidden);
    EXPECT_FALSE(keyed->data().deleted);

    TItem* noKey = makeCard(kOther, QStringLiteral("text without keyword"), {300, 40});
    noKey->CloseSignMouseDown(Qt::LeftButton, QPoint());
    EXPECT_FALSE(noKey->data().hidden);
    EXPECT_EQ(messenger.count(), 0);

    session().dateStamp = QStringLiteral("[26-12-08]");
    TItem* stampOnly = makeCard(-46003.5L, QStringLiteral("[26-12-08]\n"), {600, 40});
    messenger.answer(MessageButton::Yes);
    stampOnly->CloseSignMouseDown(Qt::LeftButton, QPoint());
    EXPECT_TRUE(stampOnly->data().deleted);
    EXPECT_TRUE(
        messenger.saw(QStringLiteral("Ok to delete this item definitely? (\"[26-12-08]\") ")));
}

TEST_F(ItemCard, ACommitThatFailsFreesNoCardWhoseEditItDidNotWrite)
{
    messenger.expect(QStringLiteral("M2000-3 general Update error"));
    messenger.expect(QStringLiteral("Some problem with update items"));
    addItem(kItem, QStringLiteral("stored"), {{kConceptA, 1}});
    // Far down the desktop, outside what the user sees.
    TItem* edited = PlaceItemCard(*desktop, kItem, QPoint(1500, 1500)).card;
    ASSERT_NE(edited, nullptr);
    edited->textEditor()->moveCursor(QTextCursor::End);
    edited->textEditor()->insertPlainText(QStringLiteral(" and edited"));
    edited->HideCard();
    TItem* fresh = makeKeyedCard(kOther, QStringLiteral("new note"));
    fresh->data().changed = true;
    fresh->HideCard();

    // Another program holds the write lock: the commit cannot start.
    sqlite3* other = nullptr;
    ASSERT_EQ(
        sqlite3_open(QDir(dir()).filePath(QStringLiteral("ITEM.DB")).toUtf8().constData(), &other),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    session().store.db().setBusyTimeout(100);
    UpdateItems();
    session().store.db().setBusyTimeout(sql::kBusyTimeoutMs);
    flushDeletes();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    ASSERT_EQ(desktop->cardsOf<TItem>().size(), 2);
    for (TItem* card : {edited, fresh}) {
        EXPECT_TRUE(card->data().changed);
        EXPECT_FALSE(card->data().hidden);
        EXPECT_TRUE(card->isVisible());
    }
    EXPECT_TRUE(QRect(desktop->scroll(), desktop->visibleSize()).intersects(edited->geometry()));
    EXPECT_TRUE(messenger.saw(QStringLiteral("2 cards keep their changes")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT TX FROM ITEM")).toString(), QStringLiteral("stored"));

    // One card that rolls back stays; the other is written and freed.
    exec(QStringLiteral("CREATE TRIGGER itemkeys.refuse BEFORE INSERT ON ITEMKEYS WHEN NEW.IT = %1 "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END")
             .arg(double(kOther), 0, 'g', 17));
    edited->HideCard();
    fresh->HideCard();
    messenger.clear();
    UpdateItems();
    flushDeletes();
    ASSERT_EQ(desktop->cardsOf<TItem>().size(), 1);
    EXPECT_EQ(desktop->cardsOf<TItem>().first(), fresh);
    EXPECT_TRUE(fresh->isVisible() && fresh->data().changed);
    EXPECT_TRUE(messenger.saw(QStringLiteral("1 card keeps its changes")));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT TX FROM ITEM WHERE IT = %1").arg(double(kItem), 0, 'g', 17))
            .toString(),
        QStringLiteral("stored and edited"));

    exec(QStringLiteral("DROP TRIGGER itemkeys.refuse"));
    fresh->HideCard();
    messenger.clear();
    UpdateItems();
    flushDeletes();
    EXPECT_TRUE(desktop->cardsOf<TItem>().isEmpty());
    EXPECT_FALSE(messenger.saw(QStringLiteral("could not be written")));
    EXPECT_EQ(
        scalar(QStringLiteral("SELECT TX FROM ITEM WHERE IT = %1").arg(double(kOther), 0, 'g', 17))
            .toString(),
        QStringLiteral("new note"));
}

TEST_F(ItemCard, EditsMarkTheCardChangedAndTheTextStopsAt32000Characters)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("loaded"));
    EXPECT_FALSE(card->data().changed) << "showing a text is not an edit";
    card->textEditor()->moveCursor(QTextCursor::End);
    card->textEditor()->insertPlainText(QStringLiteral(" and typed"));
    EXPECT_TRUE(card->data().changed);
    EXPECT_EQ(card->item().text, QStringLiteral("loaded and typed"));

    const QString big(31990, QLatin1Char('x'));
    card->setItemText(big);
    card->textEditor()->moveCursor(QTextCursor::Start);
    card->textEditor()->insertPlainText(QStringLiteral("0123456789ABCDEF"));
    EXPECT_EQ(card->item().text.size(), ItemCardData::kMaxTextLength);
    EXPECT_TRUE(card->item().text.startsWith(QStringLiteral("0123456789x")));
    EXPECT_EQ(card->textEditor()->document()->characterCount() - 1, ItemCardData::kMaxTextLength);
    QCoreApplication::processEvents();
    EXPECT_TRUE(messenger.saw(QStringLiteral("6 characters of the text were left out")));
    // One typed character too many only beeps.
    card->textEditor()->insertPlainText(QStringLiteral("!"));
    EXPECT_EQ(card->item().text.size(), ItemCardData::kMaxTextLength);
    EXPECT_EQ(messenger.beeps, 1);

    // A longer text from elsewhere is shown whole; an edit that adds nothing keeps it.
    const QString longer = QString(32010, QLatin1Char('y'));
    card->setItemText(longer);
    EXPECT_EQ(card->item().text.size(), 32010);
    QTextCursor cursor(card->textEditor()->document());
    cursor.setPosition(100);
    cursor.setPosition(101, QTextCursor::KeepAnchor);
    cursor.insertText(QStringLiteral("z"));
    EXPECT_EQ(card->item().text.size(), 32010);
    EXPECT_EQ(card->item().text.at(100), QLatin1Char('z'));
    // Typing more is refused.
    card->textEditor()->moveCursor(QTextCursor::End);
    card->textEditor()->insertPlainText(QStringLiteral("more"));
    EXPECT_EQ(card->item().text.size(), 32010);
}

TEST_F(ItemCard, AShownTextLeavesTheCaretAtTheStartWithNothingToUndo)
{
    const QString text = QStringLiteral("first line\nsecond line\n\nlast");
    TItem* card = makeKeyedCard(kItem, text);
    auto state = [&] {
        QPlainTextEdit* editor = card->textEditor();
        return std::make_tuple(editor->toPlainText(), editor->textCursor().position(),
                               editor->document()->isUndoAvailable(),
                               editor->document()->isModified());
    };
    EXPECT_EQ(state(), std::make_tuple(text, 0, false, false));
    card->textEditor()->moveCursor(QTextCursor::End);
    card->textEditor()->insertPlainText(QStringLiteral(" typed"));
    card->setItemText(QStringLiteral("another\ntext"));
    EXPECT_EQ(state(), std::make_tuple(QStringLiteral("another\ntext"), 0, false, false));
}

TEST_F(ItemCard, ProjectAndFlywordDropsAndShowKeysOnDrag)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("words"));
    DragPayload project;
    project.source = DragPayload::Source::Project;
    project.project = QStringLiteral("TRAVEL");
    card->DropOn(ItemPart::Text, project, QPoint(20, 20));
    card->DropOn(ItemPart::Keys, project, QPoint(20, 20));
    EXPECT_EQ(card->item().projects,
              (QStringList{QStringLiteral("GARDEN"), QStringLiteral("TRAVEL")}));
    EXPECT_EQ(card->urlList()->count(), 2);
    EXPECT_EQ(card->contentsUp(), ctxText) << "ShowKeysOnDrag is off";

    DragPayload fly;
    fly.source = DragPayload::Source::Flyword;
    fly.word = QStringLiteral("flying");
    card->data().changed = false;
    card->DropOn(ItemPart::Text, fly, QPoint(20, 20));
    EXPECT_EQ(card->item().text, QStringLiteral("words flying"));
    EXPECT_EQ(card->textEditor()->toPlainText(), QStringLiteral("words flying"));
    EXPECT_TRUE(card->data().changed);
    card->setItemText(QString(31995, QLatin1Char('w')));
    card->DropOn(ItemPart::Text, fly, QPoint(20, 20));
    EXPECT_EQ(card->item().text.size(), ItemCardData::kMaxTextLength);
    EXPECT_TRUE(messenger.saw(QStringLiteral("2 characters of the text were left out")));

    session().settings.showKeysOnDrag = true;
    card->DropOn(ItemPart::Text, project, QPoint(20, 20));
    EXPECT_EQ(card->contentsUp(), ctxUrls);
    card->DropOn(ItemPart::Urls, conceptWord(kConceptB, 3, QStringLiteral("computer")),
                 QPoint(20, 20));
    EXPECT_EQ(card->contentsUp(), ctxKeys);
}

TEST_F(ItemCard, ADoubleClickOnTheFrameMarksTouchesAndShowsTheProjects)
{
    session().settings.showItemDateAsHint = true;
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    card->CardDblClick();
    EXPECT_TRUE(card->data().marked);
    EXPECT_TRUE(card->data().changed);
    EXPECT_EQ(card->contentsUp(), ctxUrls);
    EXPECT_LT(card->touchTimestamp(), 0);
    EXPECT_EQ(card->toolTip(), QStringLiteral("26-12-08"));
    EXPECT_EQ(card->currentColor(), colors::toQColor(session().settings.itemSlctColor));
    card->CardDblClick();
    EXPECT_FALSE(card->data().marked);
}

TEST_F(ItemCard, TheItemCheckShowsTheCardWithoutKeywordOnItsKeywordSide)
{
    messenger.expect(QStringLiteral("qb1199"));
    TItem* keyed = makeKeyedCard(kItem, QStringLiteral("fine"));
    TItem* bare = makeCard(kOther, QStringLiteral("no keyword"), {300, 40});
    bare->item().hidden = true;
    bare->hide();
    EXPECT_FALSE(session().hooks.itemsHaveKeywords());
    EXPECT_TRUE(messenger.saw(
        QStringLiteral("Item with no keyword(concept) attached found - Please add a keyword")));
    EXPECT_TRUE(bare->isVisible());
    EXPECT_TRUE(bare->data().marked);
    EXPECT_EQ(bare->contentsUp(), ctxKeys);
    EXPECT_EQ(bare->currentColor(), colors::toQColor(session().settings.itemSlctColor));
    EXPECT_TRUE(session().inconsistency);

    // The unforced collection waits for the keyword; the forced one does not.
    keyed->HideCard();
    GarbageCollect(*desktop, false);
    flushDeletes();
    EXPECT_EQ(desktop->cardsOf<TItem>().size(), 2);
    bare->DropOn(ItemPart::Keys, conceptWord(kConceptC, 4, QStringLiteral("river")),
                 QPoint(20, 20));
    GarbageCollect(*desktop, false);
    flushDeletes();
    EXPECT_EQ(desktop->cardsOf<TItem>().size(), 1);
}

TEST_F(ItemCard, PlacingAStoredItemLoadsItOnceAndTakesTheSideUpMode)
{
    addItem(kItem, QStringLiteral("stored"), {{kConceptA, 2}, {kConceptC, 4}},
            {QStringLiteral("GARDEN"), QStringLiteral("TRAVEL")});
    session().settings.cardSideUp = ctxKeys;
    PlacedItemCard placed = PlaceItemCard(*desktop, kItem, QPoint(100, 120));
    ASSERT_NE(placed.card, nullptr);
    EXPECT_TRUE(placed.created);
    TItem* card = placed.card;
    EXPECT_EQ(card->pos(), QPoint(100, 120));
    EXPECT_EQ(card->size(), QSize(213, 190));
    EXPECT_EQ(card->contentsUp(), ctxKeys);
    EXPECT_FALSE(card->data().changed);
    EXPECT_EQ(card->textEditor()->toPlainText(), QStringLiteral("stored"));
    EXPECT_EQ(card->keyList()->item(0)->text(), QStringLiteral("pomme"));
    // Projects come newest project first.
    EXPECT_EQ(card->item().projects,
              (QStringList{QStringLiteral("TRAVEL"), QStringLiteral("GARDEN")}));
    EXPECT_GT(card->data().slot, 0);

    // Asked again, the card moves and turns to the mode in use, in the given colour.
    session().settings.cardSideUp = ctxCombined;
    PlacedItemCard again = PlaceItemCard(*desktop, kItem, QPoint(300, 300), {255});
    EXPECT_EQ(again.card, card);
    EXPECT_FALSE(again.created);
    EXPECT_EQ(card->pos(), QPoint(300, 300));
    EXPECT_EQ(card->contentsUp(), ctxCombined);
    EXPECT_EQ(card->data().normalColor, 255);
    EXPECT_EQ(desktop->cardsOf<TItem>().size(), 1);

    // An id without record gives no card.
    EXPECT_EQ(PlaceItemCard(*desktop, -40000.5L, QPoint(10, 10)).card, nullptr);
}

TEST_F(ItemCard, ACardOutOfViewMakesItsEditorWhenSeenAndItsTextStaysTheStoredOne)
{
    const QString text = QStringLiteral("far away\nsecond line");
    addItem(kItem, text, {{kConceptA, 2}});
    addItem(kOther, QStringLiteral("moved in"), {{kConceptA, 2}});
    TItem* far = PlaceItemCard(*desktop, kItem, QPoint(1700, 1700)).card;
    TItem* near = PlaceItemCard(*desktop, kOther, QPoint(40, 40)).card;
    ASSERT_TRUE(far && near);
    QCoreApplication::processEvents();
    EXPECT_FALSE(far->textEditorMade());
    EXPECT_TRUE(near->textEditorMade());
    far->setSavedSelection(4, 4);  // "away", as a search leaves it

    // A commit of the unseen card writes its stored text back, not an empty editor's.
    far->data().changed = true;
    UpdateItems();
    EXPECT_EQ(scalar(QStringLiteral("SELECT TX FROM ITEM WHERE IT = -46001.04")).toString(), text);
    EXPECT_FALSE(far->textEditorMade());

    // Coming into view changes nothing of the cards' stacking.
    const QList<TBasPanel*> stacking = desktop->cardWidgets();
    desktop->scrollTo(1500, 1500);
    ASSERT_TRUE(far->textEditorMade());
    EXPECT_EQ(desktop->cardWidgets(), stacking);
    EXPECT_EQ(far->textEditor()->toPlainText(), text);
    EXPECT_EQ(far->textEditor()->textCursor().selectedText(), QStringLiteral("away"));
    EXPECT_TRUE(far->textEditor()->isVisible());

    // A card moved into the view from outside it makes its editor as it arrives.
    desktop->scrollTo(0, 0);
    addItem(-46003.04L, QStringLiteral("brought in"), {{kConceptA, 2}});
    TItem* moved = PlaceItemCard(*desktop, -46003.04L, QPoint(1600, 1600)).card;
    ASSERT_NE(moved, nullptr);
    EXPECT_FALSE(moved->textEditorMade());
    desktop->moveCard(moved->data(), QPoint(60, 60));
    ASSERT_TRUE(moved->textEditorMade());
    EXPECT_EQ(moved->textEditor()->toPlainText(), QStringLiteral("brought in"));
}

TEST_F(ItemCard, TheExternalEditorGivesTheTextBack)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("before the editor"));
    // An "editor" that rewrites the file it is given, as a user saving in an editor would.
    const QString script = QDir(dir()).filePath(QStringLiteral("editor.sh"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nsleep 0.3\nprintf 'changed in the editor\\nline two\\n' > \"$1\"\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    session().settings.textEditor = script;
    session().settings.waitInSecBeforeCloseUneditedQBTxt =
        0;  // wait for the file, not for the focus
    TExecFile::setPeriodScale(0.05);
    const bool ok = card->EditInExternalEditor();
    TExecFile::setPeriodScale(1.0);
    EXPECT_TRUE(ok);
    EXPECT_EQ(card->item().text, QStringLiteral("changed in the editor\nline two"));
    EXPECT_TRUE(card->data().changed);
    EXPECT_EQ(card->contentsUp(), ctxText);
    EXPECT_FALSE(files::exists(dir(), QStringLiteral("QB.txt"))) << "the work file goes afterwards";

    // More than an item holds comes back: the rest is cut and the user told how much.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("#!/bin/sh\nsleep 0.3\nhead -c 32010 /dev/zero | tr '\\0' e > \"$1\"\n");
    f.close();
    TExecFile::setPeriodScale(0.05);
    EXPECT_TRUE(card->EditInExternalEditor());
    TExecFile::setPeriodScale(1.0);
    EXPECT_EQ(card->item().text.size(), ItemCardData::kMaxTextLength);
    EXPECT_TRUE(messenger.saw(QStringLiteral("10 characters of the text were left out")));
}

}  // namespace

// Drops from the file manager go through a hook the test sets; it is cleared again afterwards.
class ItemCardDrops : public ItemCard {
protected:
    void TearDown() override
    {
        itemHooks().droppedFiles = nullptr;
        ItemCard::TearDown();
    }
};

TEST_F(ItemCardDrops, AFileFromTheFileManagerDroppedOnTheTextGoesIntoTheCard)
{
    TItem* card = makeCard(kItem, QStringLiteral("old"));
    auto* text = card->findChild<QPlainTextEdit*>(QStringLiteral("itemText"));
    ASSERT_TRUE(text);
    QStringList handed;
    QString handedText;
    itemHooks().droppedFiles = [&](const QStringList& paths, const QString& cardText) {
        handed = paths;
        handedText = cardText;
        return std::optional<QString>(QStringLiteral("header\nfile text"));
    };
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")),
                  QUrl::fromLocalFile(QStringLiteral("/tmp/b.txt"))});
    const QPointF at(5, 5);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text->viewport(), &drop);
    EXPECT_EQ(handed, QStringList({QStringLiteral("/tmp/a.txt"), QStringLiteral("/tmp/b.txt")}));
    EXPECT_EQ(handedText, QStringLiteral("old"));
    EXPECT_EQ(card->item().text, QStringLiteral("header\nfile text"));
    EXPECT_EQ(text->toPlainText(), QStringLiteral("header\nfile text"));
    EXPECT_TRUE(card->item().changed);

    // Refused or answered no: the card stays as it was.
    card->item().changed = false;
    itemHooks().droppedFiles = [](const QStringList&, const QString&) {
        return std::optional<QString>();
    };
    QDropEvent again(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text->viewport(), &again);
    EXPECT_EQ(card->item().text, QStringLiteral("header\nfile text"));
    EXPECT_FALSE(card->item().changed);
}
