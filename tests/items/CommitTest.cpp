#include "items/Commit.h"

#include "items/EmptyCardsCheck.h"
#include "items/ItemLinks.h"
#include "items/ItemRecord.h"
#include "store/Schema.h"

#include "ItemsFixture.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <QFile>

using namespace qb;

namespace {

constexpr Timestamp kItemA = -46300.1L;
constexpr Timestamp kItemB = -46300.2L;
constexpr Timestamp kItemC = -46300.3L;
constexpr Timestamp kConcept = -46000.1L;
constexpr Timestamp kOtherConcept = -46000.2L;

class Commit : public test::ItemsFixture {
protected:
    void SetUp() override
    {
        ItemsFixture::SetUp();
        for (int w = 1; w <= 6; ++w) addWord(w, QStringLiteral("word%1").arg(w));
        addConcept(kConcept, {1, 2});
        addConcept(kOtherConcept, {3});
    }

    double its(Timestamp id)
    {
        auto r = rows(QStringLiteral("SELECT ITS FROM ITEM WHERE IT = ?1"), {double(id)});
        return r.empty() ? 0.0 : r[0][0].toDouble();
    }
    QString tx(Timestamp id)
    {
        auto r = rows(QStringLiteral("SELECT TX FROM ITEM WHERE IT = ?1"), {double(id)});
        return r.empty() ? QStringLiteral("<none>") : r[0][0].toString();
    }
    int count(const QString& table, Timestamp id)
    {
        return int(rows(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE IT = ?1").arg(table),
                        {double(id)})[0][0]
                       .toInt());
    }
    // (Order, WNo) pairs of an item's keyword rows.
    std::vector<std::pair<int, int>> keyRows(Timestamp id)
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& r :
             rows(QStringLiteral(
                      "SELECT \"Order\", WNo FROM ITEMKEYS WHERE IT = ?1 ORDER BY \"Order\""),
                  {double(id)}))
            out.emplace_back(r[0].toInt(), r[1].toInt());
        return out;
    }
    int dictRows(Timestamp c)
    {
        return rows(QStringLiteral("SELECT COUNT(*) FROM DICT WHERE C = ?1"), {double(c)})[0][0]
            .toInt();
    }
    QStringList projectRows(Timestamp id)
    {
        QStringList out;
        for (const auto& r :
             rows(QStringLiteral("SELECT Project FROM ITEMURL WHERE IT = ?1 ORDER BY \"Order\""),
                  {double(id)}))
            out << r[0].toString();
        return out;
    }
    ItemCardData& keyedCard(Timestamp id, const QString& text)
    {
        ItemCardData& card = newItemCard(id, text);
        card.keywords.push_back({kConcept, 1, QStringLiteral("word1")});
        return card;
    }
};

using Pairs = std::vector<std::pair<int, int>>;

}  // namespace

TEST_F(Commit, NewCardsWhoseIdsAnotherProgramStoredMeanwhileTakeFreeIds)
{
    // Another program stored an item under kItemA and a newConcept under the id of our new
    // newConcept.
    addItem(kItemA, QStringLiteral("theirs"), {{kOtherConcept, 3}});
    ConceptCardData& newConcept = newConceptCard(kConcept - 0.5L, {{4, QStringLiteral("word4")}});
    addConcept(newConcept.conceptId, {5});
    newConcept.unsaved = true;
    ItemCardData& item = newItemCard(kItemA, QStringLiteral("mine"));
    item.unsaved = true;
    item.keywords.push_back({newConcept.conceptId, 4, QStringLiteral("word4")});
    const Timestamp theirConcept = newConcept.conceptId;

    ASSERT_TRUE(CommitCards(order()).committed);

    EXPECT_EQ(tx(kItemA), QStringLiteral("theirs"));
    EXPECT_EQ(keyRows(kItemA), (std::vector<std::pair<int, int>>{{1, 3}}));
    EXPECT_EQ(rows(QStringLiteral("SELECT WNo FROM DICT WHERE C = ?1"), {double(theirConcept)}),
              (std::vector<QVariantList>{{5}}));
    ASSERT_NE(double(item.itemId), double(kItemA));
    ASSERT_NE(double(newConcept.conceptId), double(theirConcept));
    EXPECT_FALSE(item.unsaved || newConcept.unsaved);
    EXPECT_EQ(tx(item.itemId), QStringLiteral("mine"));
    EXPECT_EQ(
        rows(QStringLiteral("SELECT ITC, WNo FROM ITEMKEYS WHERE IT = ?1"), {double(item.itemId)}),
        (std::vector<QVariantList>{{double(newConcept.conceptId), 4}}));
    EXPECT_EQ(
        rows(QStringLiteral("SELECT WNo FROM DICT WHERE C = ?1"), {double(newConcept.conceptId)}),
        (std::vector<QVariantList>{{4}}));
}

