#include "PopulateFixture.h"

#include "desktop/PopulateQueries.h"
#include "items/ItemLinks.h"
#include "items/ItemRecord.h"
#include "session/Session.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

constexpr Timestamp kFruit = -45000.25;
constexpr Timestamp kTree = -45001.5;
constexpr Timestamp kRiver = -45002.75;

class PopulateQueriesTest : public test::PopulateStoreFixture {
protected:
    void SetUp() override
    {
        PopulateStoreFixture::SetUp();
        addWord(1, QStringLiteral("apple"), -45010.0);
        addWord(2, QStringLiteral("pear"), -45020.0);  // touched after apple
        addWord(3, QStringLiteral("oak"), -45030.0);
        addWord(4, QStringLiteral("river"), -45005.0);
        addConcept(kFruit, {1, 2}, -45100.0);
        addConcept(kTree, {1, 3}, -45200.0);  // touched more recently than the fruit
        addConcept(kRiver, {4}, -45050.0);
        addProject(QStringLiteral("GARDEN"), -45300.0);
        addProject(QStringLiteral("TRAVEL"), -45400.0);
    }

    static std::vector<Timestamp> ids(const ItemRows& rows)
    {
        std::vector<Timestamp> out;
        for (const ItemRow& r : rows.rows) out.push_back(r.it);
        return out;
    }
};

TEST_F(PopulateQueriesTest, ConceptQueriesKeepTheirOrders)
{
    // Most recently touched concept first (CTS ascending, timestamps are negative).
    EXPECT_EQ(ConceptsOfWordRows(1), (std::vector<Timestamp>{kTree, kFruit}));
    EXPECT_EQ(ConceptsOfWordRows(4), std::vector<Timestamp>{kRiver});
    EXPECT_TRUE(ConceptsOfWordRows(99).empty());

    EXPECT_EQ(OneConceptRows(kTree), std::vector<Timestamp>{kTree});
    EXPECT_TRUE(OneConceptRows(-1.0).empty());

    // Words of a concept: the most recently touched word first.
    const std::vector<ConceptWord> words = WordsOfConceptRows(kFruit);
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].word, QStringLiteral("pear"));
    EXPECT_EQ(words[1].wordNo, 1);

    // The concepts of an item follow its keyword order; a concept gone from DICT is left out.
    addItem(-46000.5, QStringLiteral("x"), {{kRiver, 4}, {-9.0, 1}, {kFruit, 2}, {kTree, 3}});
    EXPECT_EQ(ConceptsOfItemRows(-46000.5), (std::vector<Timestamp>{kRiver, kFruit, kTree}));
}

TEST_F(PopulateQueriesTest, ItemsOfAConceptComeByTouchOrByCreation)
{
    addItem(-46000.1, QStringLiteral("old, touched last"), {{kFruit, 1}}, {}, -46360.9);
    addItem(-46100.2, QStringLiteral("middle"), {{kFruit, 2}}, {}, -46200.0);
    addItem(-46200.3, QStringLiteral("new, untouched"), {{kFruit, 1}}, {}, -46200.3);
    addItem(-46300.4, QStringLiteral("other concept"), {{kRiver, 4}});

    const ItemRows touched = ItemsOfConceptRows(kFruit, ItemOrder::Touched);
    ASSERT_TRUE(touched.ok());
    EXPECT_EQ(ids(touched), (std::vector<Timestamp>{-46000.1, -46200.3, -46100.2}));
    EXPECT_EQ(touched.rows[0].text, QStringLiteral("old, touched last"));
    EXPECT_FALSE(touched.rows[0].hasAnimation);
    // Oldest first: IT descending.
    EXPECT_EQ(ids(ItemsOfConceptRows(kFruit, ItemOrder::Created)),
              (std::vector<Timestamp>{-46000.1, -46100.2, -46200.3}));
    EXPECT_EQ(ids(OneItemRows(-46100.2)), std::vector<Timestamp>{-46100.2});
    EXPECT_TRUE(OneItemRows(-1.5).rows.empty());
}

