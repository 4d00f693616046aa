#include "mill/WordMill.h"

#include "platform/FileNames.h"
#include "support/StoreFixture.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace qb::test {
namespace {

using mill::CutImport;
using mill::CutWords;
using mill::WordMill;

class WordMillTest : public StoreFixture {
protected:
    // Selects the first occurrence of text in the display, as the mouse would.
    void mark(WordMill& m, const QString& text)
    {
        m.selectionStart = int(m.displayText.indexOf(text));
        ASSERT_GE(m.selectionStart, 0) << text.toStdString();
        m.selectionLength = int(text.size());
    }
};

TEST(WordMillCutting, SplitsOnDigitsApostrophesAndUnderscoresButKeepsOtherScripts)
{
    EXPECT_EQ(CutImport(QStringLiteral("Don't 42nd")), (QStringList{"don", "t", "nd"}));
    EXPECT_EQ(CutImport(QStringLiteral("ÆRØ_fjord\u00bfok")), (QStringList{"ærø", "fjord", "ok"}));
    EXPECT_EQ(CutWords(QStringLiteral("ærø_fjord new\u00a0york ærø_fjord"), true),
              (QStringList{"ærø_fjord", "new_york"}));
    // Letters above 255 are letters: Cyrillic, Greek, an astral letter, a decomposed accent.
    EXPECT_EQ(CutImport(QStringLiteral("Москва, Ελλάδα! \U00010400x e\u0301t\u00e9\u2014fin")),
              (QStringList{"москва", "ελλάδα", QStringLiteral("\U00010428x"),
                           QStringLiteral("e\u0301t\u00e9"), "fin"}));
}

TEST_F(WordMillTest, ImportTakesAtMost32000CharactersAndARefusalKeepsTheCollection)
{
    WordMill m;
    QString text = QStringLiteral("ab ").repeated(10666) + QStringLiteral("ab");
    ASSERT_EQ(text.size(), 32000);
    messenger.expect(QStringLiteral("Stopping at max of 7000 chars"));
    ASSERT_TRUE(m.importText(text));
    EXPECT_EQ(m.collection.size(), 10667);
    EXPECT_FALSE(m.statisticsMode);
    EXPECT_TRUE(m.importText(QStringLiteral("\U00010400").repeated(32000)));
    EXPECT_EQ(m.collection.size(), 1);
    // A word across the 100th character, with a letter that Unicode counts as a symbol.
    m.importText(QStringLiteral(" ").repeated(98) + QStringLiteral("AB\u00d7CD"));
    EXPECT_EQ(m.collection, QStringList{QStringLiteral("ab\u00d7cd")});
    m.orderWords();
    EXPECT_FALSE(m.importText(text + QStringLiteral("c")));
    EXPECT_TRUE(
        messenger.saw(QStringLiteral("Importing more than 32000 chars not allowed (the "
                                     "text has 32001)")));
    EXPECT_EQ(m.collection.size(), 1);
    EXPECT_TRUE(m.statisticsMode);
}

TEST_F(WordMillTest, RemoveTakesTheMarkedWordsAndGetLatestBringsThemBack)
{
    WordMill m;
    m.importText(QStringLiteral("alpha beta gamma beta delta"));
    EXPECT_EQ(m.displayText, QStringLiteral("alpha beta gamma beta delta "));
    mark(m, QStringLiteral("beta gamma"));
    EXPECT_EQ(m.takeMarked(), QStringLiteral(" beta gamma"));
    EXPECT_EQ(m.displayText, QStringLiteral("alpha beta delta "));
    mark(m, QStringLiteral("beta"));
    m.removeWords();
    EXPECT_EQ(m.collection, (QStringList{"alpha", "gamma", "delta"}));
    m.getLatest();
    EXPECT_EQ(m.collection, (QStringList{"alpha", "beta", "gamma", "beta", "delta"}));
    m.selectionLength = 0;
    EXPECT_TRUE(m.takeMarked().isEmpty());
}

TEST_F(WordMillTest, OrderShowsCountsAndMarksInflectionForms)
{
    addWord(1, QStringLiteral("go"));
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('went', 1)"));
    WordMill m;
    m.importText(QStringLiteral("went Go went away went"));
    m.orderWords();
    EXPECT_EQ(m.displayText, QStringLiteral("away,    1\ngo,    1\n\u007f went,    3"));
    // Binding needs text mode.
    mark(m, QStringLiteral("away"));
    m.bindWords();
    EXPECT_EQ(m.collection.size(), 5);
    m.getLatest();
    EXPECT_EQ(m.collection.first(), QStringLiteral("went"));
}

TEST_F(WordMillTest, BindingJoinsMarkedWordsAndMarkingTheTermSplitsItAgain)
{
    WordMill m;
    m.importText(QStringLiteral("new york new city"));
    mark(m, QStringLiteral("york new"));
    m.bindWords();
    EXPECT_EQ(m.collection, (QStringList{"city", "_york_new"}));
    m.toggleBinding();
    EXPECT_EQ(m.displayText, QStringLiteral("city \u00a0york\u00a0new "));
    // Hidden binding: the term is marked with its non-breaking spaces and still unbinds.
    mark(m, QStringLiteral("\u00a0york\u00a0new"));
    m.bindWords();
    EXPECT_EQ(m.collection, (QStringList{"city", "york", "new"}));
}

TEST_F(WordMillTest, ExcludeWritesTheStoreDirectorysListAndLaterImportsDropIt)
{
    const QString elsewhere = QDir::currentPath();
    // An older list in Latin-1 keeps its words when written back.
    QFile older(path(QStringLiteral("EXCLUDE.TXT")));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("the a  the caf\xe9\n");
    older.close();
    WordMill m;
    m.importText(QStringLiteral("the cat and a dog and"));
    EXPECT_EQ(m.collection, (QStringList{"cat", "and", "dog", "and"}));
    mark(m, QStringLiteral("and"));
    EXPECT_TRUE(m.exclude());
    EXPECT_EQ(m.collection, (QStringList{"cat", "dog"}));
    QString saved;
    ASSERT_TRUE(files::readTextFile(path(QStringLiteral("EXCLUDE.TXT")), &saved));
    EXPECT_EQ(saved, QStringLiteral("the a caf\u00e9 and "));
    EXPECT_FALSE(QFile::exists(elsewhere + QStringLiteral("/exclude.txt")));
    m.importText(QStringLiteral("And so the Caf\u00e9 cat"));
    EXPECT_EQ(m.collection, (QStringList{"so", "cat"}));

    // A list that cannot be read is not replaced.
    ASSERT_TRUE(QFile::remove(path(QStringLiteral("EXCLUDE.TXT"))));
    ASSERT_TRUE(QDir(dir()).mkdir(QStringLiteral("exclude.txt")));
    messenger.expect(QStringLiteral("Cannot read"));
    mark(m, QStringLiteral("cat"));
    EXPECT_FALSE(m.exclude());
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("exclude.txt"))).isDir());
}

