#include "PopulateFixture.h"

#include "cards/Collection.h"
#include "floor/RunGuard.h"
#include "items/ItemCard.h"
#include "search/SearchCommands.h"
#include "session/Session.h"

#include <QTextCursor>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace qb::test {

namespace {

class SearchDesktop : public PopulateFixture {
protected:
    // Seven items hold "apple" at different places; one does not.
    void SetUp() override
    {
        PopulateFixture::SetUp();
        const QStringList texts = {
            QStringLiteral("apple pie"),        QStringLiteral("green apple"),
            QStringLiteral("an Apple a day"),   QStringLiteral("no fruit here"),
            QStringLiteral("apples and pears"), QStringLiteral("crab apple tree"),
            QStringLiteral("pineapple"),        QStringLiteral("apple juice")};
        for (int k = 0; k < texts.size(); ++k) {
            const Timestamp id = double(-46000.1 - k * 0.001);
            // Item 0 is the newest: the smallest ITS.
            addItem(id, texts[k], {}, {}, double(-46300.5 + k * 0.00001));
            ids.push_back(id);
            textOf.push_back(texts[k]);
        }
    }

    search::SearchRequest apple() const
    {
        search::SearchRequest r;
        r.text = QStringLiteral("apple");
        return r;
    }

    // The highlighted part of the card's text.
    static QString highlighted(TItem* card)
    {
        card->restoreSelection();
        return card->textEditor()->textCursor().selectedText();
    }

    void expectBatch(const std::vector<int>& items)
    {
        const Settings& st = session().settings;
        ASSERT_EQ(itemCards().size(), items.size());
        for (size_t k = 0; k < items.size(); ++k) {
            TItem* card = itemCard(ids[size_t(items[k])]);
            ASSERT_NE(card, nullptr) << textOf[size_t(items[k])].toStdString();
            const int step = int(k) + 1;
            EXPECT_EQ(visiblePos(card),
                      QPoint(st.generalOffsetSideBorder + step * st.horizontal,
                             st.generalOffsetTopBorder + kToolBar + step * st.vertical))
                << k;
            EXPECT_EQ(card->data().normalColor, search::kHitColor);
            EXPECT_EQ(highlighted(card).toLower(), QStringLiteral("apple")) << k;
        }
    }

    static constexpr int kToolBar = 30;
    std::vector<Timestamp> ids;
    QStringList textOf;
};

TEST_F(SearchDesktop, TheFirstBatchOfHitsLandsDownTheDiagonalHighlightedAndTheNextResumes)
{
    messenger.answer(MessageButton::Yes);  // "Stop now?" after five hits
    const search::SearchOutcome first = search::ItemTextSearch(*desktop, kToolBar, apple());
    EXPECT_TRUE(messenger.saw(QStringLiteral("Stop now?")));
    EXPECT_TRUE(first.userStopped);
    EXPECT_EQ(first.itemsFound, 5);
    expectBatch({0, 1, 2, 4, 5});
    EXPECT_TRUE(desktop->takesInput());
    EXPECT_FALSE(session().commitRunning.raised());

    ClearCards(*desktop, ClearCommand::Desktop);
    flushDeletes();
    const search::SearchOutcome next = search::ItemTextSearch(*desktop, kToolBar, apple());
    EXPECT_TRUE(next.resumed);
    EXPECT_EQ(next.itemsFound, 2);
    expectBatch({6, 7});
    EXPECT_TRUE(desktop->takesInput());
}

TEST_F(SearchDesktop, ConceptsComeDownTheirOwnDiagonalBeforeTheItemsStartAfresh)
{
    addWord(10, QStringLiteral("apple"));
    const Timestamp orchard = addConcept(-45300.0, {10});
    messenger.answer(MessageButton::Yes);  // "Stop now?" after five items
    search::SearchRequest r = apple();
    r.type = search::SearchType::ConceptsAndItems;
    const search::SearchOutcome out = search::ItemTextSearch(*desktop, kToolBar, r);
    EXPECT_EQ(out.conceptsFound, 1);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Stop now?")));
    const Settings& st = session().settings;
    FakeConceptCard* card = conceptCard(orchard);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(visiblePos(card), QPoint(st.generalOffsetSideBorder + 300 + st.horizontal,
                                       st.generalOffsetTopBorder + kToolBar + st.vertical));
    expectBatch({0, 1, 2, 4, 5});
}

TEST_F(SearchDesktop, SelectMarkFoundCardsMarksTheHitsInTheHighlight)
{
    session().settings.selectMarkFoundCards = true;
    search::SearchRequest r = apple();
    r.mode = search::MatchMode::Exact;
    r.text = QStringLiteral("pie");
    const search::SearchOutcome out = search::ItemTextSearch(*desktop, kToolBar, r);
    ASSERT_EQ(out.itemsFound, 1);
    TItem* card = itemCard(ids[0]);
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(card->data().marked);
    EXPECT_EQ(card->data().markedColor, search::kHitColor);
}

}  // namespace

}  // namespace qb::test