TEST_F(PopulateQueriesTest, AQueryReadsAtMost200Rows)
{
    std::vector<Timestamp> made = addItemsOf(kRiver, 4, 250);
    const ItemRows rows = ItemsOfConceptRows(kRiver, ItemOrder::Touched);
    ASSERT_EQ(rows.rows.size(), 200u);
    // The 200 most recently touched, in that order.
    EXPECT_EQ(ids(rows), std::vector<Timestamp>(made.begin(), made.begin() + 200));
}

TEST_F(PopulateQueriesTest, ItemsOfAProjectAndPictureFlags)
{
    addItem(-46000.1, QStringLiteral("a"), {{kFruit, 1}}, {QStringLiteral("GARDEN")}, -46300.0);
    addItem(-46000.2, QStringLiteral("b"), {{kFruit, 1}},
            {QStringLiteral("TRAVEL"), QStringLiteral("GARDEN")}, -46301.0);
    addItem(-46000.3, QStringLiteral("c"), {{kFruit, 1}}, {QStringLiteral("TRAVEL")});
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(Qt::red);
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1 WHERE IT = ?2"),
         {PictureToStoredBytes(picture), double(-46000.1)});
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1 WHERE IT = ?2"),
         {QByteArray(), double(-46000.2)});

    const ItemRows rows = ItemsOfProjectRows(QStringLiteral("GARDEN"));
    EXPECT_EQ(ids(rows), (std::vector<Timestamp>{-46000.2, -46000.1}));
    // An empty picture counts as none.
    EXPECT_FALSE(rows.rows[0].hasAnimation);
    EXPECT_TRUE(rows.rows[1].hasAnimation);
    bool ok = false;
    EXPECT_EQ(PictureFromStoredBytes(ItemAnimation(-46000.1, &ok)).size(), QSize(4, 3));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(ItemsOfProjectRows(QStringLiteral("garden")).rows.empty());
    EXPECT_TRUE(ItemsOfProjectRows(QStringLiteral("G' OR 1=1 --")).rows.empty());
}

// The links read for many items at once are exactly those each card reads alone.
TEST_F(PopulateQueriesTest, LinksReadTogetherEqualLinksReadOneByOne)
{
    addProject(QStringLiteral("OLD"), -45000.0);
    for (int w = 10; w < 40; ++w) addWord(w, QStringLiteral("w%1").arg(w));
    std::vector<std::pair<Timestamp, int>> many;
    for (int w = 10; w < 40; ++w) many.push_back({-47000.0 - w, w});
    QStringList projects;
    for (int p = 0; p < 26; ++p) {
        addProject(QStringLiteral("P%1").arg(p), -45500.0 - p);
        projects << QStringLiteral("P%1").arg(p);
    }
    addItem(-46000.1, QStringLiteral("many links"), many, projects);
    // A word and a project that are gone, and projects stored out of their PTS order.
    addItem(-46000.2, QStringLiteral("gaps"), {{kFruit, 1}, {kTree, 77}, {kRiver, 4}},
            {QStringLiteral("OLD"), QStringLiteral("GONE"), QStringLiteral("TRAVEL"),
             QStringLiteral("GARDEN")});
    addItem(-46000.3, QStringLiteral("no links"), {});
    // Two WORD rows with one number.
    addWord(2, QStringLiteral("pear again"));
    addItem(-46000.4, QStringLiteral("doubled word"), {{kFruit, 2}, {kRiver, 4}});

    const std::vector<Timestamp> set = {-46000.4, -46000.1, -46000.2, -46000.3, -46000.1, -1.25};
    std::vector<ItemLinks> together;
    QString keyError, projectError;
    ASSERT_TRUE(LoadLinksOf(set, &together, &keyError, &projectError)) << keyError.toStdString();
    ASSERT_EQ(together.size(), set.size());
    for (size_t i = 0; i < set.size(); ++i) {
        ItemCardData alone;
        ASSERT_TRUE(AddKeys(alone, set[i]));
        ASSERT_TRUE(AddURLs(alone, set[i]));
        ASSERT_EQ(together[i].keywords.size(), alone.keywords.size()) << i;
        for (size_t k = 0; k < alone.keywords.size(); ++k) {
            EXPECT_EQ(together[i].keywords[k].conceptId, alone.keywords[k].conceptId);
            EXPECT_EQ(together[i].keywords[k].wordNo, alone.keywords[k].wordNo);
            EXPECT_EQ(together[i].keywords[k].word, alone.keywords[k].word);
        }
        EXPECT_EQ(together[i].projects, alone.projects) << i;
    }
    EXPECT_EQ(together[1].keywords.size(), 24u);
    EXPECT_EQ(together[1].projects.size(), 24);
    EXPECT_EQ(together[2].keywords.size(), 2u);
    EXPECT_EQ(together[2].projects, (QStringList{QStringLiteral("TRAVEL"), QStringLiteral("GARDEN"),
                                                 QStringLiteral("OLD")}));
    EXPECT_EQ(together[0].keywords.size(), 2u);
    EXPECT_TRUE(together[5].keywords.empty());
}

