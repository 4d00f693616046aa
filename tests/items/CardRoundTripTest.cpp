// What a user puts into an item card comes back the same after a commit and a reload, through
// the card and not only through its data; and the age shading of cards from the store.
#include "ItemCardFixture.h"

#include "cards/CardPartsPanel.h"
#include "cards/Collection.h"
#include "items/ItemCardRules.h"
#include "items/ItemQueries.h"
#include "items/ItemRecord.h"
#include "platform/Dates.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QMimeData>

using namespace qb;

namespace {

constexpr Timestamp kItem = -46201.75L;

// Typed or pasted text of every sort, filled up to the limit. CR LF and CR come as they arrive
// from other programs.
QString pastedText()
{
    const QStringList pieces = {
        QStringLiteral("\n"),
        QStringLiteral("Windows line\r\nold Mac line\rUnix line\n"),
        QStringLiteral(
            "Quotes: 'single' \"double\" \u201Ccurly\u201D \u00ABguillemets\u00BB `back`\n"),
        QStringLiteral("SQL-ish: '); DROP TABLE ITEM; -- %_ \\ \n"),
        QStringLiteral("\tTabbed\tcolumns\t\n"),
        QStringLiteral(
            "\u00C5ngstr\u00F6m \u00E6\u00F8\u00E5 \u00DF \u0152uvre \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC "
            "\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430 \u05E2\u05D1\u05E8\u05D9\u05EA "
            "\u0627\u0644\u0639\u0631\u0628\u064A\u0629 \u65E5\u672C\u8A9E \uD55C\uAD6D\uC5B4\n"),
        QStringLiteral("Outside the basic plane: \U0001F600 \U0001D11E\n"),
        QStringLiteral(
            "Kept as typed: line\u2028separator, no\u00A0break, next\u0085line, form\ffeed\n"),
    };
    QString text;
    int i = 0;
    while (text.size() < ItemCardData::kMaxTextLength) text += pieces[i++ % pieces.size()];
    text.truncate(ItemCardData::kMaxTextLength);
    if (text.at(text.size() - 1).isHighSurrogate()) text.chop(1);
    return text;
}

QString normalised(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

QImage noise(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    quint32 seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            line[x] = 0xFF000000u | (seed >> 8);
        }
    }
    return image;
}

class CardRoundTrip : public test::ItemCardFixture {
protected:
    // Frees every item card and brings the item back from the store.
    TItem* reload()
    {
        ClearCards(*desktop, ClearCommand::AllItems);
        test::flushDeletes();
        EXPECT_TRUE(desktop->cardsOf<TItem>().isEmpty());
        return PlaceItemCard(*desktop, kItem, QPoint(60, 60)).card;
    }
};

TEST_F(CardRoundTrip, AFullTextAPictureAtTheLimitAndTheLinksComeBackUnchanged)
{
    TItem* card = makeCard(kItem, QString());
    card->DropOn(ItemPart::Keys, conceptWord(kConceptA, 2, QStringLiteral("pomme")),
                 QPoint(20, 20));
    card->DropOn(ItemPart::Keys, conceptWord(kConceptC, 4, QStringLiteral("river")),
                 QPoint(20, 20));
    DragPayload project;
    project.source = DragPayload::Source::Project;
    project.project = QStringLiteral("GARDEN");
    card->DropOn(ItemPart::Urls, project, QPoint(20, 20));

    // Pasted into the editor as a user pastes.
    const QString text = pastedText();
    auto* mime = new QMimeData;
    mime->setText(text);
    QGuiApplication::clipboard()->setMimeData(mime);
    card->textEditor()->setFocus();
    card->textEditor()->paste();
    const QString expected = normalised(text);
    ASSERT_EQ(card->item().text, expected);

    const QImage picture = noise(1000, 1000);
    QGuiApplication::clipboard()->setImage(picture);
    card->pictureFromClipboard();
    ASSERT_TRUE(card->item().hasPicture);

    CommitResult result = UpdateItems();
    ASSERT_TRUE(result.committed);
    EXPECT_EQ(result.itemsWritten, 1);

    TItem* back = reload();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->item().text.size(), expected.size());
    EXPECT_TRUE(back->item().text == expected);
    EXPECT_EQ(back->textEditor()->toPlainText().size(), expected.size());
    ASSERT_TRUE(back->item().hasPicture);
    EXPECT_EQ(back->item().picture.convertToFormat(QImage::Format_RGB32), picture);
    ASSERT_EQ(back->item().keyCount(), 2);
    EXPECT_EQ(back->keyList()->item(0)->text(), QStringLiteral("pomme"));
    EXPECT_EQ(back->keyList()->item(1)->text(), QStringLiteral("river"));
    EXPECT_EQ(back->item().projects, QStringList{QStringLiteral("GARDEN")});
    EXPECT_FALSE(back->data().changed);

    // Committed again without an edit, the stored text is the same to the last character.
    back->data().changed = true;
    UpdateItems();
    EXPECT_TRUE(scalar(QStringLiteral("SELECT TX FROM ITEM")).toString() == expected);
}

