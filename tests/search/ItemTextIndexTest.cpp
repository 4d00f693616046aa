#include "SearchFixture.h"

#include "floor/RunContext.h"
#include "items/Commit.h"
#include "items/ItemCardData.h"
#include "items/ItemHooks.h"
#include "platform/Sqlite.h"
#include "search/ItemTextIndex.h"

#include <gtest/gtest.h>

#include <QFile>

#include <random>

using namespace qb;
using namespace qb::search;

namespace {

class ItemTextIndexTest : public test::SearchFixture {
protected:
    // Every hit of both walks, hit by hit, and the resume point each left.
    void expectSameHits(SearchRequest r, const std::vector<bool>& stops, const QString& what)
    {
        searchState().resume = savedResume_;
        r.walk = ItemWalk::Literal;
        const Found literal = run(r, stops);
        const ResumePoint literalResume = searchState().resume;
        searchState().resume = savedResume_;
        r.walk = ItemWalk::IndexOnly;
        const Found indexed = run(r, stops);
        const ResumePoint indexedResume = searchState().resume;
        if (CharacterCount(r.text) >= 3)
            EXPECT_TRUE(indexed.outcome.usedIndex) << what.toStdString();
        ASSERT_EQ(literal.items.size(), indexed.items.size()) << what.toStdString();
        for (std::size_t i = 0; i < literal.items.size(); ++i) {
            EXPECT_EQ(double(literal.items[i].itemId), double(indexed.items[i].itemId))
                << what.toStdString();
            EXPECT_EQ(literal.items[i].at.start, indexed.items[i].at.start) << what.toStdString();
            EXPECT_EQ(literal.items[i].at.length, indexed.items[i].at.length) << what.toStdString();
            EXPECT_EQ(literal.items[i].unreadable, indexed.items[i].unreadable);
        }
        ASSERT_EQ(literal.concepts.size(), indexed.concepts.size());
        EXPECT_EQ(literalResume.text, indexedResume.text);
        EXPECT_EQ(double(literalResume.its), double(indexedResume.its)) << what.toStdString();
        totalHits_ += int(literal.items.size());
    }

