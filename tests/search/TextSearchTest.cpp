#include "SearchFixture.h"

#include "desktop/FakeCardHost.h"
#include "floor/RunContext.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qb;
using namespace qb::search;

namespace {

class TextSearch : public test::SearchFixture {};

TEST_F(TextSearch, ItemsComeNewestFirstWithTheirHitPositions)
{
    const Timestamp war = addItem(-46000.1L, QStringLiteral("The art of war"));
    addItem(-46000.2L, QStringLiteral("start again, art"));
    const Timestamp edge = addItem(-46000.3L, QStringLiteral("art"));
    const Found exact = run(request(QStringLiteral("art"), MatchMode::Exact));
    ASSERT_EQ(exact.items.size(), 2u);
    EXPECT_EQ(double(exact.items[0].itemId), double(edge));  // the newest: the smallest ITS
    EXPECT_EQ(double(exact.items[1].itemId), double(war));
    EXPECT_EQ(exact.items[1].at.start, 5);
    EXPECT_EQ(exact.items[1].at.length, 3);
    EXPECT_EQ(exact.outcome.itemsFound, 2);
    EXPECT_EQ(run(request(QStringLiteral("art"))).items.size(), 3u);
}

TEST_F(TextSearch, PicturesOnlyWithAndWithoutText)
{
    const Timestamp plain = addItem(-46000.1L, QStringLiteral("a garden"));
    const Timestamp pictured = addItem(-46000.2L, QStringLiteral("a garden with a picture"));
    const Timestamp other = addItem(-46000.3L, QStringLiteral("something else"));
    givePicture(pictured);
    givePicture(other);
    SearchRequest withText = request(QStringLiteral("garden"));
    withText.picturesOnly = true;
    const Found found = run(withText);
    ASSERT_EQ(ids(found), stored({pictured}));
    EXPECT_EQ(found.items[0].at.start, 3);

    SearchRequest all = request(QString());
    all.picturesOnly = true;
    const Found every = run(all);
    EXPECT_EQ(ids(every), stored({other, pictured}));
    for (const ItemHit& hit : every.items) {
        EXPECT_EQ(hit.at.start, 0);
        EXPECT_EQ(hit.at.length, 0);
    }
    EXPECT_FALSE(run(request(QString())).outcome.ran);
    (void)plain;
}

TEST_F(TextSearch, TheSameTextResumesAfterTheStopAndAnotherStartsFromTheNewest)
{
    runContext().settings.findBatchSize = 2;
    std::vector<Timestamp> items;
    for (int i = 0; i < 6; ++i)
        items.push_back(addItem(-46000.1L - i * 0.01L, QStringLiteral("note %1").arg(i)));
    // ITS ascending is the newest first: the last added comes first.
    const Found stopped = run(request(QStringLiteral("note")), {true});
    EXPECT_EQ(ids(stopped), stored({items[5], items[4]}));
    EXPECT_TRUE(stopped.outcome.userStopped);
    EXPECT_TRUE(searchState().resume.exists());

    const Found resumed = run(request(QStringLiteral("note")), {false});
    EXPECT_TRUE(resumed.outcome.resumed);
    EXPECT_EQ(ids(resumed), stored({items[3], items[2], items[1], items[0]}));
    EXPECT_FALSE(searchState().resume.exists());

    run(request(QStringLiteral("note")), {true});
    const Found other = run(request(QStringLiteral("note ")));
    EXPECT_FALSE(other.outcome.resumed);
    EXPECT_EQ(other.items.size(), 6u);
    EXPECT_EQ(double(other.items[0].itemId), double(items[5]));
    EXPECT_FALSE(searchState().resume.exists());
}

TEST_F(TextSearch, AResumeAmongItemsThatShareAnItsSkipsNoHitAndShowsNoneTwice)
{
    // Clear All Time Stamps gives every item ITS -1.0; two made in one second tie the same way.
    runContext().settings.findBatchSize = 2;
    std::vector<double> all;
    for (int i = 0; i < 5; ++i)
        all.push_back(double(
            addItem(-46000.1L - i * 0.01L, QStringLiteral("note %1").arg(i), {}, {}, -1.0L)));
    for (ItemWalk walk : {ItemWalk::Literal, ItemWalk::IndexOnly}) {
        searchState().resume.clear();
        std::vector<double> seen =
            ids(run(request(QStringLiteral("note"), MatchMode::Embedded, walk), {true}));
        ASSERT_EQ(seen.size(), 2u);
        const Found rest = run(request(QStringLiteral("note"), MatchMode::Embedded, walk));
        EXPECT_TRUE(rest.outcome.resumed);
        for (double id : ids(rest)) seen.push_back(id);
        std::sort(seen.begin(), seen.end());
        std::vector<double> expected = all;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(seen, expected) << int(walk);
    }
}

TEST_F(TextSearch, AnUnreadableTextIsReportedShownWithoutPositionAndLeftAsItIs)
{
    const Timestamp damaged = addItem(-46000.1L, QStringLiteral("x"));
    const char raw[] = "art \xff\xfe broken";
    const QByteArray bytes(raw, sizeof raw - 1);
    exec(QStringLiteral("UPDATE ITEM SET TX = ?2 WHERE IT = ?1"), {double(damaged), bytes});
    addItem(-46000.2L, QStringLiteral("nothing here"));
    messenger.expect(
        QStringLiteral("Text damaged or to long to be loadedDBMemoUpload.loadmemo fails "));
    for (ItemWalk walk : {ItemWalk::Literal, ItemWalk::Indexed}) {
        const Found found = run(request(QStringLiteral("zzz"), MatchMode::Embedded, walk));
        ASSERT_EQ(ids(found), stored({damaged}));
        EXPECT_TRUE(found.items[0].unreadable);
        EXPECT_EQ(found.items[0].at.start, 0);
    }
    EXPECT_TRUE(messenger.saw(QStringLiteral("(item -46000.1)")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT TX FROM ITEM WHERE IT = -46000.1")).toByteArray(),
              bytes);
    EXPECT_FALSE(messenger.saw(QStringLiteral("Text lost")));
}

TEST_F(TextSearch, ConceptsOfHitWordsComeFirstInWordOrderThenTheItems)
{
    addWord(1, QStringLiteral("warfare"));
    addWord(2, QStringLiteral("award"));
    addWord(3, QStringLiteral("peace"));
    const Timestamp c1 = addConcept(-45000.3L, {1});
    const Timestamp c2 = addConcept(-45000.1L, {1});
    const Timestamp c3 = addConcept(-45000.2L, {1, 2});
    addConcept(-45000.4L, {3});
    const Timestamp item = addItem(-46000.1L, QStringLiteral("war and peace"));
    SearchRequest r = request(QStringLiteral("war"));
    r.type = SearchType::ConceptsAndItems;
    const Found found = run(r);
    ASSERT_EQ(found.concepts.size(), 4u);
    // "award" before "warfare"; the concepts of a word newest first.
    EXPECT_EQ(double(found.concepts[0].conceptId), double(c3));
    EXPECT_EQ(found.concepts[0].word, QStringLiteral("award"));
    EXPECT_EQ(double(found.concepts[1].conceptId), double(c1));
    EXPECT_EQ(double(found.concepts[2].conceptId), double(c3));
    EXPECT_EQ(double(found.concepts[3].conceptId), double(c2));
    EXPECT_EQ(ids(found), stored({item}));

    r.mode = MatchMode::Exact;
    EXPECT_TRUE(run(r).concepts.empty());
}

TEST_F(TextSearch, YesToStopNowEndsOnlyTheConceptPhase)
{
    addWord(1, QStringLiteral("war"));
    addWord(2, QStringLiteral("warm"));
    for (int i = 0; i < 5; ++i) addConcept(-45000.1L - i * 0.01L, {1});
    addConcept(-45001.1L, {2});
    const Timestamp item = addItem(-46000.1L, QStringLiteral("war"));
    SearchRequest r = request(QStringLiteral("war"));
    r.type = SearchType::ConceptsAndItems;
    // Asked after the word "war" with five concepts; "warm" is not reached.
    const Found found = run(r, {true});
    EXPECT_EQ(found.concepts.size(), 5u);
    EXPECT_EQ(ids(found), stored({item}));
    EXPECT_FALSE(found.outcome.userStopped);
    EXPECT_EQ(run(r, {false}).concepts.size(), 6u);
}

TEST_F(TextSearch, TheDesktopPhaseTestsTheVisibleItemCardsInChildOrder)
{
    test::FakeCardHost host;
    ItemCardData& first = host.addItem(-46000.1L);
    first.text = QStringLiteral("a map of the art");
    ItemCardData& hidden = host.addItem(-46000.2L);
    hidden.text = QStringLiteral("art");
    hidden.hidden = true;
    host.addConcept(-45000.1L);
    ItemCardData& second = host.addItem(-46000.3L);
    second.text = QStringLiteral("ART");
    SearchRequest r = request(QStringLiteral("art"), MatchMode::Exact);
    r.type = SearchType::DesktopItems;
    r.picturesOnly = true;  // does not apply to the desktop
    const Found found = run(r, {}, &host);
    ASSERT_EQ(found.items.size(), 2u);
    EXPECT_EQ(found.items[0].card, &first);
    EXPECT_EQ(found.items[0].at.start, 14);
    EXPECT_EQ(found.items[1].card, &second);
}

TEST_F(TextSearch, EscEndsTheSearchAndNothingFoundIsToldOnlyFromTheDialog)
{
    addItem(-46000.1L, QStringLiteral("one"));
    addItem(-46000.2L, QStringLiteral("one"));
    SearchCallbacks callbacks;
    int shown = 0;
    callbacks.itemFound = [&shown](const ItemHit&) { ++shown; };
    callbacks.processEvents = [] { session().flags.requestEscape(); };
    messenger.expect(
        QStringLiteral("The program terminated the current operation on your request."));
    const SearchOutcome escaped = RunTextSearch(request(QStringLiteral("one")), callbacks);
    EXPECT_TRUE(escaped.escaped);
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(session().flags.escapeRequested());

    run(request(QStringLiteral("absent")));
    EXPECT_FALSE(messenger.saw(QStringLiteral("Nothing found")));
    SearchRequest dialog = request(QStringLiteral("absent"));
    dialog.fromDialog = true;
    run(dialog);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Nothing found")));
    EXPECT_FALSE(session().commitRunning.raised());
}

}  // namespace
