#include "DictionaryFixture.h"

#include "dictionary/DictionaryWindowRules.h"
#include "dictionary/NewWordCheck.h"

#include <gtest/gtest.h>

using namespace qb;

namespace {

QStringList matchWords(const std::vector<NewWordCheck::Match>& matches)
{
    QStringList out;
    for (const auto& m : matches) out << m.word;
    return out;
}

}  // namespace

class NewWord : public test::DictionaryFixture {};

TEST_F(NewWord, TestLooksForBeginningsThenAnywhereThenLeavesOkAsDefault)
{
    addWords({QStringLiteral("cart"), QStringLiteral("scar"), QStringLiteral("car"),
              QStringLiteral("bus")});
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('oscars', 2)"));
    NewWordCheck check(QStringLiteral("Car"));
    EXPECT_EQ(check.testButtonCaption(), QStringLiteral("Test     "));
    EXPECT_FALSE(check.okIsDefault());

    check.pressTest();
    EXPECT_EQ(matchWords(check.dictionaryMatches()),
              (QStringList{QStringLiteral("cart"), QStringLiteral("car")}));
    EXPECT_EQ(check.gridLabel(), QStringLiteral("Dictionary: "));
    EXPECT_EQ(check.testButtonCaption(), QStringLiteral("Test more"));
    EXPECT_TRUE(check.testButtonVisible());

    check.pressTest();
    EXPECT_EQ(matchWords(check.dictionaryMatches()),
              (QStringList{QStringLiteral("cart"), QStringLiteral("scar"), QStringLiteral("car")}));
    EXPECT_EQ(matchWords(check.inflectionMatches()),
              (QStringList{QStringLiteral("car"), QStringLiteral("cart"), QStringLiteral("oscars"),
                           QStringLiteral("scar")}));
    EXPECT_FALSE(check.testButtonVisible());
    EXPECT_TRUE(check.okIsDefault());
    check.pressTest();  // no third press
    EXPECT_EQ(check.testCount(), 2);

    // A change of the text starts over and hides the dictionary grid.
    check.setText(QStringLiteral("oscar"));
    EXPECT_TRUE(check.testButtonVisible());
    EXPECT_EQ(check.testCount(), 0);
    EXPECT_EQ(check.shownGrid(), NewWordCheck::Grid::None);
    check.pressTest();
    EXPECT_EQ(check.shownGrid(), NewWordCheck::Grid::Inflections);
    EXPECT_EQ(check.gridLabel(), QStringLiteral("Inflections: "));
    EXPECT_EQ(NewWordCheck::dialogHeight(NewWordCheck::gridHeight(15, 1)), 21 + 24 + 118);

    check.setText(QString());
    check.pressTest();
    EXPECT_EQ(check.testCount(), 0);
}

TEST_F(NewWord, TestMatchesPercentAndUnderscoreLiterally)
{
    addWords({QStringLiteral("1000"), QStringLiteral("10%"), QStringLiteral("aXb"),
              QStringLiteral("a_b")});
    NewWordCheck check(QStringLiteral("10%"));
    check.pressTest();
    EXPECT_EQ(matchWords(check.dictionaryMatches()), QStringList{QStringLiteral("10%")});
    check.setText(QStringLiteral("_"));
    check.pressTest();
    check.pressTest();
    EXPECT_EQ(matchWords(check.dictionaryMatches()), QStringList{QStringLiteral("a_b")});
}

TEST_F(NewWord, OkTrimsAndCreatesEvenAnExistingWordWhileAPickedMatchCreatesNothing)
{
    addWords({QStringLiteral("car")});
    NewWordCheck check(QStringLiteral(" car "));
    EXPECT_EQ(check.ok(), 2);
    EXPECT_EQ(check.text(), QString());
    EXPECT_EQ(NewWordCheck(QStringLiteral("   ")).ok(), 0);

    NewWordCheck pick(QStringLiteral("ca"));
    pick.pressTest();
    pick.chooseDictionaryMatch(0);
    EXPECT_EQ(dictionaryState().wordToGoTo, QStringLiteral("car"));
    pick.setText(QStringLiteral("car"));
    pick.pressTest();
    pick.chooseInflectionMatch(0);
    EXPECT_EQ(dictionaryState().wordToGoTo, QStringLiteral("*car"));

    NewWordCheck erase(QStringLiteral("cars"));
    erase.erase(true);
    EXPECT_EQ(erase.text(), QStringLiteral("cars"));
    erase.erase(false);
    EXPECT_EQ(erase.text(), QStringLiteral("car"));
    NewWordCheck tooLong(QString(45, QLatin1Char('x')));
    EXPECT_EQ(tooLong.text().size(), 38);
}

TEST_F(NewWord, AddingAWordShowsItInEveryWindow)
{
    addWords({QStringLiteral("mango"), QStringLiteral("apple")});
    auto& timeWindow = openWindow();
    auto& alphaWindow = openWindow();
    auto& secondTimeWindow = openWindow();
    alphaWindow.browser().setOrder(DictOrder::Alphabetical);
    alphaWindow.browser().goTop();
    timeWindow.browser().goLast();

    dictionaryHooks().runNewWordDialog = [](const QString&) {
        NewWordCheck check(QStringLiteral("kiwi"));
        check.ok();
    };
    CallNewWord(QString(), false);
    EXPECT_EQ(timeWindow.currentWord(), QStringLiteral("kiwi"));
    EXPECT_EQ(timeWindow.browser().currentIndex(), 0);
    EXPECT_EQ(timeWindow.frontCount, 1);
    EXPECT_EQ(alphaWindow.currentWord(), QStringLiteral("kiwi"));
    EXPECT_EQ(alphaWindow.browser().currentIndex(), 1);
    // Only the first window in time stamp order stays in it.
    EXPECT_EQ(secondTimeWindow.browser().order(), DictOrder::Alphabetical);
    EXPECT_EQ(secondTimeWindow.currentWord(), QStringLiteral("kiwi"));
}

