#include "items/Commit.h"
#include "items/ItemLinks.h"
#include "items/ItemRecord.h"

#include "ItemsFixture.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QRandomGenerator>

using namespace qb;

namespace {

constexpr Timestamp kItem = -46300.123456L;

class RoundTrip : public test::ItemsFixture {
protected:
    // Commits the card and loads the item again into fresh card data.
    ItemCardData commitAndReload(std::unique_ptr<ItemCardData> card)
    {
        cards.push_back(std::move(card));
        CommitResult result = CommitCards(order());
        EXPECT_TRUE(result.committed);
        EXPECT_TRUE(result.failed.empty());
        ItemCardData reloaded;
        QString error;
        EXPECT_TRUE(LoadItemCard(reloaded, kItem, &error)) << error.toStdString();
        return reloaded;
    }

    std::unique_ptr<ItemCardData> keyedCard(const QString& text)
    {
        auto card = std::make_unique<ItemCardData>();
        card->itemId = kItem;
        card->text = text;
        card->changed = true;
        addWord(1, QStringLiteral("key"));
        card->keywords.push_back({-46000.5L, 1, QStringLiteral("key")});
        return card;
    }
};

// Every sort of text a user can type or paste, filled up to the editor's limit.
QString fullText()
{
    const QStringList pieces = {
        QStringLiteral("\n"),  // a leading empty line
        QStringLiteral("Plain ASCII line.\n"),
        QStringLiteral("\n\n"),
        QStringLiteral(
            "Quotes: 'single' \"double\" \u201Ccurly\u201D \u00ABguillemets\u00BB `back`\n"),
        QStringLiteral("SQL-ish: '); DROP TABLE ITEM; -- %_ \\ \n"),
        QStringLiteral("\tTabbed\tcolumns\t\n"),
        QStringLiteral("\u00C5ngstr\u00F6m \u00E6\u00F8\u00E5 \u00DF \u0152uvre\n"),
        QStringLiteral(
            "\u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC \u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 "
            "\u05E2\u05D1\u05E8\u05D9\u05EA \u0627\u0644\u0639\u0631\u0628\u064A\u0629\n"),
        QStringLiteral(
            "\u65E5\u672C\u8A9E \u4E2D\u6587 \uD55C\uAD6D\uC5B4 \u0939\u093F\u0928\u094D\u0926\u0940\n"),
        QStringLiteral("Outside the basic plane: \U0001F600 \U0001D11E \U00020000\n"),
        QStringLiteral("Separators kept as typed: a\u2028b\u2029c\u00A0d\n"),
        QStringLiteral("trailing blanks   \n"),
    };
    QString text;
    for (int i = 0; text.size() < ItemCardData::kMaxTextLength - 200; ++i)
        text += pieces[i % pieces.size()];
    while (text.size() < ItemCardData::kMaxTextLength - 1) text += QLatin1Char('x');
    text += QLatin1Char('\n');  // and a trailing line break
    return text;
}

QImage patternPicture(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_RGB32);
    auto* random = QRandomGenerator::global();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 255) / width, (y * 255) / height, int(random->bounded(256)));
    }
    return image.convertToFormat(format);
}

}  // namespace

TEST_F(RoundTrip, AFullLengthTextOfEveryKindSurvivesUnchanged)
{
    const QString text = fullText();
    ASSERT_EQ(text.size(), 32000);
    ItemCardData reloaded = commitAndReload(keyedCard(text));
    EXPECT_EQ(reloaded.text.size(), 32000);
    EXPECT_TRUE(reloaded.text == text);
    // The stored bytes are plain UTF-8 that other tools read as the same text.
    auto stored =
        rows(QStringLiteral("SELECT CAST(TX AS BLOB) FROM ITEM WHERE IT = ?1"), {double(kItem)});
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0][0].toByteArray(), text.toUtf8());
}

TEST_F(RoundTrip, CarriageReturnsReachTheStoreAsLineFeeds)
{
    ItemCardData reloaded =
        commitAndReload(keyedCard(QStringLiteral("dos\r\nline\rmac\n\r\nunix\n\r")));
    EXPECT_EQ(reloaded.text, QStringLiteral("dos\nline\nmac\n\nunix\n\n"));
    EXPECT_EQ(rows(QStringLiteral("SELECT instr(TX, char(13)) FROM ITEM"))[0][0].toInt(), 0);

    // Texts put into ITEM by other tools come to the card with "\n" only.
    exec(QStringLiteral("UPDATE ITEM SET TX = ?1"), {QStringLiteral("a\r\nb\rc")});
    ItemCardData card;
    ASSERT_TRUE(LoadItemRecord(card, kItem));
    EXPECT_EQ(card.text, QStringLiteral("a\nb\nc"));
}