TEST_F(Commit, NewItemHoldingOnlyTheDateStampIsNeverWritten)
{
    session().dateStamp = QStringLiteral("[08-12-26]");
    ItemCardData& stamped = newItemCard(kItemA, QStringLiteral("[08-12-26]\n"));
    ItemCardData& blank = newItemCard(kItemB, QString());
    CommitResult result = CommitCards(order());
    EXPECT_TRUE(result.committed);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 0);
    EXPECT_FALSE(stamped.changed);
    EXPECT_FALSE(blank.changed);
    EXPECT_EQ(messenger.count(), 0);

    // Text after the stamp makes it an item worth keeping.
    stamped.text += QStringLiteral("Call Anna");
    stamped.changed = true;
    CommitCards(order());
    EXPECT_EQ(tx(kItemA), QStringLiteral("[08-12-26]\nCall Anna"));
}

TEST_F(Commit, ItemWithTextButNoKeywordIsWrittenAndTheCheckThenReportsIt)
{
    messenger.expect(QStringLiteral("qb1199"));
    ItemCardData& card = newItemCard(kItemA, QStringLiteral("a thought"));
    ConceptCardData& conceptCard = newConceptCard(kConcept, {{1, QStringLiteral("word1")}});
    conceptCard.changed = false;
    CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    EXPECT_EQ(result.itemsWritten, 1);
    EXPECT_EQ(tx(kItemA), QStringLiteral("a thought"));
    EXPECT_EQ(count(QStringLiteral("ITEMKEYS"), kItemA), 0);
    EXPECT_LT(its(kItemA), double(kItemA)) << "the new record's ITS is renewed by the same commit";

    card.hidden = true;
    EmptyCardsFinding finding = CheckEmptyItems(order());
    EXPECT_FALSE(finding.itemsHaveKeywords);
    EXPECT_EQ(finding.itemWithoutKeyword, &card);
    EXPECT_EQ(finding.conceptWithoutWord, nullptr);
    EXPECT_FALSE(card.hidden);
    EXPECT_TRUE(card.marked);
    EXPECT_TRUE(session().inconsistency);
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(
        messenger.shown[0].request.message,
        QStringLiteral("Item with no keyword(concept) attached found - Please add a keyword"));
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb1199"));
}

TEST_F(Commit, EmptyCardsCheckFindsAnEmptyConceptButOnlyItemsDecide)
{
    messenger.expect(QStringLiteral("qb1050"));
    ItemCardData& deletedItem = newItemCard(kItemA, QStringLiteral("x"));
    deletedItem.deleted = true;
    keyedCard(kItemB, QStringLiteral("fine"));
    ConceptCardData& goneConcept = newConceptCard(kOtherConcept, {});
    goneConcept.deleted = true;
    ConceptCardData& emptyConcept = newConceptCard(kConcept, {});
    emptyConcept.hidden = true;
    ConceptCardData& secondEmpty = newConceptCard(-46000.3L, {});

    EmptyCardsFinding finding = CheckEmptyItems(order());
    EXPECT_TRUE(finding.itemsHaveKeywords) << "deleted item cards do not count";
    EXPECT_EQ(finding.conceptWithoutWord, &emptyConcept);
    EXPECT_FALSE(emptyConcept.hidden);
    EXPECT_TRUE(emptyConcept.marked);
    EXPECT_FALSE(secondEmpty.marked) << "the first pass stops at the first finding";
    EXPECT_FALSE(goneConcept.marked);
    EXPECT_TRUE(session().inconsistency);
    ASSERT_EQ(messenger.count(), 1);
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("qb1050"));
    EXPECT_EQ(messenger.shown[0].request.message,
              QStringLiteral("Concept card with no word attached found"));

    session().inconsistency = false;
    cards.erase(cards.begin() + 2, cards.end());
    EXPECT_TRUE(CheckEmptyItems(order()).itemsHaveKeywords);
    EXPECT_FALSE(session().inconsistency);
}

