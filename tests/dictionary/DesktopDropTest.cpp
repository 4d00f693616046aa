#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "DictionaryUiFixture.h"
#include "cards/Desktop.h"
#include "desktop/DesktopDrop.h"
#include "dictionary/ConceptCard.h"
#include "dictionary/Concepts.h"
#include "dictionary/DictionaryWindow.h"
#include "dictionary/ExplodeMode.h"
#include "dictionary/Words.h"
#include "session/Session.h"
#include "shell/CommandIds.h"
#include "shell/CommandRegistry.h"
#include "shell/MainWindow.h"
#include "shell/ToolBarPanel.h"

using namespace qb;

namespace {

class DesktopDrop : public test::DictionaryUi {
protected:
    // The word's row selected in the window, dragged out of it.
    DragPayload dragged(TDict* w, const QString& word)
    {
        selectWord(w, word);
        return w->dragPayload();
    }
};

TEST_F(DesktopDrop, AWordWithoutConceptBecomesANewConceptStoredAtOnce)
{
    std::vector<int> n = addWords({"river", "stream"});
    TDict* w = openWindow();
    ASSERT_NE(w, nullptr);
    desktop->scrollTo(100, 50);
    const QPoint at = desktop->toDesktop(QPoint(300, 260));
    drop(desktop->surface(), at, dragged(w, "river"));

    QList<TSynWheel*> cards = conceptCards();
    ASSERT_EQ(cards.size(), 1);
    TSynWheel* card = cards.first();
    EXPECT_EQ(card->pos(), at);
    EXPECT_EQ(card->list()->count(), 1);
    EXPECT_EQ(card->list()->item(0)->text(), QStringLiteral("river"));
    // Stored at once, and the word's usage renewed.
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM DICT")), QStringList{QString::number(n[0])});
    EXPECT_FALSE(card->data().changed);
    EXPECT_FALSE(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE Word = 'river'")).isNull());
    EXPECT_TRUE(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE Word = 'stream'")).isNull());

    // A second word onto the card, then Ctrl+S.
    drop(card->list()->viewport(), QPoint(10, 10), dragged(w, "stream"));
    EXPECT_EQ(card->list()->count(), 2);
    EXPECT_TRUE(card->data().changed);
    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM DICT ORDER BY WNo")),
              (QStringList{QString::number(n[0]), QString::number(n[1])}));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(DISTINCT C) FROM DICT")).toInt(), 1);
}

TEST_F(DesktopDrop, AfterItemsCameTheIndicatorShowsTheClipboardLengthAgain)
{
    std::vector<int> n = addWords({"tide"});
    addConcept(-46000.5, {n[0]});
    for (double id : {-46001.25, -46001.5}) addItem(id, QStringLiteral("text"), {{-46000.5, n[0]}});
    QGuiApplication::clipboard()->setText(QStringLiteral("hello"));
    // The word's concepts with their items, as the locate dialog's Show brings them.
    ASSERT_TRUE(FreeWordDrop(n[0]));
    ASSERT_NE(desktop->findCard(CardKind::Item, -46001.5), nullptr);
    EXPECT_EQ(window->toolBar()->clipboardSizeText(), QStringLiteral("       5"));
}

TEST_F(DesktopDrop, AWordInConceptsBringsTheirCardsDownTheDiagonal)
{
    std::vector<int> n = addWords({"bank", "shore", "money"});
    addConcept(-46000.5, {n[0], n[1]});
    addConcept(-46000.25, {n[0], n[2]});
    TDict* w = openWindow();
    desktop->scrollTo(60, 30);
    const QPoint at(200, 150);
    EXPECT_TRUE(FormDragDrop(*desktop, dragged(w, "bank"), at));
    QList<TSynWheel*> cards = conceptCards();
    ASSERT_EQ(cards.size(), 2);
    const Settings& s = session().settings;
    TSynWheel* first = qobject_cast<TSynWheel*>(desktop->findCard(CardKind::Concept, -46000.5));
    TSynWheel* second = qobject_cast<TSynWheel*>(desktop->findCard(CardKind::Concept, -46000.25));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->visiblePos(), at);
    EXPECT_EQ(second->visiblePos(),
              at + QPoint(s.horizontal + s.conceptWinExtraOffsetHoriz, s.vertical));
    EXPECT_EQ(first->list()->count(), 2);
    EXPECT_EQ(first->height(), 2 * first->rowHeight() + TSynWheel::kFrameHeight);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT")).toInt(), 4);

    // The same word again: the cards are moved, not doubled.
    const QPoint elsewhere(40, 300);
    FormDragDrop(*desktop, dragged(w, "bank"), elsewhere);
    ASSERT_EQ(conceptCards().size(), 2);
    EXPECT_EQ(first->visiblePos(), elsewhere);
}

TEST_F(DesktopDrop, AFormFromAnInflectionWindowMakesAConceptOfItsWordLeftUnsaved)
{
    std::vector<int> n = addWords({"mouse"});
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('mice', ?1)"), {n[0]});
    DragPayload form;
    form.source = DragPayload::Source::InflectionWord;
    form.wordNo = n[0];
    form.word = "mice";
    EXPECT_TRUE(FormDragDrop(*desktop, form, QPoint(100, 100)));
    QList<TSynWheel*> cards = conceptCards();
    ASSERT_EQ(cards.size(), 1);
    EXPECT_EQ(cards[0]->visiblePos(), QPoint(100, 100));
    EXPECT_EQ(cards[0]->list()->item(0)->text(), QStringLiteral("mouse"));
    EXPECT_TRUE(cards[0]->data().changed);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM DICT")).toInt(), 0);
    EXPECT_TRUE(scalar(QStringLiteral("SELECT WTS2 FROM WORD")).isNull());
}

TEST_F(DesktopDrop, ABlankConceptComesAtTheCreationSpotAndAWordCardForTheItemCards)
{
    desktop->scrollTo(40, 0);
    QTest::keyClick(window.get(), Qt::Key_Insert, Qt::ControlModifier);
    QList<TSynWheel*> cards = conceptCards();
    ASSERT_EQ(cards.size(), 1);
    const Settings& s = session().settings;
    EXPECT_EQ(cards[0]->visiblePos(), QPoint(s.createSpotSX, s.createSpotSY));
    EXPECT_EQ(cards[0]->size(), QSize(s.synWheelWidth, s.synWheelHeight));
    EXPECT_TRUE(cards[0]->data().changed);
    EXPECT_EQ(cards[0]->list()->count(), 0);
    EXPECT_EQ(currentConceptColor(), cards[0]->conceptData().color);

    std::vector<int> n = addWords({"lamp"});
    TSynWheel* forItem = NewConceptCardForWord(QStringLiteral("lamp"), n[0]);
    ASSERT_NE(forItem, nullptr);
    EXPECT_EQ(forItem->list()->item(0)->text(), QStringLiteral("lamp"));
    EXPECT_EQ(conceptCards().size(), 2);
}

}  // namespace
