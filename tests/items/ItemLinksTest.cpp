#include "items/ItemLinks.h"
#include "items/ItemRecord.h"
#include "store/Schema.h"

#include "ItemsFixture.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

constexpr Timestamp kItem = -46300.5L;
constexpr Timestamp kConceptA = -46000.1L;
constexpr Timestamp kConceptB = -46000.2L;

class ItemLinks : public test::ItemsFixture {};

QStringList words(const ItemCardData& card)
{
    QStringList out;
    for (const KeywordLink& k : card.keywords) out << k.word;
    return out;
}

ItemCardData cardWithKeywords(int n)
{
    ItemCardData card;
    for (int i = 0; i < n; ++i)
        card.keywords.push_back({-46000.0L - i, 100 + i, QStringLiteral("w%1").arg(i)});
    return card;
}

}  // namespace

TEST_F(ItemLinks, SecondWordOfTheSameConceptReplacesTheFirstInPlace)
{
    ItemCardData card;
    EXPECT_EQ(AddKeyword(card, 1, QStringLiteral("car"), kConceptA).outcome,
              KeywordAddition::Appended);
    EXPECT_EQ(AddKeyword(card, 5, QStringLiteral("tree"), kConceptB).outcome,
              KeywordAddition::Appended);
    card.changed = false;
    card.keywordAdded = false;

    // A concept id that differs only by rounding is the same concept.
    KeywordAddition again = AddKeyword(card, 2, QStringLiteral("automobile"), kConceptA + 1e-9L);
    EXPECT_EQ(again.outcome, KeywordAddition::Replaced);
    ASSERT_EQ(card.keyCount(), 2);
    EXPECT_EQ(words(card), QStringList({"automobile", "tree"}));
    EXPECT_EQ(card.keywords[0].wordNo, 2);
    EXPECT_TRUE(card.changed);
    EXPECT_TRUE(card.keywordAdded);
}

TEST_F(ItemLinks, ZeroIdsAddNothingAndLongWordsAreCut)
{
    ItemCardData card;
    EXPECT_EQ(AddKeyword(card, 0, QStringLiteral("x"), kConceptA).outcome,
              KeywordAddition::Ignored);
    EXPECT_EQ(AddKeyword(card, 3, QStringLiteral("x"), 0).outcome, KeywordAddition::Ignored);
    EXPECT_EQ(card.keyCount(), 0);
    EXPECT_FALSE(card.changed);
    EXPECT_FALSE(card.keywordAdded);

    AddKeyword(card, 3, QString(60, QLatin1Char('k')), kConceptA);
    EXPECT_EQ(card.keywords[0].word.size(), 50);
}

TEST_F(ItemLinks, FirstKeywordGivesANewCardTheNormalItemLook)
{
    Settings& settings = session().settings;
    settings.itemWidth = 222;
    settings.itemHeight = 177;
    ItemCardData card;
    card.normalColor = settings.newItemColor;
    card.size = QSize(400, 177);

    KeywordAddition first = AddKeyword(card, 1, QStringLiteral("car"), kConceptA);
    EXPECT_TRUE(first.leftNewItemLook);
    EXPECT_EQ(card.normalColor, settings.itemFrameColor);
    EXPECT_EQ(card.size, QSize(222, 177));

    card.size = QSize(300, 300);  // the user resized it since
    KeywordAddition second = AddKeyword(card, 2, QStringLiteral("tree"), kConceptB);
    EXPECT_FALSE(second.leftNewItemLook);
    EXPECT_EQ(card.size, QSize(300, 300));
}