TEST_F(Commit, RemovingKeywordTwoOfFiveRenumbersTheRest)
{
    addItem(kItemA, QStringLiteral("five keys"), {{-1, 1}, {-2, 2}, {-3, 3}, {-4, 4}, {-5, 5}});
    auto card = std::make_unique<ItemCardData>();
    ASSERT_TRUE(LoadItemCard(*card, kItemA));
    ASSERT_EQ(card->keyCount(), 5);
    ASSERT_TRUE(RemoveKeyword(*card, 1));
    cards.push_back(std::move(card));
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(keyRows(kItemA), Pairs({{1, 1}, {2, 3}, {3, 4}, {4, 5}}));
    EXPECT_EQ(
        double(rows(QStringLiteral("SELECT ITC FROM ITEMKEYS WHERE IT = ?1 AND \"Order\" = 2"),
                    {double(kItemA)})[0][0]
                   .toDouble()),
        -3.0);
}

TEST_F(Commit, ReloadedProjectsComeNewestFirstAndTheNextCommitRenumbersThem)
{
    addProject(QStringLiteral("OLDER"), -46000.5L);
    addProject(QStringLiteral("NEWER"), -46100.5L);
    addItem(kItemA, QStringLiteral("text"), {{kConcept, 1}},
            {QStringLiteral("OLDER"), QStringLiteral("NEWER")});
    auto loaded = std::make_unique<ItemCardData>();
    ASSERT_TRUE(LoadItemCard(*loaded, kItemA));
    EXPECT_EQ(loaded->projects, QStringList({"NEWER", "OLDER"}));
    EXPECT_FALSE(loaded->changed);
    loaded->text += QStringLiteral(" more");
    loaded->changed = true;
    cards.push_back(std::move(loaded));
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(projectRows(kItemA), QStringList({"NEWER", "OLDER"}));
}

TEST_F(Commit, ErasedTextKeepsTheStoredTextButTheLinksAndTimestampMove)
{
    addItem(kItemA, QStringLiteral("old text"), {{kConcept, 1}});
    ItemCardData& card = newItemCard(kItemA, QString());
    card.keywords = {{kOtherConcept, 3, QStringLiteral("word3")}};
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(tx(kItemA), QStringLiteral("old text"));
    EXPECT_EQ(keyRows(kItemA), Pairs({{1, 3}}));
    EXPECT_LT(its(kItemA), double(kItemA));
}

