#include "DictionaryFixture.h"

#include "dictionary/Words.h"

#include <gtest/gtest.h>

using namespace qb;

class Words : public test::DictionaryFixture {};

TEST_F(Words, NumbersStartAtOneAndTheDeletedTopNumberIsReused)
{
    EXPECT_EQ(CreateWord(QStringLiteral("car")), 1);
    EXPECT_EQ(CreateWord(QStringLiteral("auto")), 2);
    EXPECT_EQ(CreateWord(QStringLiteral("bus")), 3);

    DictionaryBrowser window;
    ASSERT_TRUE(window.positionOnWordNo(3));
    EXPECT_TRUE(DeleteWord(window));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM INFLEC WHERE WNo = 3")).toInt(), 0);
    EXPECT_EQ(CreateWord(QStringLiteral("tram")), 3);

    // A lower number freed in the middle is not reused while a higher one exists.
    ASSERT_TRUE(window.positionOnWordNo(1));
    EXPECT_TRUE(DeleteWord(window));
    EXPECT_EQ(CreateWord(QStringLiteral("bike")), 4);
}

TEST_F(Words, NewWordIsTrimmedLowerCasedStampedAndItsOwnForm)
{
    int n = CreateWord(QStringLiteral("  Ärger Im Büro "));
    ASSERT_EQ(n, 1);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo, WTS IS NOT NULL, WTS2 IS NULL FROM WORD")),
              QStringList{QStringLiteral("ärger im büro|1|1|1")});
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo FROM INFLEC")),
              QStringList{QStringLiteral("ärger im büro|1")});
    EXPECT_EQ(dictionaryState().lastNewWord, QStringLiteral("ärger im büro"));
    EXPECT_LT(scalar(QStringLiteral("SELECT WTS FROM WORD")).toDouble(), 0.0);

    // The same text again is a second word; only the dialog's test warns about it.
    EXPECT_EQ(CreateWord(QStringLiteral("ärger im büro")), 2);
    EXPECT_EQ(WordNumberOf(QStringLiteral("ÄRGER IM BÜRO")), 1);
    EXPECT_EQ(WordByNumber(2), QStringLiteral("ärger im büro"));
    EXPECT_EQ(WordByNumber(7), QString());
    EXPECT_EQ(WordNumberOf(QStringLiteral("nothing")), -1);
    EXPECT_EQ(CreateWord(QStringLiteral("   ")), -1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM WORD")).toInt(), 2);
}

TEST_F(Words, AReusedNumberDoesNotInheritFormsOfAWordThatIsGone)
{
    addWords({QStringLiteral("car"), QStringLiteral("auto")});
    // A merge leaves the forms of the merged word behind with its old number.
    exec(QStringLiteral("DELETE FROM WORD WHERE WNo = 2"));
    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('autos', 2)"));
    ASSERT_EQ(CreateWord(QStringLiteral("tree")), 2);
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM INFLEC WHERE WNo = 2")),
              QStringList{QStringLiteral("tree")});
    EXPECT_EQ(messenger.count(), 0);
}

TEST_F(Words, ADeletedNumberThatItemsStillCarryIsNotGivenToANewWord)
{
    addWords({QStringLiteral("car"), QStringLiteral("auto")});
    addKeyword(-46000.5, 1, -46000.25, 2);
    DictionaryBrowser window;
    ASSERT_TRUE(window.positionOnWordNo(2));
    EXPECT_TRUE(DeleteWord(window));
    // The item's keyword still names word 2; the next word is 3, and 2 stays without a word.
    EXPECT_EQ(CreateWord(QStringLiteral("tram")), 3);
    EXPECT_EQ(WordByNumber(2), QString());
}