    ResumePoint savedResume_;
    int totalHits_ = 0;
};

TEST_F(ItemTextIndexTest, TheIndexedSearchFindsExactlyWhatTheLiteralWalkFinds)
{
    messenger.allow(QStringLiteral("Text damaged"));
    std::mt19937 random(20261209);
    const QStringList pieces{QStringLiteral("art"),
                             QStringLiteral("start"),
                             QStringLiteral("ART"),
                             QStringLiteral("\u00C9t\u00E9"),
                             QStringLiteral("E\u0301te\u0301"),
                             QStringLiteral("\u0394\u03B9\u03BA\u03B7"),
                             QStringLiteral("\u03B4\u0399\u039A\u03B7s"),
                             QStringLiteral("\U0001D538rt"),
                             QStringLiteral("war"),
                             QStringLiteral("artwar"),
                             QStringLiteral("\"q\""),
                             QStringLiteral("a"),
                             QStringLiteral("xy")};
    const QString delimiters = QStringLiteral(" ,.;:-/\\()\"!?*<>_}{[]'\n\r");
    std::vector<Timestamp> all;
    for (int i = 0; i < 160; ++i) {
        QString text;
        const int parts = int(random() % 6);
        if (random() % 3 == 0) text += delimiters.at(int(random() % delimiters.size()));
        for (int p = 0; p < parts; ++p) {
            text += pieces.at(int(random() % pieces.size()));
            if (random() % 2) text += delimiters.at(int(random() % delimiters.size()));
        }
        // ITS in a shuffled order, so the id order is not the walk's order.
        const Timestamp id = -46000.0L - i * 0.001L;
        const Timestamp its = -47000.0L - (random() % 1000) * 0.001L - i * 0.000001L;
        addItem(id, QStringLiteral("x"), {}, {}, its);
        if (text.isEmpty() && random() % 2)
            exec(QStringLiteral("UPDATE ITEM SET TX = NULL WHERE IT = ?1"), {double(id)});
        else
            exec(QStringLiteral("UPDATE ITEM SET TX = ?2 WHERE IT = ?1"), {double(id), text});
        if (random() % 4 == 0) givePicture(id);
        all.push_back(id);
    }
    exec(QStringLiteral("UPDATE ITEM SET TX = ?2 WHERE IT = ?1"),
         {double(all[7]), QByteArray("art \xc3\x28 war")});

    const QStringList searches{QStringLiteral("art"),
                               QStringLiteral("war"),
                               QStringLiteral("\u00E9t\u00E9"),
                               QStringLiteral("\u03B4\u03B9\u03BA\u03B7"),
                               QStringLiteral("\U0001D538rt"),
                               QStringLiteral("\"q\""),
                               QStringLiteral("art war"),
                               QStringLiteral("a"),
                               QStringLiteral("rt"),
                               QStringLiteral("artwar"),
                               QStringLiteral("none at all"),
                               QStringLiteral("ART")};
    runContext().settings.findBatchSize = 3;
    for (const QString& text : searches)
        for (MatchMode mode : {MatchMode::Embedded, MatchMode::Exact})
            for (bool pictures : {false, true})
                for (SearchType type : {SearchType::ItemTexts, SearchType::ConceptsAndItems}) {
                    SearchRequest r = request(text, mode);
                    r.picturesOnly = pictures;
                    r.type = type;
                    const QString what =
                        text +
                        QStringLiteral(" %1 %2 %3").arg(int(mode)).arg(pictures).arg(int(type));
                    savedResume_ = ResumePoint();
                    expectSameHits(r, {}, what);
                    // Stopped at the second batch, then resumed from where each stopped.
                    expectSameHits(r, {false, true}, what + QStringLiteral(" stopped"));
                    savedResume_ = searchState().resume;
                    expectSameHits(r, {}, what + QStringLiteral(" resumed"));
                }
    EXPECT_GT(totalHits_, 500);
}

TEST_F(ItemTextIndexTest, AFrequentTextIsWalkedAndARareOneLookedUpWithTheSameHits)
{
    // A large store's choice on a small one: the first four texts in the walk's order decide.
    searchState().chooseWalkFromTexts = 0;
    searchState().probeTexts = 4;
    for (int i = 0; i < 12; ++i)
        addItem(-46000.1L - i * 0.01L, i < 2 ? QStringLiteral("a zebra in the garden")
                                             : QStringLiteral("garden %1").arg(i));
    for (const QString& text : {QStringLiteral("garden"), QStringLiteral("zebra")}) {
        const Found chosen = run(request(text));
        const Found literal = run(request(text, MatchMode::Embedded, ItemWalk::Literal));
        EXPECT_EQ(chosen.outcome.usedIndex, text == QStringLiteral("zebra")) << text.toStdString();
        EXPECT_EQ(ids(chosen), ids(literal));
        EXPECT_EQ(chosen.items.size(), text == QStringLiteral("zebra") ? 2u : 12u);
    }
}

TEST_F(ItemTextIndexTest, AChangeMadeByAnotherConnectionIsFoundByTheNextSearch)
{
    const Timestamp a = addItem(-46000.1L, QStringLiteral("a zebra crossing"));
    const Timestamp b = addItem(-46000.2L, QStringLiteral("a quiet street"));
    EXPECT_EQ(ids(run(request(QStringLiteral("zebra")))), stored({a}));
    ItemTextIndex& index = itemTextIndex();
    ASSERT_TRUE(QFile::exists(index.path()));
    const int syncs = index.figures.syncs;
    EXPECT_EQ(ids(run(request(QStringLiteral("zebra")))), stored({a}));
    EXPECT_EQ(index.figures.syncs, syncs);  // nothing changed, nothing compared

    {
        // What the sqlite3 tool does: its own connection to the table file.
        sql::Database other;
        ASSERT_TRUE(other.open(path(QStringLiteral("ITEM.DB")), false));
        ASSERT_TRUE(other.exec(
            QStringLiteral("UPDATE ITEM SET TX = 'zebras everywhere' WHERE IT = -46000.2;"
                           "UPDATE ITEM SET TX = 'no stripes' WHERE IT = -46000.1")));
    }
    const Found found = run(request(QStringLiteral("zebra")));
    EXPECT_TRUE(found.outcome.usedIndex);
    EXPECT_EQ(ids(found), stored({b}));
    EXPECT_EQ(index.figures.syncs, syncs + 1);

    {
        sql::Database other;
        ASSERT_TRUE(other.open(path(QStringLiteral("ITEM.DB")), false));
        ASSERT_TRUE(other.exec(QStringLiteral("DELETE FROM ITEM WHERE IT = -46000.2")));
    }
    EXPECT_TRUE(ids(run(request(QStringLiteral("zebra")))).empty());

    // A new order alone (ITS) and a picture, with the texts as they were.
    const Timestamp c = addItem(-46000.3L, QStringLiteral("zebra"));
    exec(QStringLiteral("UPDATE ITEM SET TX = 'zebra' WHERE IT = -46000.1"));
    EXPECT_EQ(ids(run(request(QStringLiteral("zebra")))), stored({c, a}));
    {
        sql::Database other;
        ASSERT_TRUE(other.open(path(QStringLiteral("ITEM.DB")), false));
        ASSERT_TRUE(other.exec(QStringLiteral(
            "UPDATE ITEM SET ITS = -50000, Animation = x'424d' WHERE IT = -46000.1")));
    }
    EXPECT_EQ(ids(run(request(QStringLiteral("zebra")))), stored({a, c}));
    SearchRequest pictures = request(QStringLiteral("zebra"));
    pictures.picturesOnly = true;
    EXPECT_EQ(ids(run(pictures)), stored({a}));
}

TEST_F(ItemTextIndexTest, TheCommitTellsTheIndexWhichItemsToReadAgain)
{
    addItem(-46000.1L, QStringLiteral("first text"));
    EXPECT_TRUE(run(request(QStringLiteral("giraffe"))).items.empty());
    ItemTextIndex& index = itemTextIndex();
    const int syncs = index.figures.syncs;
    const int builds = index.figures.builds;
    itemHooks().itemsWritten = [](const std::vector<Timestamp>& items) {
        NoteItemsWritten(items);
        UpdateItemTextIndex();
    };

    ItemCardData card;
    card.itemId = -46000.1L;
    card.text = QStringLiteral("a giraffe now");
    card.keywords.push_back({-45000.1L, 1, QStringLiteral("word")});
    card.changed = true;
    addWord(1, QStringLiteral("word"));
    addConcept(-45000.1L, {1});
    const CommitResult result = CommitCards({&card});
    ASSERT_TRUE(result.committed);
    EXPECT_EQ(index.figures.updates, 1);
    EXPECT_FALSE(index.hasPendingWrites());

    const Found found = run(request(QStringLiteral("giraffe")));
    EXPECT_EQ(found.items.size(), 1u);
    EXPECT_EQ(index.figures.syncs, syncs);
    EXPECT_EQ(index.figures.builds, builds);
}

TEST_F(ItemTextIndexTest, ABuildInBatchesBesideCommitsEndsExactAndSearchesWalkMeanwhile)
{
    for (int i = 0; i < 1200; ++i)
        addItem(-46000.0L - i * 0.001L, QStringLiteral("plain note %1").arg(i));
    ItemTextIndex& index = itemTextIndex();
    const QString startedAt = index.startBuild();
    ASSERT_FALSE(startedAt.isEmpty());
    searchState().indexBuilding = true;
    int batches = 0;
    const bool built = ItemTextIndex::BuildInBatches(
        runContext().dir(), startedAt, [&](qint64 done, qint64 total) {
            EXPECT_EQ(total, 1200);
            if (++batches == 1) {
                // A commit of this program between two batches, to an item already read and to
                // one not yet read; the search meanwhile walks.
                exec(QStringLiteral("UPDATE ITEM SET TX = 'an okapi' WHERE IT IN (?1, ?2)"),
                     {double(-46000.0L), double(-46000.0L - 1100 * 0.001L)});
                NoteItemsWritten({-46000.0L, -46000.0L - 1100 * 0.001L});
                const Found meanwhile = run(request(QStringLiteral("okapi")));
                EXPECT_FALSE(meanwhile.outcome.usedIndex);
                EXPECT_EQ(meanwhile.items.size(), 2u);
            }
            return done <= total;
        });
    searchState().indexBuilding = false;
    ASSERT_TRUE(built);
    EXPECT_EQ(batches, 3);
    EXPECT_FALSE(index.needsBuild());
    const int syncs = index.figures.syncs;
    const Found found =
        run(request(QStringLiteral("okapi"), MatchMode::Embedded, ItemWalk::IndexOnly));
    EXPECT_TRUE(found.outcome.usedIndex);
    EXPECT_EQ(found.items.size(), 2u);
    // The noted commit was read again alone, without comparing every text.
    EXPECT_EQ(index.figures.syncs, syncs);
    EXPECT_EQ(run(request(QStringLiteral("note 1100"), MatchMode::Embedded, ItemWalk::IndexOnly))
                  .items.size(),
              0u);
}

TEST_F(ItemTextIndexTest, AnIndexFileThatCannotBeReadIsBuiltAgain)
{
    const Timestamp a = addItem(-46000.1L, QStringLiteral("an owl at night"));
    EXPECT_EQ(ids(run(request(QStringLiteral("owl")))), stored({a}));
    const QString file = itemTextIndex().path();
    searchState().index.reset();
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray(4096, 'x'));
    }
    const Found found = run(request(QStringLiteral("owl")));
    EXPECT_EQ(ids(found), stored({a}));
}

}  // namespace