TEST_F(Commit, AStoredPictureThatCouldNotBeReadIsKeptThroughATextEdit)
{
    addItem(kItemA, QStringLiteral("old text"), {{kConcept, 1}});
    const QByteArray undecodable("a picture this program cannot decode");
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1 WHERE IT = ?2"),
         {undecodable, double(kItemA)});
    ItemCardData& card = keyedCard(kItemA, QString());
    ASSERT_TRUE(LoadItemRecord(card, kItemA));
    EXPECT_FALSE(card.hasPicture);
    card.text = QStringLiteral("edited text");
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(tx(kItemA), QStringLiteral("edited text"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Animation FROM ITEM"))[0][0].toByteArray(), undecodable);
}

TEST_F(Commit, EachChangedItemGetsAFreshTimestampUnlessOneIsPending)
{
    ItemCardData& pending = keyedCard(kItemA, QStringLiteral("ordered by project"));
    pending.pendingTS = -47000.25L;
    ItemCardData& b = keyedCard(kItemB, QStringLiteral("b"));
    ItemCardData& c = keyedCard(kItemC, QStringLiteral("c"));
    ConceptCardData& conceptCard =
        newConceptCard(kOtherConcept, {{3, QStringLiteral("word3")}, {4, QStringLiteral("word4")}});
    ItemCardData& untouched = keyedCard(-46300.4L, QStringLiteral("not changed"));
    untouched.changed = false;

    CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    EXPECT_EQ(result.itemsWritten, 3);
    EXPECT_EQ(result.conceptsWritten, 1);
    EXPECT_EQ(its(kItemA), -47000.25);
    EXPECT_EQ(double(pending.pendingTS), 0.0);
    EXPECT_LT(its(kItemC), its(kItemB)) << "later cards of the pass get newer timestamps";
    EXPECT_LT(its(kItemB), double(kItemB));
    EXPECT_EQ(count(QStringLiteral("ITEM"), -46300.4L), 0);
    EXPECT_FALSE(b.changed || c.changed || conceptCard.changed);

    auto cts =
        rows(QStringLiteral("SELECT DISTINCT CTS FROM DICT WHERE C = ?1"), {double(kOtherConcept)});
    ASSERT_EQ(cts.size(), 1u) << "one timestamp for all rows of a concept card";
    EXPECT_LT(cts[0][0].toDouble(), its(kItemC));
    EXPECT_EQ(dictRows(kOtherConcept), 2);
}

TEST_F(Commit, DeletedConceptStillUsedComesBackMarkedWithItsWordsWrittenAgain)
{
    // The first link points to a vanished item; a later one to a living item.
    addKeyword(-1, 1, kConcept, 1);
    addItem(kItemA, QStringLiteral("uses the concept"), {{kConcept, 2}});
    ConceptCardData& card =
        newConceptCard(kConcept, {{1, QStringLiteral("word1")}, {2, QStringLiteral("word2")}});
    card.deleted = true;
    card.hidden = true;
    CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    ASSERT_EQ(result.revived.size(), 1u);
    EXPECT_EQ(result.revived[0], &card);
    EXPECT_FALSE(card.deleted);
    EXPECT_FALSE(card.hidden);
    EXPECT_TRUE(card.marked);
    EXPECT_FALSE(card.changed);
    EXPECT_EQ(result.conceptsRemoved, 0);
    EXPECT_EQ(dictRows(kConcept), 2);
    EXPECT_TRUE(messenger.saw(
        QStringLiteral("Concepts that are still in use by items was reinserted qb2145")));
    EXPECT_FALSE(messenger.saw(QStringLiteral("3164")));
}

TEST_F(Commit, DeletedConceptWithOnlyDanglingLinksIsDeletedWithAWarning)
{
    messenger.expect(QStringLiteral("Inconsistent linkages found while deleting"));
    addKeyword(-1, 1, kConcept, 1);
    ConceptCardData& card = newConceptCard(kConcept, {{1, QStringLiteral("word1")}});
    card.deleted = true;
    ConceptCardData& unused = newConceptCard(kOtherConcept, {{3, QStringLiteral("word3")}});
    unused.deleted = true;
    CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    EXPECT_TRUE(result.revived.empty());
    EXPECT_EQ(result.conceptsRemoved, 2);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DICT")).toInt(), 0);
    EXPECT_TRUE(card.deleted);
    EXPECT_FALSE(card.changed);
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0],
              QStringLiteral("Inconsistent linkages found while deleting. 3164"));
}