TEST_F(ItemLinks, TheTwentyFifthKeywordAndProjectAreRefused)
{
    messenger.expect(QStringLiteral("qb986"));
    messenger.expect(QStringLiteral("qb1029"));
    ItemCardData card = cardWithKeywords(24);
    for (int i = 0; i < 24; ++i) ASSERT_TRUE(AddProject(card, QStringLiteral("P%1").arg(i)));
    card.changed = false;

    EXPECT_EQ(AddKeyword(card, 999, QStringLiteral("extra"), -45000.0L).outcome,
              KeywordAddition::Refused);
    EXPECT_FALSE(AddProject(card, QStringLiteral("EXTRA")));
    EXPECT_EQ(card.keyCount(), 24);
    EXPECT_EQ(card.projCount(), 24);
    EXPECT_FALSE(card.changed);
    ASSERT_EQ(messenger.count(), 2);
    EXPECT_EQ(messenger.shown[0].request.message,
              QStringLiteral("Max no of detail objects per main object exceeded"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb986"));
    EXPECT_EQ(messenger.shown[1].request.code, QStringLiteral("qb1029"));

    // A full list still takes a replacement for a concept it holds, and a project it has.
    EXPECT_EQ(AddKeyword(card, 7, QStringLiteral("again"), card.keywords[5].conceptId).outcome,
              KeywordAddition::Replaced);
    EXPECT_TRUE(AddProject(card, QStringLiteral("P3")));
    EXPECT_EQ(messenger.count(), 2);
}

TEST_F(ItemLinks, TheSameProjectTwiceLeavesOneLinkButCaseCounts)
{
    ItemCardData card;
    AddProject(card, QStringLiteral("GARDEN"));
    AddProject(card, QStringLiteral("GARDEN"));
    EXPECT_EQ(card.projects, QStringList({"GARDEN"}));
    AddProject(card, QStringLiteral("Garden"));
    EXPECT_EQ(card.projCount(), 2);
}

TEST_F(ItemLinks, RemovingLinksShiftsTheRestAndKeepsTheLastKeyword)
{
    messenger.expect(QStringLiteral("i1221"));
    ItemCardData card = cardWithKeywords(3);
    card.projects = {QStringLiteral("A"), QStringLiteral("B")};
    EXPECT_FALSE(RemoveKeyword(card, 7));
    EXPECT_FALSE(card.changed);
    EXPECT_TRUE(RemoveKeyword(card, 0));
    EXPECT_EQ(words(card), QStringList({"w1", "w2"}));
    EXPECT_EQ(card.keywords[0].wordNo, 101);
    EXPECT_TRUE(RemoveKeyword(card, 1));
    EXPECT_EQ(words(card), QStringList({"w1"}));

    EXPECT_FALSE(RemoveKeyword(card, 0));
    EXPECT_EQ(card.keyCount(), 1);
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.message,
              QStringLiteral("Delete of the only remaining keyword not allowed"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("i1221"));

    card.changed = false;
    EXPECT_FALSE(RemoveProject(card, -1));
    EXPECT_TRUE(RemoveProject(card, 0));
    EXPECT_TRUE(RemoveProject(card, 0));
    EXPECT_TRUE(card.projects.isEmpty()) << "the last project may go";
    EXPECT_TRUE(card.changed);
}

TEST_F(ItemLinks, RowUnderThePointerCountsTheLastSixteenthAsTheNextRow)
{
    // Rows 16 pixels high: the last pixel of a row already belongs to the next one.
    EXPECT_EQ(KeywordRowAt(0, 16, 0), 0);
    EXPECT_EQ(KeywordRowAt(14, 16, 0), 0);
    EXPECT_EQ(KeywordRowAt(15, 16, 0), 1);
    EXPECT_EQ(KeywordRowAt(30, 16, 0), 1);
    EXPECT_EQ(KeywordRowAt(31, 16, 0), 2);
    // 15-pixel rows: 15/16 of a pixel rounds to one.
    EXPECT_EQ(KeywordRowAt(13, 15, 0), 0);
    EXPECT_EQ(KeywordRowAt(14, 15, 0), 1);
    // Scrolled lists start at their first visible row.
    EXPECT_EQ(KeywordRowAt(20, 16, 4), 5);
    EXPECT_EQ(KeywordRowAt(5, 0, 3), 3) << "a zero row height must not divide by zero";
}

TEST_F(ItemLinks, MovingAKeywordShiftsThoseInBetween)
{
    ItemCardData card = cardWithKeywords(5);
    card.beingReordered = true;
    EXPECT_TRUE(MoveKeyword(card, 0, 3));
    EXPECT_EQ(words(card), QStringList({"w1", "w2", "w3", "w0", "w4"}));
    EXPECT_EQ(card.keywords[3].wordNo, 100) << "the link moves with its word number";
    EXPECT_TRUE(card.changed);
    EXPECT_FALSE(card.beingReordered);

    EXPECT_TRUE(MoveKeyword(card, 4, 0));
    EXPECT_EQ(words(card), QStringList({"w4", "w1", "w2", "w3", "w0"}));
    // A drop below the last row goes to the end.
    EXPECT_TRUE(MoveKeyword(card, 0, 40));
    EXPECT_EQ(words(card), QStringList({"w1", "w2", "w3", "w0", "w4"}));

    card.changed = false;
    card.beingReordered = true;
    EXPECT_FALSE(MoveKeyword(card, 2, 2));
    EXPECT_FALSE(MoveKeyword(card, 5, 0));
    EXPECT_FALSE(MoveKeyword(card, -1, 0));
    EXPECT_FALSE(card.changed);
    EXPECT_FALSE(card.beingReordered);
}

TEST_F(ItemLinks, KeywordsLoadInOrderAndDropVanishedWords)
{
    addWord(1, QStringLiteral("car"));
    addWord(2, QStringLiteral("tree"));
    addWord(3, QStringLiteral("blue"));
    // Order given out of insertion order; word 9 does not exist.
    exec(QStringLiteral(
             "INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES "
             "(?1, 3, -3, 1), (?1, 1, -1, 2), (?1, 2, -9, 9), (?1, 4, -4, 3), (-1, 1, -5, 1)"),
         {double(kItem)});
    ItemCardData card;
    ASSERT_TRUE(AddKeys(card, kItem));
    EXPECT_EQ(words(card), QStringList({"tree", "car", "blue"}));
    EXPECT_EQ(double(card.keywords[0].conceptId), -1.0);
    EXPECT_EQ(card.keywords[2].wordNo, 3);

    // A second WORD row with the same number does not make a link appear twice.
    addWord(2, QStringLiteral("tree2"));
    ASSERT_TRUE(AddKeys(card, kItem));
    EXPECT_EQ(card.keyCount(), 3);
}

TEST_F(ItemLinks, MoreThanTwentyFourStoredLinksFillTheTwentyFourPositions)
{
    addWord(1, QStringLiteral("w"));
    for (int i = 1; i <= 30; ++i) {
        exec(
            QStringLiteral("INSERT INTO ITEMKEYS (IT, \"Order\", ITC, WNo) VALUES (?1, ?2, ?3, 1)"),
            {double(kItem), i, -40000.0 - i});
        QString name = QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0'));
        addProject(name, -40000.0L - i);
        exec(QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) VALUES (?1, ?2, ?3)"),
             {double(kItem), i, name});
    }
    ItemCardData card;
    ASSERT_TRUE(AddKeys(card, kItem));
    ASSERT_TRUE(AddURLs(card, kItem));
    EXPECT_EQ(card.keyCount(), 24);
    EXPECT_EQ(double(card.keywords[23].conceptId), -40024.0);
    EXPECT_EQ(card.projCount(), 24);
    EXPECT_EQ(card.projects.front(), QStringLiteral("P30")) << "newest project first";
}

TEST_F(ItemLinks, ProjectsLoadNewestFirstAndVanishedProjectsAreDropped)
{
    addProject(QStringLiteral("OLD"), -46000.0L);
    addProject(QStringLiteral("NEW"), -46200.0L);
    addProject(QStringLiteral("MIDDLE"), -46100.0L);
    exec(QStringLiteral("INSERT INTO ITEMURL (IT, \"Order\", Project) VALUES "
                        "(?1, 1, 'OLD'), (?1, 2, 'GONE'), (?1, 3, 'MIDDLE'), (?1, 4, 'NEW')"),
         {double(kItem)});
    ItemCardData card;
    ASSERT_TRUE(AddURLs(card, kItem));
    EXPECT_EQ(card.projects, QStringList({"NEW", "MIDDLE", "OLD"}));
}

TEST_F(ItemLinks, LoadingDoesNothingUnderTheStopFlagAndKeepsLinksWhenTheQueryFails)
{
    addWord(1, QStringLiteral("car"));
    addKeyword(kItem, 1, -1, 1);
    ItemCardData card = cardWithKeywords(2);
    session().flags.requestStop();
    EXPECT_FALSE(AddKeys(card, kItem));
    EXPECT_EQ(card.keyCount(), 2);
    session().flags.clearStop();

    card.projects = {QStringLiteral("KEEP")};
    ASSERT_TRUE(session().store.detachTable(*schema::find(QStringLiteral("PROJECT"))));
    QString error;
    EXPECT_FALSE(AddURLs(card, kItem, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(card.projects, QStringList({"KEEP"}));
}

TEST_F(ItemLinks, ItemExistsAnswersYesWhenInDoubt)
{
    addItem(kItem, QStringLiteral("text"), {});
    EXPECT_TRUE(ItemExists(kItem));
    EXPECT_FALSE(ItemExists(kItem - 0.001L));
    session().store.close();
    EXPECT_TRUE(ItemExists(kItem - 0.001L)) << "a failing query must not say the item is gone";
}

TEST_F(ItemLinks, DeleteQuestionQuotesTheFirstLine)
{
    ItemCardData card;
    card.text = QStringLiteral("Shopping \"list\"\nmilk\nbread");
    EXPECT_EQ(DeleteItemQuestion(card),
              QStringLiteral("Ok to delete this item definitely? (\"Shopping \"list\"\") "));
    card.text.clear();
    EXPECT_EQ(DeleteItemQuestion(card),
              QStringLiteral("Ok to delete this item definitely? (\"No text\") "));

    card.text = QStringLiteral("keep me");
    messenger.answer(MessageButton::No);
    EXPECT_FALSE(ConfirmItemDelete(card));
    EXPECT_FALSE(card.deleted || card.hidden || card.changed);
    messenger.answer(MessageButton::Yes);
    EXPECT_TRUE(ConfirmItemDelete(card));
    EXPECT_TRUE(card.deleted && card.hidden && card.changed);
    EXPECT_TRUE(session().desktopDirty);
    EXPECT_EQ(messenger.shown[0].request.helpTopic, 40020);
}