TEST_F(NewWord, AMatchPickedInTheDialogIsWhereTheWindowGoes)
{
    addWords({QStringLiteral("pear"), QStringLiteral("peach"), QStringLiteral("plum")});
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('peaches', 2)"));
    auto& window = openWindow();
    window.browser().setOrder(DictOrder::Alphabetical);
    dictionaryHooks().runNewWordDialog = [](const QString& proposed) {
        NewWordCheck check(proposed);
        check.pressTest();
        check.chooseDictionaryMatch(int(check.dictionaryMatches().size()) - 1);
    };
    CallNewWord(QStringLiteral("pea"), false);
    EXPECT_EQ(window.currentWord(), QStringLiteral("peach"));
    EXPECT_TRUE(dictionaryState().wordToGoTo.isEmpty());
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM WORD")).toInt(), 3);

    // A form leads through the inflections to its word.
    dictionaryHooks().runNewWordDialog = [](const QString& proposed) {
        NewWordCheck check(proposed);
        check.pressTest();
        check.pressTest();
        ASSERT_EQ(check.shownGrid(), NewWordCheck::Grid::Inflections);
        check.chooseInflectionMatch(int(check.inflectionMatches().size()) - 1);
    };
    CallNewWord(QStringLiteral("peaches"), false);
    EXPECT_EQ(window.inflectionWindows, QStringList{QStringLiteral("peach")});
}

TEST_F(NewWord, FindViaInflectionsLeadsFromAFormOrOffersSubstringAndAdding)
{
    addWords({QStringLiteral("mouse"), QStringLiteral("house")});
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('mice', 1)"));
    auto& window = openWindow();

    EXPECT_EQ(FindViaInflections(&window, QStringLiteral("Mice"), false), QStringLiteral("mouse"));
    EXPECT_EQ(window.inflectionWindows, QStringList{QStringLiteral("mouse")});
    EXPECT_EQ(window.currentWord(), QStringLiteral("mouse"));
    EXPECT_EQ(messenger.count(), 0);

    // Not a form: the substring search finds both words through "ouse".
    window.inflectionWindows.clear();
    messenger.answer(MessageButton::Ok, QStringLiteral("ouse"));
    EXPECT_EQ(FindViaInflections(&window, QStringLiteral("ouses"), false), QString());
    EXPECT_TRUE(messenger.saw(QStringLiteral("Not found -  try a substring search?")));
    EXPECT_EQ(window.inflectionWindows,
              (QStringList{QStringLiteral("mouse"), QStringLiteral("house")}));

    // Nothing anywhere: Yes adds the word at once.
    messenger.clear();
    EXPECT_EQ(FindViaInflections(&window, QStringLiteral("rat"), true), QStringLiteral("rat"));
    EXPECT_TRUE(messenger.saw(QStringLiteral("The substring  \"rat\"  not found - Add word")));
    EXPECT_EQ(WordNumberOf(QStringLiteral("rat")), 3);

    // Declining the substring search asks the other question; No adds nothing.
    messenger.clear();
    messenger.answer(MessageButton::Cancel);
    messenger.answer(MessageButton::No);
    EXPECT_EQ(FindViaInflections(&window, QStringLiteral("gnu"), false), QString());
    EXPECT_EQ(messenger.shown.back().request.message,
              QStringLiteral("\"gnu\"  not found - Add word"));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("d592b"));
    EXPECT_EQ(WordNumberOf(QStringLiteral("gnu")), -1);
}

TEST_F(NewWord, ManyFormsAskStopNowAfterEachBatch)
{
    session().settings.findBatchSize = 2;
    QStringList words;
    for (int i = 0; i < 5; ++i) words << QStringLiteral("set%1").arg(i);
    addWords(words);
    auto& window = openWindow();
    messenger.answer(MessageButton::No);   // after the 2nd
    messenger.answer(MessageButton::Yes);  // after the 4th
    FindViaInflections(&window, QStringLiteral("set"), true);
    EXPECT_EQ(window.inflectionWindows.size(), 4);
    EXPECT_EQ(messenger.count(), 2);
    EXPECT_EQ(messenger.shown[0].request.message, QStringLiteral("Stop now?"));
}

TEST_F(NewWord, ControlCharactersAreRefusedByOkAndByBothRenames)
{
    addWords({QStringLiteral("car")});
    messenger.expect(QStringLiteral("A word must not contain control characters"));
    NewWordCheck check(QStringLiteral("two\nlines"));
    EXPECT_EQ(check.ok(), -1);
    EXPECT_EQ(CreateWord(QStringLiteral("red\x1b[0m")), -1);

    test::FakeDictionaryWindow& window = openWindow();
    ASSERT_TRUE(window.browser().positionOnWordNo(1));
    EXPECT_FALSE(RenameWord(window.browser(), QStringLiteral("c\tar")));
    ASSERT_TRUE(window.browser().positionOnWordNo(1));
    EXPECT_FALSE(RenameFromInflection(window, 1, QStringLiteral("c\x7f")));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD")), QStringList{QStringLiteral("car")});
    EXPECT_EQ(messenger.count(), 4);
}