TEST_F(Commit, ConceptWordsAreStoredOnceAndNeverBeyondTwentyFour)
{
    messenger.expect(QStringLiteral("Dict test dupl"));
    std::vector<ConceptWord> words = {{1, "word1"}, {2, "word2"}, {1, "word1"}, {0, "none"}};
    for (int w = 100; w < 130; ++w) words.push_back({w, QStringLiteral("w%1").arg(w)});
    newConceptCard(kConcept, words);
    ASSERT_TRUE(CommitCards(order()).committed);
    // Positions 1..24: words 1, 2, (1 again), (0), 100..119.
    EXPECT_EQ(dictRows(kConcept), 22);
    EXPECT_EQ(
        rows(QStringLiteral("SELECT MAX(WNo) FROM DICT WHERE C = ?1"), {double(kConcept)})[0][0]
            .toInt(),
        119);
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0], QStringLiteral("Dict test dupl: -46000.1 W:1"));
}

TEST_F(Commit, ConceptCardWithoutWordsLeavesNoConcept)
{
    newConceptCard(kOtherConcept, {});
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(dictRows(kOtherConcept), 0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM DICT")).toInt(), 2)
        << "the other concept stays";
}

TEST_F(Commit, DeletedOrEmptiedItemsLoseTheirRecordAndLinks)
{
    addProject(QStringLiteral("P"), -46000.0L);
    addItem(kItemA, QStringLiteral("to delete"), {{kConcept, 1}}, {QStringLiteral("P")});
    addItem(kItemB, QStringLiteral("emptied"), {}, {QStringLiteral("P")});
    ItemCardData& deleted = keyedCard(kItemA, QStringLiteral("to delete"));
    deleted.deleted = true;
    deleted.hidden = true;
    newItemCard(kItemB, QString());
    CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    EXPECT_EQ(result.itemsRemoved, 2);
    for (Timestamp id : {kItemA, kItemB})
        for (const char* table : {"ITEM", "ITEMKEYS", "ITEMURL"})
            EXPECT_EQ(count(QString::fromLatin1(table), id), 0) << table;
    EXPECT_TRUE(deleted.deleted) << "the collection frees the card";
}

TEST_F(Commit, DeleteThenUndoBeforeTheCommitKeepsTheItem)
{
    addProject(QStringLiteral("P"), -46000.0L);
    addItem(kItemA, QStringLiteral("precious"), {{kConcept, 1}, {kOtherConcept, 3}},
            {QStringLiteral("P")});
    auto card = std::make_unique<ItemCardData>();
    ASSERT_TRUE(LoadItemCard(*card, kItemA));
    messenger.answer(MessageButton::Yes);
    ASSERT_TRUE(ConfirmItemDelete(*card));
    // Undo Recent Deletes: the flags go, Changed stays.
    card->deleted = false;
    card->hidden = false;
    cards.push_back(std::move(card));
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(tx(kItemA), QStringLiteral("precious"));
    EXPECT_EQ(keyRows(kItemA), Pairs({{1, 1}, {2, 3}}));
    EXPECT_EQ(projectRows(kItemA), QStringList({"P"}));
}

TEST_F(Commit, UnchangedUnfreeableAndReorderingCardsAreLeftAlone)
{
    ItemCardData& unfreeable = keyedCard(kItemA, QStringLiteral("a"));
    unfreeable.unfreeable = true;
    ItemCardData& reordering = keyedCard(kItemB, QStringLiteral("b"));
    reordering.beingReordered = true;
    ItemCardData& plain = keyedCard(kItemC, QStringLiteral("c"));
    plain.changed = false;
    CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM ITEM")).toInt(), 0);
    EXPECT_TRUE(unfreeable.changed);
    EXPECT_TRUE(reordering.changed) << "the next commit writes it";
}

TEST_F(Commit, AFailingCardIsRolledBackAloneAndStaysChanged)
{
    messenger.expect(QStringLiteral("Some problem with update items"));
    addItem(kItemB, QStringLiteral("stored text of B"), {{kConcept, 1}, {kConcept, 2}});
    // This store refuses one word number as a keyword.
    exec(QStringLiteral(
        "CREATE TRIGGER itemkeys.refuse BEFORE INSERT ON ITEMKEYS WHEN NEW.WNo = 666 "
        "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    ItemCardData& a = keyedCard(kItemA, QStringLiteral("a"));
    ItemCardData& b = keyedCard(kItemB, QStringLiteral("new text of B"));
    b.keywords.push_back({kOtherConcept, 666, QStringLiteral("bad")});
    b.pendingTS = -47000.5L;
    ItemCardData& c = keyedCard(kItemC, QStringLiteral("c"));

    CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_EQ(result.failed[0], &b);
    EXPECT_EQ(result.itemsWritten, 2);
    EXPECT_FALSE(a.changed);
    EXPECT_FALSE(c.changed);
    EXPECT_TRUE(b.changed);
    EXPECT_EQ(double(b.pendingTS), -47000.5);
    EXPECT_EQ(tx(kItemA), QStringLiteral("a"));
    EXPECT_EQ(tx(kItemC), QStringLiteral("c"));
    // B is exactly as before: text, both old links, its timestamp.
    EXPECT_EQ(tx(kItemB), QStringLiteral("stored text of B"));
    EXPECT_EQ(keyRows(kItemB), Pairs({{1, 1}, {2, 2}}));
    EXPECT_EQ(its(kItemB), double(kItemB));
    ASSERT_EQ(messenger.plain.size(), 1u);
    EXPECT_EQ(messenger.plain[0], QStringLiteral("Some problem with update items"));

    // Once the cause is gone the next commit writes it.
    exec(QStringLiteral("DROP TRIGGER itemkeys.refuse"));
    result = CommitCards(order());
    EXPECT_TRUE(result.failed.empty());
    EXPECT_FALSE(b.changed);
    EXPECT_EQ(tx(kItemB), QStringLiteral("new text of B"));
}

TEST_F(Commit, AnItemTextWithANulIsRefusedAloneAndTabsAndLineBreaksAreKept)
{
    messenger.expect(QStringLiteral("must not contain a NUL character"));
    ItemCardData& nul =
        keyedCard(kItemA, QStringLiteral("shown") + QChar(0) + QStringLiteral("cut"));
    ItemCardData& tabs = keyedCard(kItemB, QStringLiteral("a\tb\nc"));

    const CommitResult result = CommitCards(order());
    ASSERT_TRUE(result.committed);
    ASSERT_EQ(result.failed.size(), 1u);
    EXPECT_EQ(result.failed[0], &nul);
    EXPECT_TRUE(nul.changed);
    EXPECT_EQ(tx(kItemA), QStringLiteral("<none>"));
    EXPECT_FALSE(tabs.changed);
    EXPECT_EQ(tx(kItemB), QStringLiteral("a\tb\nc"));
}

TEST_F(Commit, ATransactionThatCannotReachTheDiskChangesNoCard)
{
    addItem(kItemA, QStringLiteral("stored"), {{kConcept, 1}});
    // A deferred constraint makes COMMIT itself fail once card C has been written.
    exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    exec(QStringLiteral(
        "CREATE TABLE guard (x REFERENCES ITEM (IT) DEFERRABLE INITIALLY DEFERRED)"));
    exec(QStringLiteral("CREATE TRIGGER guard_c AFTER INSERT ON ITEM WHEN NEW.IT = %1 "
                        "BEGIN INSERT INTO guard VALUES (12345); END")
             .arg(double(kItemC), 0, 'g', 17));
    ItemCardData& a = keyedCard(kItemA, QStringLiteral("changed"));
    a.pendingTS = -47000.5L;
    ConceptCardData& conceptCard = newConceptCard(kConcept, {{1, "word1"}});
    conceptCard.deleted = true;  // still used by A: would be revived
    conceptCard.hidden = true;
    ItemCardData& c = keyedCard(kItemC, QStringLiteral("new"));

    CommitResult result = CommitCards(order());
    EXPECT_TRUE(result.ran);
    EXPECT_FALSE(result.committed);
    EXPECT_TRUE(result.revived.empty());
    EXPECT_EQ(result.failed.size(), 3u);
    EXPECT_TRUE(a.changed && c.changed && conceptCard.changed);
    EXPECT_EQ(double(a.pendingTS), -47000.5);
    EXPECT_TRUE(conceptCard.deleted && conceptCard.hidden);
    EXPECT_EQ(tx(kItemA), QStringLiteral("stored"));
    EXPECT_EQ(count(QStringLiteral("ITEM"), kItemC), 0);
    EXPECT_TRUE(messenger.saw(QStringLiteral("M2000-3 general Update error")));
    EXPECT_FALSE(messenger.saw(QStringLiteral("qb2145"))) << "the revival was rolled back too";
    EXPECT_FALSE(session().commitRunning.raised());
    exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
}

TEST_F(Commit, MissingLinkTablesAreOpenedOrTheCommitStopsBeforeWriting)
{
    const schema::Table* keys = schema::find(QStringLiteral("ITEMKEYS"));
    ASSERT_TRUE(session().store.detachTable(*keys));
    ItemCardData& card = keyedCard(kItemA, QStringLiteral("a"));
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(keyRows(kItemA), Pairs({{1, 1}}));

    ASSERT_TRUE(session().store.detachTable(*keys));
    ASSERT_TRUE(QFile::remove(session().store.pathOf(keys->fileName)));
    card.text = QStringLiteral("b");
    card.changed = true;
    CommitResult result = CommitCards(order());
    EXPECT_FALSE(result.ran);
    EXPECT_TRUE(card.changed);
    EXPECT_EQ(tx(kItemA), QStringLiteral("a"));
    EXPECT_TRUE(messenger.saw(QStringLiteral("A non-trivial system error occurred here")));
    EXPECT_FALSE(session().commitRunning.raised());
}

namespace {

struct Probe {
    int calls = 0;
    bool sawCommitRunning = false;
    bool nestedRan = true;
    std::vector<CardData*> cards;
};

void probeFunction(sqlite3_context* context, int, sqlite3_value**)
{
    auto* probe = static_cast<Probe*>(sqlite3_user_data(context));
    ++probe->calls;
    probe->sawCommitRunning = session().commitRunning.raised();
    probe->nestedRan = CommitCards(probe->cards).ran;
    sqlite3_result_null(context);
}

// Notes whether the tables were locked while a message was up.
class LockWatchingMessenger : public test::ScriptedMessenger {
public:
    MessageReply showInfo(const MessageRequest& request) override
    {
        if (sqlite3_get_autocommit(session().store.db().handle()) == 0) ++shownInsideTransaction;
        return ScriptedMessenger::showInfo(request);
    }
    int shownInsideTransaction = 0;
};

}  // namespace

TEST_F(Commit, RunsAsOneGuardedPassAndTalksOnlyAfterwards)
{
    addItem(kItemB, QStringLiteral("uses concept"), {{kConcept, 1}});
    Probe probe;
    ASSERT_EQ(sqlite3_create_function(db().handle(), "probe", 0, SQLITE_UTF8, &probe, probeFunction,
                                      nullptr, nullptr),
              SQLITE_OK);
    exec(
        QStringLiteral("CREATE TRIGGER probe_item AFTER INSERT ON ITEM BEGIN SELECT probe(); END"));
    LockWatchingMessenger watcher;
    session().setMessenger(&watcher);

    keyedCard(kItemA, QStringLiteral("a"));
    ConceptCardData& conceptCard = newConceptCard(kConcept, {{1, "word1"}});
    conceptCard.deleted = true;
    probe.cards = order();
    session().flags.requestEscape();
    session().flags.holdAbort();

    CommitResult result = CommitCards(order());
    session().setMessenger(&messenger);
    EXPECT_TRUE(result.committed);
    EXPECT_EQ(probe.calls, 1);
    EXPECT_TRUE(probe.sawCommitRunning);
    EXPECT_FALSE(probe.nestedRan) << "a commit started inside a commit does nothing";
    EXPECT_FALSE(session().commitRunning.raised());
    EXPECT_FALSE(session().flags.escapeRequested());
    EXPECT_FALSE(session().flags.abortHeld());
    ASSERT_EQ(watcher.count(), 1);  // qb2145
    EXPECT_EQ(watcher.shownInsideTransaction, 0);
}