TEST_F(WordMillTest, MillShufflesTheSameWordsAndStopsAt7000)
{
    WordMill m;
    QStringList words;
    for (int i = 0; i < 30; ++i)
        words << QStringLiteral("w") + QString(QChar('a' + i % 26)) + QString(QChar('a' + i / 26));
    m.importText(words.join(QLatin1Char(' ')));
    m.millText(1);
    const QStringList first = m.collection;
    m.millText(2);
    EXPECT_NE(m.collection, first);
    QStringList sorted = m.collection;
    sorted.sort();
    words.sort();
    EXPECT_EQ(sorted, words);
    m.getLatest();
    EXPECT_EQ(m.collection, first);

    // Time passes while events run; after a second the progress line shows, and Esc stops the
    // mill without losing the words not yet milled.
    m.importText(QStringLiteral("ab cd ").repeated(500));
    QString progress;
    m.status = [&](const QString& text) {
        progress = text;
        m.cancelMark = true;
    };
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { clock.advanceMs(400); });
    tick.start(0);
    m.millText(4);
    tick.stop();
    EXPECT_EQ(progress, QStringLiteral("Wait while milling 1000 words"));
    EXPECT_EQ(m.collection.count(QStringLiteral("ab")), 500);
    EXPECT_EQ(m.collection.count(QStringLiteral("cd")), 500);
    m.status = nullptr;

    messenger.expect(QStringLiteral("Stopping at max of 7000 chars"));
    messenger.expect(QStringLiteral("Breaking at max word count(7000)"));
    m.importText(QStringLiteral("ab ").repeated(7001));
    EXPECT_EQ(m.displayText.count(QStringLiteral("ab ")), 7000);
    m.millText(3);
    EXPECT_EQ(m.collection.size(), 7000);
}

}  // namespace
}  // namespace qb::test