TEST_F(RoundTrip, AMillionPixelPictureIsStoredAsBmpAndComesBackPixelForPixel)
{
    auto card = keyedCard(QStringLiteral("with picture"));
    card->picture = patternPicture(1250, 800, QImage::Format_RGB32);
    ASSERT_EQ(qint64(card->picture.width()) * card->picture.height(),
              ItemCardData::kMaxPicturePixels);
    card->hasPicture = true;
    const QImage original = card->picture;

    ItemCardData reloaded = commitAndReload(std::move(card));
    QByteArray stored = rows(QStringLiteral("SELECT Animation FROM ITEM"))[0][0].toByteArray();
    EXPECT_TRUE(stored.startsWith("BM"));
    ASSERT_TRUE(reloaded.hasPicture);
    ASSERT_EQ(reloaded.picture.size(), original.size());
    EXPECT_TRUE(reloaded.picture.convertToFormat(QImage::Format_RGB32) == original);
}

TEST_F(RoundTrip, PicturesOfOtherFormatsKeepTheirColoursAndRemovingOneClearsTheField)
{
    auto card = keyedCard(QStringLiteral("indexed"));
    QImage indexed = patternPicture(64, 48, QImage::Format_Indexed8);
    card->picture = indexed;
    card->hasPicture = true;
    ItemCardData reloaded = commitAndReload(std::move(card));
    ASSERT_TRUE(reloaded.hasPicture);
    EXPECT_TRUE(reloaded.picture.convertToFormat(QImage::Format_RGB32) ==
                indexed.convertToFormat(QImage::Format_RGB32));

    ItemCardData* again = static_cast<ItemCardData*>(cards.back().get());
    again->hasPicture = false;
    again->changed = true;
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_FALSE(rows(QStringLiteral("SELECT Animation FROM ITEM"))[0][0].isValid());
    ItemCardData none;
    ASSERT_TRUE(LoadItemRecord(none, kItem));
    EXPECT_FALSE(none.hasPicture);
}

TEST_F(RoundTrip, APictureThatCannotBeEncodedIsReportedAndTheRestIsStored)
{
    messenger.expect(QStringLiteral("0 image height"));
    messenger.expect(QStringLiteral("Failed to save image"));
    auto card = keyedCard(QStringLiteral("text survives"));
    card->hasPicture = true;  // but the picture is empty: zero height
    ItemCardData reloaded = commitAndReload(std::move(card));
    EXPECT_EQ(reloaded.text, QStringLiteral("text survives"));
    EXPECT_FALSE(reloaded.hasPicture);
    ASSERT_EQ(messenger.plain.size(), 2u);
    EXPECT_EQ(messenger.plain[0],
              QStringLiteral("An unexpected system problem was encountered\r\n0 image height"));
    EXPECT_EQ(
        messenger.plain[1],
        QStringLiteral("An unexpected system problem was encountered\r\nFailed to save image"));
}

TEST_F(RoundTrip, AFullCardComesBackAsItWasWritten)
{
    auto card = keyedCard(fullText());
    card->keywords.clear();
    for (int i = 0; i < 24; ++i) {
        addWord(10 + i, QStringLiteral("w\u00F6rd-%1").arg(i));
        AddKeyword(*card, 10 + i, QStringLiteral("w\u00F6rd-%1").arg(i), -45000.0L - i * 0.01L);
        // Newest project first on reload: give later projects newer timestamps.
        QString project = QStringLiteral("PROJECT \u00C5 %1").arg(i);
        addProject(project, -45000.0L - i);
        AddProject(*card, project);
    }
    card->picture = patternPicture(300, 200, QImage::Format_RGB32);
    card->hasPicture = true;
    const std::vector<KeywordLink> keywords = card->keywords;
    QStringList projects = card->projects;
    std::reverse(projects.begin(), projects.end());
    const QString text = card->text;
    const QImage picture = card->picture;

    ItemCardData reloaded = commitAndReload(std::move(card));
    EXPECT_TRUE(reloaded.text == text);
    ASSERT_EQ(reloaded.keyCount(), 24);
    for (int i = 0; i < 24; ++i) {
        EXPECT_EQ(reloaded.keywords[i].word, keywords[i].word);
        EXPECT_EQ(reloaded.keywords[i].wordNo, keywords[i].wordNo);
        EXPECT_EQ(double(reloaded.keywords[i].conceptId), double(keywords[i].conceptId));
    }
    EXPECT_EQ(reloaded.projects, projects);
    EXPECT_TRUE(reloaded.picture.convertToFormat(QImage::Format_RGB32) == picture);
    EXPECT_FALSE(reloaded.changed);
}