TEST_F(Words, AWordOfAConceptCannotBeDeletedButOneOnlyAnItemCarriesCan)
{
    addWords({QStringLiteral("car"), QStringLiteral("auto")});
    addConcept(-46000.5, {1});
    addKeyword(-46001.5, 1, -46000.9, 2);  // only an item keyword names auto

    DictionaryBrowser window;
    ASSERT_TRUE(window.positionOnWordNo(1));
    WordEdit refused = BeginDeleteWord(window);
    EXPECT_FALSE(refused.okEnabled);
    EXPECT_EQ(refused.caption, QStringLiteral("CONFIRM WORD DELETE"));
    EXPECT_TRUE(
        messenger.saw(QStringLiteral("References exist, cannot remove. Run Ctrl+S if needed.")));
    EXPECT_EQ(messenger.shown.back().request.code, QStringLiteral("dw53"));
    EXPECT_FALSE(FinishDeleteWord(window, refused, true));
    EXPECT_EQ(WordNumberOf(QStringLiteral("car")), 1);

    ASSERT_TRUE(window.positionOnWordNo(2));
    WordEdit edit = BeginDeleteWord(window);
    EXPECT_TRUE(edit.okEnabled);
    EXPECT_FALSE(FinishDeleteWord(window, edit, false));  // Cancel
    EXPECT_EQ(WordNumberOf(QStringLiteral("auto")), 2);
    ASSERT_TRUE(window.positionOnWordNo(2));
    EXPECT_TRUE(FinishDeleteWord(window, BeginDeleteWord(window), true));
    EXPECT_EQ(WordNumberOf(QStringLiteral("auto")), -1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM INFLEC WHERE WNo = 2")).toInt(), 0);
    // The item's link stays; deleting a word does not touch items.
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM ITEMKEYS WHERE WNo = 2")).toInt(), 1);
}

TEST_F(Words, DeleteChecksTheRowTheWindowIsOnWhenTheDialogCloses)
{
    addWords({QStringLiteral("car"), QStringLiteral("auto")});
    DictionaryBrowser window;
    window.setOrder(DictOrder::Alphabetical);
    ASSERT_TRUE(window.positionOnWord(QStringLiteral("car")));
    WordEdit edit = BeginDeleteWord(window);
    ASSERT_TRUE(window.positionOnWord(QStringLiteral("auto")));
    EXPECT_FALSE(FinishDeleteWord(window, edit, true));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM WORD")).toInt(), 2);
}

TEST_F(Words, RenameToTheSameOrAnEmptyTextChangesNothing)
{
    addWords({QStringLiteral("colour"), QStringLiteral("car")});
    exec(QStringLiteral("UPDATE WORD SET WTS2 = -46000.25 WHERE WNo = 1"));
    QStringList before = rows(QStringLiteral("SELECT Word, WNo, WTS, WTS2 FROM WORD ORDER BY WNo"));
    DictionaryBrowser window;
    ASSERT_TRUE(window.positionOnWordNo(1));

    WordEdit edit = BeginRenameWord(window);
    EXPECT_EQ(edit.caption, QStringLiteral("CHANGE WORD FROM: colour"));
    EXPECT_FALSE(FinishRenameWord(window, edit, QStringLiteral(" COLOUR ")));
    ASSERT_TRUE(window.positionOnWordNo(1));
    EXPECT_FALSE(RenameWord(window, QStringLiteral("   ")));
    ASSERT_TRUE(window.positionOnWordNo(1));
    EXPECT_FALSE(FinishRenameWord(window, BeginRenameWord(window), std::nullopt));  // Cancel
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo, WTS, WTS2 FROM WORD ORDER BY WNo")), before);

    // A real rename keeps number, stamps and forms, and shows the word in alphabetical order.
    ASSERT_TRUE(window.positionOnWordNo(1));
    EXPECT_TRUE(RenameWord(window, QStringLiteral("Color")));
    EXPECT_EQ(rows(QStringLiteral("SELECT Word, WNo, WTS2 FROM WORD WHERE WNo = 1")),
              QStringList{QStringLiteral("color|1|-46000.25")});
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM INFLEC WHERE WNo = 1")),
              QStringList{QStringLiteral("colour")});
    EXPECT_EQ(window.order(), DictOrder::Alphabetical);
    EXPECT_EQ(window.current().word, QStringLiteral("color"));
}

