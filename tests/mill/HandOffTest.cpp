#include "mill/MillHandOff.h"

#include "support/StoreFixture.h"

namespace qb::test {
namespace {

using namespace mill;

class HandOffTest : public StoreFixture {};

QStringList words(const std::vector<Candidate>& found)
{
    QStringList out;
    for (const Candidate& c : found) out << c.word;
    return out;
}

TEST_F(HandOffTest, CandidatesComeFromLongerPrefixesFirstAndStopPastTwelve)
{
    int no = 1;
    for (const char* w : {"table", "tablet", "tax", "t"}) addWord(no++, QString::fromUtf8(w));
    for (int i = 0; i < 12; ++i) addWord(no++, QStringLiteral("tab%1").arg(i));
    const auto found = FindCandidates(QStringLiteral("tablex"));
    EXPECT_EQ(words(found).mid(0, 3), (QStringList{"table", "tablet", "tab0"}));
    EXPECT_EQ(found.size(), 14u);  // "ta" was never asked: "tax" is missing
    EXPECT_FALSE(words(found).contains(QStringLiteral("tax")));
    EXPECT_EQ(found[1].wordNo, 2);
}

TEST_F(HandOffTest, WildcardsAndQuotesInTheWordMatchOnlyThemselves)
{
    addWord(1, QStringLiteral("50%off"));
    addWord(2, QStringLiteral("50xoff"));
    addWord(3, QStringLiteral("a_b"));
    addWord(4, QStringLiteral("axb"));
    addWord(5, QStringLiteral("o\"k'"));
    EXPECT_EQ(words(FindCandidates(QStringLiteral("50%o"))), (QStringList{"50%off", "50xoff"}));
    EXPECT_EQ(words(FindCandidates(QStringLiteral("a_"))), (QStringList{"a_b"}));
    EXPECT_EQ(words(FindCandidates(QStringLiteral("o\"k'"))), (QStringList{"o\"k'"}));
    EXPECT_EQ(KnownWordNumber(QStringLiteral("a%b")), -1);
}

TEST_F(HandOffTest, KnownWordsAndFormsAndANewFormOnce)
{
    addWord(7, QStringLiteral("go"));
    EXPECT_EQ(HandOffWord(QStringLiteral("\u007f Went,    3")), QStringLiteral("went"));
    EXPECT_EQ(KnownWordNumber(QStringLiteral("go")), 7);
    EXPECT_EQ(KnownWordNumber(QStringLiteral("went")), -1);
    EXPECT_TRUE(AddForm(QStringLiteral("Went"), {QStringLiteral("go"), 7}));
    EXPECT_EQ(KnownWordNumber(QStringLiteral("went")), 7);
    messenger.expect(QStringLiteral("Duplicate id"));
    EXPECT_FALSE(AddForm(QStringLiteral("went"), {QStringLiteral("go"), 7}));
    ASSERT_EQ(messenger.shown.size(), 1u);
    EXPECT_EQ(messenger.shown[0].request.code, QStringLiteral("Update failed, word: go"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM INFLEC")).toInt(), 1);
}

}  // namespace
}  // namespace qb::test