TEST_F(PopulateQueriesTest, AnItemSetMakesCardDataFromItsRows)
{
    addItem(-46000.1, QStringLiteral("one\r\ntwo"), {{kFruit, 1}}, {QStringLiteral("GARDEN")});
    addItem(-46000.2, QStringLiteral("three"), {{kRiver, 4}, {kTree, 3}});
    ItemSet set(ItemsOfConceptRows(kFruit, ItemOrder::Touched));
    ASSERT_EQ(set.size(), 1);
    EXPECT_EQ(set.locate(-46000.1), 0);
    EXPECT_EQ(set.locate(-46000.2), -1);
    std::unique_ptr<ItemCardData> data = set.cardData(0);
    ASSERT_TRUE(data);
    EXPECT_EQ(data->itemId, -46000.1);
    EXPECT_EQ(data->text, QStringLiteral("one\ntwo"));
    ASSERT_EQ(data->keywords.size(), 1u);
    EXPECT_EQ(data->keywords[0].word, QStringLiteral("apple"));
    EXPECT_EQ(data->projects, QStringList{QStringLiteral("GARDEN")});
    EXPECT_FALSE(data->changed);
    EXPECT_FALSE(set.cardData(1));
}

TEST_F(PopulateQueriesTest, PopWalksFindTheFirstMissingOne)
{
    addItem(-46000.1, QStringLiteral("a"), {{kFruit, 1}}, {}, -46300.0);
    addItem(-46000.2, QStringLiteral("b"), {{kFruit, 1}}, {}, -46301.0);
    addItem(-46000.3, QStringLiteral("c"), {{kFruit, 1}}, {}, -46299.0);
    EXPECT_EQ(FirstItemWhere([](Timestamp) { return false; }), std::optional<Timestamp>(-46000.2));
    EXPECT_EQ(FirstItemWhere([](Timestamp it) { return it == -46000.2; }),
              std::optional<Timestamp>(-46000.1));
    EXPECT_FALSE(FirstItemWhere([](Timestamp) { return true; }));
    EXPECT_EQ(FirstConceptWhere([](Timestamp c) { return c == kTree; }),
              std::optional<Timestamp>(kFruit));
}

TEST_F(PopulateQueriesTest, WordUsageIsRenewed)
{
    ASSERT_TRUE(RenewWordUsage(3));
    EXPECT_LT(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE WNo = 3")).toDouble(), -46000.0);
    EXPECT_EQ(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE WNo = 2")).toDouble(), -1.0);
}

}  // namespace
