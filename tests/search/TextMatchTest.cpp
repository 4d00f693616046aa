#include "search/TextMatch.h"

#include <gtest/gtest.h>

using namespace qb::search;

namespace {

TextHit exact(const QString& text, const QString& search)
{
    return MatchText(text, search, MatchMode::Exact);
}

TEST(TextMatch, ExactModeTestsOnlyTheFirstOccurrenceAndAcceptsTheTextsEdges)
{
    const TextHit war = exact(QStringLiteral("the art of war"), QStringLiteral("art"));
    EXPECT_TRUE(war.hit);
    EXPECT_EQ(war.start, 5);
    EXPECT_EQ(war.length, 3);
    // The first "art" is inside "start": no hit, though a whole "art" follows.
    EXPECT_FALSE(exact(QStringLiteral("start again, art"), QStringLiteral("art")).hit);
    const TextHit embedded =
        MatchText(QStringLiteral("start again, art"), QStringLiteral("art"), MatchMode::Embedded);
    EXPECT_TRUE(embedded.hit);
    EXPECT_EQ(embedded.start, 3);

    const TextHit first = exact(QStringLiteral("art is long"), QStringLiteral("art"));
    EXPECT_TRUE(first.hit);
    EXPECT_EQ(first.start, 1);
    const TextHit last = exact(QStringLiteral("modern art"), QStringLiteral("art"));
    EXPECT_TRUE(last.hit);
    EXPECT_EQ(last.start, 8);
    EXPECT_TRUE(exact(QStringLiteral("art"), QStringLiteral("art")).hit);
    EXPECT_FALSE(exact(QStringLiteral("arts"), QStringLiteral("art")).hit);
    EXPECT_FALSE(MatchText(QStringLiteral("anything"), QString(), MatchMode::Embedded).hit);
}

TEST(TextMatch, TheTwentyFourDelimitersAndNoOtherCharacterEndAWord)
{
    const QString delimiters = QStringLiteral(" ,.;:-/\\()\"!?*<>_}{[]'\n\r");
    ASSERT_EQ(delimiters.size(), 24);
    int counted = 0;
    for (char16_t code = 1; code < 0x300; ++code) {
        const QChar c(code);
        const bool expected = delimiters.contains(c);
        EXPECT_EQ(IsWordDelimiter(c), expected) << int(code);
        if (IsWordDelimiter(c)) ++counted;
        if (c.isLetter() && c.toLower() != QChar(u'a')) {
            const QString text = QString(c) + QStringLiteral("art") + QString(c);
            EXPECT_EQ(exact(text, QStringLiteral("art")).hit, expected) << int(code);
        }
        if (expected) {
            const QString text = QStringLiteral("x") + c + QStringLiteral("art") + c;
            EXPECT_TRUE(exact(text, QStringLiteral("art")).hit) << int(code);
        }
    }
    EXPECT_EQ(counted, 24);
}

TEST(TextMatch, CaseIsIgnoredInTheTextAndPositionsCountCharacters)
{
    // Letters above 255 and a character outside the basic plane before the hit.
    const QString text = QStringLiteral("\U0001D538 \u0394\u0399\u039A\u0397 \u00C9t\u00C9");
    const TextHit greek =
        MatchText(text, QStringLiteral("\u03B4\u03B9\u03BA\u03B7"), MatchMode::Exact);
    EXPECT_TRUE(greek.hit);
    EXPECT_EQ(greek.start, 3);
    EXPECT_EQ(greek.length, 4);
    const TextHit accent = MatchText(text, QStringLiteral("\u00E9t\u00E9"), MatchMode::Exact);
    EXPECT_TRUE(accent.hit);
    EXPECT_EQ(accent.start, 8);
    // The search text is taken as given: the dialog lowers it, an inflection window does not.
    EXPECT_FALSE(MatchText(QStringLiteral("war"), QStringLiteral("WAR"), MatchMode::Embedded).hit);
    EXPECT_EQ(SearchTextFromInput(QStringLiteral("  Art Of \u0394 ")),
              QStringLiteral("art of \u03B4"));
    EXPECT_EQ(LowerForSearch(text).size(), text.size());
}

TEST(TextMatch, ComposedAndDecomposedLettersFindEachOtherAndTheHighlightCoversTheStoredLetters)
{
    // "caf\u00E9" typed finds "cafe\u0301" as stored, and the other way round.
    const QString decomposed = QStringLiteral("Un cafe\u0301 noir");
    const TextHit typed =
        MatchText(decomposed, SearchTextFromInput(QStringLiteral("caf\u00E9")), MatchMode::Exact);
    EXPECT_TRUE(typed.hit);
    EXPECT_EQ(typed.start, 4);
    EXPECT_EQ(typed.length, 5);  // c a f e U+0301
    const TextHit after = MatchText(decomposed, QStringLiteral("noir"), MatchMode::Exact);
    EXPECT_EQ(after.start, 10);
    const TextHit stored =
        MatchText(QStringLiteral("caf\u00E9 \U0001D538"),
                  SearchTextFromInput(QStringLiteral("cafe\u0301")), MatchMode::Exact);
    EXPECT_TRUE(stored.hit);
    EXPECT_EQ(stored.length, 4);
    // A letter that form C replaces (ANGSTROM SIGN) is found by the letter it becomes.
    EXPECT_TRUE(MatchText(QStringLiteral("10 \u212B"),
                          SearchTextFromInput(QStringLiteral("\u00C5")), MatchMode::Exact)
                    .hit);
    // A letter outside the basic plane after a combining mark keeps its place.
    const TextHit far =
        MatchText(QStringLiteral("e\u0301 \U0001D538x"), QStringLiteral("x"), MatchMode::Embedded);
    EXPECT_EQ(far.start, 5);
}

}  // namespace