TEST_F(CardRoundTrip, ALoadedTextThatIsNotEditedKeepsEveryCharacter)
{
    // A paragraph separator is a line break to the editor; untouched, the card keeps it.
    const QString stored = QStringLiteral("one\u2029two\u2028three\u00A0four");
    addItem(kItem, stored, {{kConceptA, 1}});
    TItem* card = PlaceItemCard(*desktop, kItem, QPoint(40, 40)).card;
    ASSERT_NE(card, nullptr);
    card->DropOn(ItemPart::Keys, conceptWord(kConceptC, 4, QStringLiteral("river")),
                 QPoint(20, 20));
    ASSERT_TRUE(card->data().changed);
    UpdateItems();
    EXPECT_TRUE(scalar(QStringLiteral("SELECT TX FROM ITEM")).toString() == stored);

    // An edit keeps the line separator and the no-break space as typed.
    card->textEditor()->moveCursor(QTextCursor::End);
    card->textEditor()->insertPlainText(QStringLiteral("!"));
    EXPECT_EQ(card->item().text, QStringLiteral("one\ntwo\u2028three\u00A0four!"));
}

TEST(AgeShading, GreyGrowsWithAgeBetweenTheTwoLimits)
{
    EXPECT_EQ(AgeShadeGrey(6.0, 12, 192, 240), 217);
    EXPECT_EQ(AgeShadeGrey(60.0, 12, 192, 240), 240);
    EXPECT_EQ(AgeShadeGrey(0.0, 12, 192, 240), 192);
    EXPECT_EQ(AgeShadeGrey(0.2, 12, 192, 240), 192) << "whole steps only";
    EXPECT_EQ(AgeShadeGrey(0.9, 12, 192, 240), 195);
    EXPECT_EQ(AgeShadeGrey(-3.0, 12, 192, 240), 192) << "a timestamp from the future";
    EXPECT_EQ(AgeShadeGrey(1e12, 2, 100, 110), 110);
    EXPECT_FALSE(AgeShadeGrey(600.0, 1, 192, 240).has_value());
    EXPECT_FALSE(AgeShadeGrey(600.0, 0, 192, 240).has_value());
    EXPECT_EQ(GreyColor(217), 217 * 65536 + 217 * 256 + 217);
}

TEST_F(CardRoundTrip, CardsFromTheStoreAreShadedByTheirAgeWhenAsked)
{
    // The fake clock stands on 8 December 2026 14:35:07; this ITS is six days and a bit older.
    const double now = dates::toSerial(clock.now());
    addItem(kItem, QStringLiteral("six days old"), {{kConceptA, 1}});
    exec(QStringLiteral("UPDATE ITEM SET ITS = ?1"), {-(now - 6.2)});
    session().settings.ageFadeAwayInMonths = 12;

    PlacedItemCard plain = PlaceItemCard(*desktop, kItem, QPoint(40, 40));
    ASSERT_NE(plain.card, nullptr);
    EXPECT_EQ(plain.card->data().normalColor, session().settings.itemFrameColor)
        << "shading only when asked";
    ClearCards(*desktop, ClearCommand::AllItems);
    test::flushDeletes();

    ItemCardPlacement shaded;
    shaded.ageShading = true;
    PlacedItemCard grey = PlaceItemCard(*desktop, kItem, QPoint(40, 40), shaded);
    ASSERT_NE(grey.card, nullptr);
    EXPECT_EQ(grey.card->data().normalColor, GreyColor(217));
    EXPECT_EQ(grey.groupColor, QColor(217, 217, 217));
    EXPECT_EQ(grey.card->focusMark()->fillColor(), QColor(217, 217, 217));
    EXPECT_EQ(ItemTimestamp(kItem).value_or(0), Timestamp(-(now - 6.2)));
}

TEST_F(CardRoundTrip, APictureItemComesUpAtThePicturesSizeOnTheTextSide)
{
    addItem(kItem, QStringLiteral("with picture"), {{kConceptA, 1}});
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1"), {PictureToStoredBytes(noise(120, 90))});
    TItem* card = PlaceItemCard(*desktop, kItem, QPoint(40, 40)).card;
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->size(), QSize(130, 118));
    EXPECT_EQ(card->contentsUp(), ctxImage);
    EXPECT_TRUE(card->pictureShown());

    // A picture bigger than the alternative size is shown within it.
    addItem(-46202.75L, QStringLiteral("big picture"), {{kConceptA, 1}});
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1 WHERE IT = ?2"),
         {PictureToStoredBytes(noise(1000, 1000)), -46202.75});
    TItem* big = PlaceItemCard(*desktop, -46202.75L, QPoint(400, 40)).card;
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->size(), QSize(342, 360));
}

}  // namespace