TEST_F(Words, AwkwardTextsSurviveCreateRenameLocateAndDelete)
{
    const QStringList texts = {QStringLiteral("it's \"quoted\""),
                               QStringLiteral("100%"),
                               QStringLiteral("snake_case"),
                               QStringLiteral("back\\slash"),
                               QStringLiteral("москва"),
                               QStringLiteral("東京"),
                               QStringLiteral("'; drop table word; --"),
                               QStringLiteral("abcdefghijklmnopqrstuvwxyzabcdefghijkl")};
    ASSERT_EQ(texts.last().size(), 38);
    addWords({QStringLiteral("1000"),
              QStringLiteral("snakeXcase")});  // what a careless LIKE would match
    for (const QString& t : texts) {
        SCOPED_TRACE(t.toStdString());
        int n = CreateWord(t);
        ASSERT_GT(n, 0);
        EXPECT_EQ(WordByNumber(n), t);
        EXPECT_EQ(WordNumberOf(t), n);

        DictionaryBrowser window;
        window.setOrder(DictOrder::Alphabetical);
        ASSERT_TRUE(window.positionOnWord(t));
        EXPECT_EQ(window.model().findContaining(t, 0), window.currentIndex());
        QString renamed = t.chopped(1) + QStringLiteral("x");
        EXPECT_TRUE(RenameWord(window, renamed));
        EXPECT_EQ(WordByNumber(n), renamed);
        ASSERT_TRUE(window.positionOnWord(renamed));
        EXPECT_TRUE(RenameWord(window, t));
        ASSERT_TRUE(window.positionOnWord(t));
        EXPECT_TRUE(DeleteWord(window));
        EXPECT_EQ(WordNumberOf(t), -1);
    }
    EXPECT_EQ(rows(QStringLiteral("SELECT Word FROM WORD ORDER BY WNo")),
              (QStringList{QStringLiteral("1000"), QStringLiteral("snakexcase")}));
}

TEST_F(Words, LimitsCountCharactersAndNeverSplitOne)
{
    const QString apple = QString::fromUtf8("\xF0\x9F\x8D\x8E");  // two UTF-16 units
    const int whole = CreateWord(apple.repeated(30));
    ASSERT_GT(whole, 0);
    EXPECT_EQ(WordByNumber(whole), apple.repeated(30));
    EXPECT_EQ(WordNumberOf(apple.repeated(30)), whole);
    const int cut = CreateWord(apple.repeated(60));
    ASSERT_GT(cut, 0);
    EXPECT_EQ(WordByNumber(cut), apple.repeated(50));
}

TEST_F(Words, TouchingAWordInTimeStampOrderMovesItToTheTop)
{
    addWords({QStringLiteral("apple"), QStringLiteral("pear"), QStringLiteral("plum")});
    DictionaryBrowser window;  // a new window is in time stamp order: newest first
    EXPECT_EQ(
        test::DictionaryFixture::wordsOf(window),
        (QStringList{QStringLiteral("plum"), QStringLiteral("pear"), QStringLiteral("apple")}));
    ASSERT_TRUE(window.positionOnWordNo(1));
    ASSERT_TRUE(TouchWord(window));
    EXPECT_EQ(window.order(), DictOrder::TimeStamp);
    EXPECT_EQ(window.currentIndex(), 0);
    EXPECT_EQ(window.current().word, QStringLiteral("apple"));
    EXPECT_LT(*window.current().wts2, *window.current().wts);  // two stamps, WTS2 taken second

    // In any other order the touch ends in alphabetical order on the word.
    window.setOrder(DictOrder::Frequency);
    ASSERT_TRUE(window.positionOnWordNo(2));
    ASSERT_TRUE(TouchWord(window));
    EXPECT_EQ(window.order(), DictOrder::Alphabetical);
    EXPECT_EQ(window.current().word, QStringLiteral("pear"));
    EXPECT_FALSE(session().commitRunning.raised());

    window.setOrder(DictOrder::Usage);
    ASSERT_TRUE(window.positionOnWordNo(3));
    ASSERT_TRUE(TouchWordUsage(window));
    window.refresh();
    EXPECT_EQ(window.row(0).word, QStringLiteral("plum"));
}

TEST_F(Words, ShowOnAWordWithoutConceptsChangesNothing)
{
    addWords({QStringLiteral("lonely"), QStringLiteral("car")});
    std::vector<Timestamp> laidOut;
    QPoint where;
    dictionaryHooks().developConcepts = [&](const std::vector<Timestamp>& ids, QPoint at) {
        laidOut = ids;
        where = at;
    };
    EXPECT_FALSE(FreeWordDrop(1));
    EXPECT_TRUE(laidOut.empty());
    EXPECT_TRUE(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE WNo = 1")).isNull());

    addConcept(-46000.5, {2});
    addConcept(-46002.5, {2});
    EXPECT_TRUE(FreeWordDrop(2));
    ASSERT_EQ(laidOut.size(), 2u);
    EXPECT_DOUBLE_EQ(double(laidOut[0]), -46002.5);  // the newer concept stamp first
    EXPECT_EQ(where, QPoint(session().settings.createSpotSX, session().settings.createSpotSY));
    EXPECT_FALSE(scalar(QStringLiteral("SELECT WTS2 FROM WORD WHERE WNo = 2")).isNull());
}

TEST_F(Words, WordListIsOneHeadedLineCutAtItsLimit)
{
    addWords({QStringLiteral("pear"), QStringLiteral("Apple"), QStringLiteral("émigré"),
              QStringLiteral("zoo")});
    QString put;
    dictionaryHooks().setClipboardText = [&](const QString& t) { put = t; };
    QString text = WordListToClipboard(QStringLiteral("Word.db"), QStringLiteral("1"));
    EXPECT_EQ(put, text);
    EXPECT_TRUE(text.startsWith(QStringLiteral(" ----- 1 26-12-08")));
    EXPECT_TRUE(text.endsWith(QStringLiteral(" ----- \r\n\r\napple émigré pear zoo ")));

    exec(QStringLiteral("INSERT INTO INFLEC (Word, WNo) VALUES ('apples', 2)"));
    EXPECT_TRUE(WordListToClipboard(QStringLiteral("Inflec.db"), QStringLiteral("2"))
                    .endsWith(QStringLiteral("apple apples émigré pear zoo ")));

    // 30000 words of 9 characters and a blank are more than the limit allows.
    {
        sql::Transaction tx(session().store.db());
        sql::Statement st(session().store.db(),
                          QStringLiteral("INSERT INTO WORD (Word, WNo) VALUES (?1, ?2)"));
        for (int i = 0; i < 30000; ++i) {
            st.reset();
            st.bind(1, QStringLiteral("w%1").arg(i, 8, 10, QLatin1Char('0'))).bind(2, 100 + i);
            ASSERT_TRUE(st.run());
        }
        ASSERT_TRUE(tx.commit());
    }
    QString longList = WordListToClipboard(QStringLiteral("Word.db"), QStringLiteral("1"));
    EXPECT_EQ(longList.size(), kWordListLimit);
    EXPECT_FALSE(longList.endsWith(QLatin1Char(' ')));  // ends in the middle of a word

    EXPECT_TRUE(WordListToClipboard(QStringLiteral("ITEM.DB"), QStringLiteral("1")).isEmpty());
    EXPECT_TRUE(messenger.saw(QStringLiteral("Building Word List failed")));
}
